#pragma once
// A film held in one .flm file: a 16-byte header (flags, frame count, width,
// height), an optional 8-byte extension saying whether frames are JPEG
// streams, then the frame records one after another, each optionally led by
// a 16-bit frame number. The file stays open while the film lives and every
// picture is read from it on demand.
//
// Opening keeps a few bytes a frame, never an object: raw records sit at a
// fixed stride, packed ones are found by their length fields, read a block
// at a time. A frame's object is made when its picture is first asked for.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "film/cadre.h"
#include "film/ms_film.h"
#include "image/input_file.h"

namespace plexo {

struct FlmHeader {
    enum Flags : uint32_t { kColour = 1, kNumbered = 2, kExtended = 4 };
    static constexpr int32_t kMaxSide = 5000;

    uint32_t flags = 0;
    int32_t frameCount = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t packed = 0;
    // Where the first record starts: 16, or 24 after the extension.
    int64_t firstRecord = 16;

    bool colour() const { return flags & kColour; }
    bool numbered() const { return flags & kNumbered; }
};

// Null when the header is short or any field is out of range.
std::optional<FlmHeader> ReadFlmHeader(const InputFile& file);

class FlmCadre : public Cadre {
public:
    FlmCadre(int32_t number, const FlmHeader& header, const InputFile& file, int64_t dataOffset);

protected:
    PictureBuffer Build(Tone tone) override;

private:
    PictureBuffer BuildRaw(Tone tone) const;
    PictureBuffer BuildPacked(Tone tone) const;

    int32_t width_;
    int32_t height_;
    const InputFile& file_;
    // Where the stream length (packed) or the raw pixels start.
    int64_t dataOffset_;
    bool packed_;
    bool colour_;
};

class FlmFilm : public MSFilm {
public:
    explicit FlmFilm(const std::string& fileName);
    // The frames refer to the file in place.
    FlmFilm(const FlmFilm&) = delete;
    FlmFilm& operator=(const FlmFilm&) = delete;
    // True when the file ends inside a frame record: it was cut short.
    bool EndsInsideRecord() const { return cut_; }

protected:
    size_t Count() const override { return count_; }
    int32_t NumberAt(size_t index) const override;
    Cadre& CadreAt(size_t index) override;
    void DropPicture(size_t index) override { made_.erase(index); }
    void DropAllPictures() override { made_.clear(); }

private:
    void FindRecords();
    int64_t DataOffset(size_t index) const;

    // Shared by all frames, which only read through it; none after a failed
    // open or a rejected header.
    std::optional<InputFile> file_;
    FlmHeader header_;
    size_t count_ = 0;
    bool cut_ = false;
    // Raw records: the bytes from one record to the next.
    int64_t stride_ = 0;
    // Packed records: where each frame's length field lies.
    std::vector<int64_t> offsets_;
    // Each frame's number, kept when the file stores numbers or packed
    // records may be passed over; otherwise a frame's number is its index.
    std::vector<int32_t> numbers_;
    // The frames whose pictures have been asked for since the last release.
    std::unordered_map<size_t, std::unique_ptr<FlmCadre>> made_;
};

}  // namespace plexo
