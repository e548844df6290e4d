#pragma once
// A film seen through the subtitle stage: every picture the compositors,
// Save View As and the export ask of it carries the subtitle of its moment,
// and everything else is the film's own. The shown film is wrapped for one
// composition, so the viewer and the tool draw subtitles through the one
// stage whatever compositor runs.

#include "film/film.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

// The time of the film's current frame (the first eye's, in a film whose
// partner is another moment) in microseconds: the pair's own when it keeps
// one, else its frame number over the stated rate; -1 without either.
int64_t CurrentTimeUs(const Film& film, const EyePair* pair);

class SubtitledFilm : public Film {
public:
    SubtitledFilm(Film& film, SubtitleStage& stage, const StageOptions& options)
        : film_(film), stage_(stage), options_(options)
    {
    }

    const uint8_t* GreyPicture(int32_t& width, int32_t& height) override;
    const uint8_t* PartnerGreyPicture(int32_t& width, int32_t& height) override;
    const uint8_t* ColourPicture(int32_t& width, int32_t& height) override;
    const uint8_t* PartnerColourPicture(int32_t& width, int32_t& height) override;
    Picture PictureView(Eye eye, Tone tone) override;
    EyePairPtr Pair(Tone tone) override;

    void SetShift(int32_t shift) override { film_.SetShift(shift); }
    void SetRound(bool round) override { film_.SetRound(round); }
    void SetInvert(bool invert) override { film_.SetInvert(invert); }
    int32_t GetShift() const override { return film_.GetShift(); }
    bool GetRound() const override { return film_.GetRound(); }
    bool GetInvert() const override { return film_.GetInvert(); }
    int32_t FrameNumber() const override { return film_.FrameNumber(); }
    int32_t PartnerNumber() const override { return film_.PartnerNumber(); }
    int32_t FrameCount() const override { return film_.FrameCount(); }
    bool Next() override { return film_.Next(); }
    bool Prev() override { return film_.Prev(); }
    void ReleasePictures() override
    {
        drawn_[0] = drawn_[1] = {};
        film_.ReleasePictures();
    }
    int32_t Position() const override { return film_.Position(); }
    bool Seek(int32_t position) override { return film_.Seek(position); }
    int32_t Skip(int32_t steps) override { return film_.Skip(steps); }
    double FrameRate() const override { return film_.FrameRate(); }
    double Duration() const override { return film_.Duration(); }
    int32_t Eyes() const override { return film_.Eyes(); }
    SourceLayout Layout() const override { return film_.Layout(); }
    void SetPlaying(bool playing) override { film_.SetPlaying(playing); }
    int64_t TimeAt(int32_t position) const override { return film_.TimeAt(position); }
    bool ReadyAt(int32_t position) override { return film_.ReadyAt(position); }
    bool CachesItsFrames() const override { return film_.CachesItsFrames(); }
    std::string SourceFile(Eye eye) override { return film_.SourceFile(eye); }

private:
    // The drawn pair of the current frame in `tone`; null when no subtitle
    // shows, and the film's own pictures are handed out.
    const EyePair* Drawn(Tone tone);
    const uint8_t* Raw(Eye eye, Tone tone, int32_t& width, int32_t& height);

    Film& film_;
    SubtitleStage& stage_;
    StageOptions options_;
    struct DrawnPair {
        EyePairPtr pair;
        int32_t frame = -2;
        int32_t partner = -2;
    };
    DrawnPair drawn_[2];
};

}  // namespace plexo::subtitle
