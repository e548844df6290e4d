#include "video/video_film.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <system_error>

#include "platform/log.h"
#include "platform/message_sink.h"
#include "video/spatial_video.h"
#include "video/video_frame_source.h"
#include "video/video_pair.h"

namespace plexo::video {

PictureBuffer VideoCadre::Build(Tone tone)
{
    return film_.Build(size_t(number - 1), tone);
}

VideoFilm::VideoFilm(std::string path, std::unique_ptr<VideoSource> source, SourceLayout layout)
    : path_(std::move(path)),
      source_(std::move(source)),
      layout_(layout),
      count_(size_t(std::clamp<int64_t>(source_->Count(), 0, INT32_MAX)))
{
    MakeFirstCurrent();
    Aim(0);
}

PictureBuffer VideoFilm::Build(size_t index, Tone tone)
{
    const SharedPicture frame = source_->Frame(int64_t(index), !playing_);
    const Picture picture = frame ? frame->Eye(0, tone) : Picture{};
    PictureBuffer copy = picture ? PictureBuffer::allocate(picture.width, picture.height, picture.bytesPerPixel)
                                 : PictureBuffer{};
    if (copy)
        for (int r = 0; r < picture.height; ++r)
            std::memcpy(copy.row(r), picture.row(r), picture.rowBytes());
    return copy;
}

void VideoFilm::DropAllPictures()
{
    made_.clear();
    held_[0] = held_[1] = nullptr;
}

Cadre& VideoFilm::CadreAt(size_t index)
{
    std::unique_ptr<VideoCadre>& frame = made_[index];
    if (!frame)
        frame = std::make_unique<VideoCadre>(NumberAt(index), *this);
    return *frame;
}

void VideoFilm::Settle()
{
    const int64_t known = source_->Count();
    if (known >= int64_t(count_))
        return;
    LogMessage(path_ + ": the frames end at " + std::to_string(known) + " of the " + std::to_string(count_) +
               " stated");
    count_ = size_t(std::max<int64_t>(known, 0));
    // The frames past the end keep their objects until their pictures go: a
    // walk may have handed them to its workers.
    if (count_ > 0 && size_t(Position()) >= count_) {
        MSFilm::Seek(int32_t(count_ - 1));
        source_->Aim(Position(), int64_t(PartnerIndex()), direction_);
    }
}

void VideoFilm::Aim(int32_t from)
{
    const int32_t at = Position();
    if (at != from)
        direction_ = at > from ? 1 : -1;
    source_->Aim(at, int64_t(PartnerIndex()), direction_);
}

int32_t VideoFilm::Moved(int32_t from, const std::function<int32_t()>& move)
{
    int32_t made = move();
    // Aimed first, so that the frames decoded on the way to this one are
    // kept for the steps around it.
    Aim(from);
    // A stated count may promise more than the file holds; while it is not
    // confirmed, the frames a move lands on are decoded before it is taken,
    // and a cut makes the move again on the shorter film. Playback and the
    // window never wait: the worker meets the end and Settle takes it in.
    while (movesWait_ && !playing_ && !source_->CountFinal() && count_ > 0) {
        source_->Frame(std::max<int64_t>(Position(), int64_t(PartnerIndex())), true);
        if (source_->Count() >= int64_t(count_))
            break;
        Settle();
        MSFilm::Seek(from);
        made = move();
        Aim(from);
    }
    return made;
}

bool VideoFilm::Seek(int32_t position)
{
    Settle();
    const int32_t from = Position();
    return Moved(from, [&] { return int32_t(MSFilm::Seek(position)); }) != 0;
}

int32_t VideoFilm::Skip(int32_t steps)
{
    Settle();
    const int32_t from = Position();
    return Moved(from, [&] { return MSFilm::Skip(steps); });
}

void VideoFilm::SetRules(const StepRules& rules)
{
    const bool shifted = rules.shift != GetShift();
    MSFilm::SetRules(rules);
    if (!shifted)
        return;
    Settle();
    const int32_t at = Position();
    Moved(at, [&] { return int32_t(MSFilm::Seek(at)); });
}

FilmFacts VideoFilm::Facts() const
{
    const double rate = source_->Facts().frameRate;
    return {.frameRate = rate,
            .duration = PlayingTime(count_, rate),
            .layout = layout_,
            .projection = source_->Facts().sphere,
            .cachesItsFrames = true,
            .spatial = spatial_};
}

void VideoFilm::PlayingChanged(bool playing)
{
    playing_ = playing;
    if (!playing)
        return;
    // A video plays forward: after Home or a step back the decoder was aimed
    // the other way, and would neither read ahead nor chase the frames due.
    direction_ = 1;
    source_->Aim(Position(), int64_t(PartnerIndex()), direction_);
}

SharedPicture VideoFilm::Picked(Eye eye)
{
    Settle();
    source_->TellDamage(path_);
    if (count_ == 0)
        return nullptr;
    const size_t index = eye == Eye::Current ? size_t(Position()) : PartnerIndex();
    SharedPicture& shown = shown_[eye == Eye::Current ? 0 : 1];
    if (!playing_)
        return shown = source_->Newest(int64_t(index));
    if (SharedPicture ready = source_->Frame(int64_t(index), false))
        return shown = std::move(ready);
    return shown;
}

const uint8_t* VideoFilm::EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    SharedPicture& held = held_[eye == Eye::Current ? 0 : 1];
    held = Picked(eye);
    const Picture picture = held ? held->Eye(0, tone) : Picture{};
    if (!picture)
        return nullptr;
    width = picture.width;
    height = picture.height;
    return picture.data;
}

EyePairPtr VideoFilm::Pair(Tone tone)
{
    SharedPicture first = Picked(Eye::Current);
    return VideoPair(std::move(first), 0, Picked(Eye::Partner), 0, tone);
}

namespace {

// The stream's word says side by side or top-bottom, never half: the frame as
// shown, turned by the stream's rotation, decides.
bool HalfEyesOf(const VideoFile& file, const std::string& path, LayoutKind kind)
{
    const bool turned = file.Orienting().degrees % 180 != 0;
    const double aspect = file.SampleAspect();
    return HalfEyes(kind, turned && aspect > 0 ? 1 / aspect : aspect, path, turned ? file.Height() : file.Width(),
                    turned ? file.Width() : file.Height());
}

}  // namespace

FilmPtr OpenVideoFilm(const std::string& path, const LayoutChoice& choice)
{
    // Only a regular file that can be read: the libraries would wait for
    // ever on a FIFO. The open paths say why a missing or unreadable file
    // gives no film.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), R_OK) != 0)
        return nullptr;
    std::string why;
    std::unique_ptr<VideoFile> file = VideoFile::Open(path, why);
    std::optional<FrameTimes> times;
    if (file) {
        times = FrameTimesOf(path, *file);
        if (!times)
            why = "its frames cannot be listed";
    }
    if (!times) {
        platform::ShowMessage(path + ": not a video this program can show: " + why);
        return nullptr;
    }
    // The user's choice, the stream's own word, then the file's name.
    SourceLayout layout = file->Layout();
    if (choice || layout.origin == LayoutOrigin::None)
        layout = ChosenOrNamed(choice, path);
    // A spherical picture's eyes are looked into at the size they are
    // stored: never stretched to full first.
    else
        layout.layout.half = !file->Sphere().projection.spherical() && HalfEyesOf(*file, path, layout.layout.kind);
    try {
        auto source = std::make_unique<VideoSource>(std::move(file), std::move(*times), layout.layout);
        if (layout.layout.mono()) {
            FilmPtr film = FilmWithFrames<VideoFilm>(path, std::move(source), layout);
            // A spatial video shows its base layer, the left eye, and says
            // why the right one is missing.
            if (film)
                if (std::optional<SpatialFacts> spatial = SpatialVideoFacts(path)) {
                    LogMessage(path + ": " + spatial->missingEye);
                    static_cast<VideoFilm&>(*film).SetSpatial(std::move(*spatial));
                }
            return film;
        }
        return std::make_unique<TwoViewVideoFilm>(std::make_unique<VideoFrameSource>(path, std::move(source)), layout);
    } catch (const std::system_error&) {
        platform::ShowMessage(path + ": no thread to decode the video on");
        return nullptr;
    }
}

}  // namespace plexo::video
