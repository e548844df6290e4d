#include "video/video_source.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo::video {

namespace {

// Frames decoded ahead of the cursor and of its partner, in the direction of
// play, while no caller waits; fewer when the cache has no room for them, or
// when they would pass kAheadBytes: large frames take long to decode, so a
// few of them cover as much time as many small ones.
constexpr int64_t kAhead = 16;
constexpr size_t kAheadBytes = size_t(64) << 20;
// While the film plays, the frames kept behind those it is about to show.
constexpr size_t kKeptBehind = 1;
// A frame at most this far ahead of the decoder is reached by decoding on;
// one farther is reached from the keyframe before it, which may be nearer.
constexpr int64_t kForwardReach = 64;
// However late the decoder is, at least every this many frames plus one is
// converted, so that the picture moves on.
constexpr int64_t kMostSkipped = 8;
// A decoder whose next frame would be shown more frames late than this
// decodes only the frames others refer to, until it catches up.
constexpr int64_t kDropUnreferenced = 3;

bool Repaired(const AVFrame& frame)
{
    return frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT);
}

// The bytes of one converted frame of the file: a half layout's eyes are
// each stretched to the whole picture's size.
size_t ConvertedBytes(const VideoFile& file, const StereoLayout& eyes)
{
    const size_t whole = size_t(std::max(file.Width(), 1)) * size_t(std::max(file.Height(), 1)) * 3;
    return eyes.half ? 2 * whole : whole;
}

// Frames read ahead: room is left in the budget for the frame shown, its
// partner and the frames on their way.
int64_t AheadOf(size_t budget, size_t frameBytes)
{
    frameBytes = std::max<size_t>(frameBytes, 1);
    return std::clamp<int64_t>(std::min(int64_t(budget / frameBytes) - 4, int64_t(kAheadBytes / frameBytes)), 1, kAhead);
}

}  // namespace

size_t FrameCacheBytes(size_t frameBytes)
{
    constexpr size_t kFrames = 32, kLeast = size_t(64) << 20, kMost = size_t(384) << 20;
    return std::clamp(frameBytes * kFrames, kLeast, kMost);
}

VideoSource::VideoSource(std::unique_ptr<VideoFile> file, FrameTimes times, StereoLayout eyes, size_t cacheBytes)
    : facts_(file->Facts()),
      file_(std::move(file)),
      times_(std::move(times)),
      shaper_(facts_.orientation, eyes),
      cache_(cacheBytes > 0 ? cacheBytes : FrameCacheBytes(ConvertedBytes(*file_, eyes))),
      ahead_(AheadOf(cache_.Budget(), ConvertedBytes(*file_, eyes))),
      count_(times_.Count()),
      countFinal_(false)
{
    worker_ = std::thread([this] { Run(); });
}

VideoSource::~VideoSource()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    decoded_.notify_all();
    worker_.join();
}

int64_t VideoSource::Count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

bool VideoSource::CountFinal() const
{
    std::lock_guard lock(mutex_);
    return countFinal_;
}

size_t VideoSource::CachedBytes() const
{
    std::lock_guard lock(mutex_);
    return cache_.Bytes();
}

SharedPicture VideoSource::Frame(int64_t index, bool wait)
{
    std::unique_lock lock(mutex_);
    if (index < 0 || index >= count_)
        return nullptr;
    if (SharedPicture kept = cache_.Find(index); kept || !wait)
        return kept;
    // Asked for again, a frame that failed is tried again.
    failed_.erase(index);
    const auto waiting = waited_.insert(index);
    wake_.notify_all();
    decoded_.wait(lock,
                  [&] { return quit_ || dead_ || index >= count_ || cache_.Has(index) || failed_.count(index); });
    waited_.erase(waiting);
    return cache_.Find(index);
}

int64_t VideoSource::NewestKept(int64_t from, int64_t to, const std::function<int64_t(int64_t)>& partnerOf) const
{
    std::lock_guard lock(mutex_);
    return cache_.NewestIn(from, to, [&](int64_t at) {
        const int64_t partner = partnerOf(at);
        return partner == at || cache_.Has(partner);
    });
}

void VideoSource::SetScale(PictureScale scale)
{
    {
        std::lock_guard lock(mutex_);
        if (scale == scale_)
            return;
        scale_ = scale;
        if (dueFirst_ < 0)
            cache_.DropFrom(0);
    }
    wake_.notify_all();
}

PictureScale VideoSource::ScaleForLocked(int64_t index) const
{
    return ownSize_.count(index) ? PictureScale{} : scale_;
}

SharedPicture VideoSource::OwnSize(int64_t index)
{
    std::unique_lock lock(mutex_);
    if (index < 0 || index >= count_)
        return nullptr;
    if (SharedPicture kept = cache_.Find(index); kept && kept->MadeAt().natural())
        return kept;
    cache_.Drop(index);
    failed_.erase(index);
    const auto own = ownSize_.insert(index);
    const auto waiting = waited_.insert(index);
    wake_.notify_all();
    decoded_.wait(lock,
                  [&] { return quit_ || dead_ || index >= count_ || cache_.Has(index) || failed_.count(index); });
    waited_.erase(waiting);
    ownSize_.erase(own);
    return cache_.Find(index);
}

void VideoSource::SetKeptHook(std::function<void()> hook)
{
    std::lock_guard lock(mutex_);
    keptHook_ = std::move(hook);
}

SharedPicture VideoSource::Newest(int64_t index)
{
    std::unique_lock lock(mutex_);
    const uint64_t mine = ++requests_;
    newest_ = -1;
    // Any older wait is overtaken.
    decoded_.notify_all();
    if (index < 0 || index >= count_)
        return nullptr;
    if (SharedPicture kept = cache_.Find(index))
        return kept;
    failed_.erase(index);
    newest_ = index;
    const auto waiting = waited_.insert(index);
    wake_.notify_all();
    decoded_.wait(lock, [&] {
        return quit_ || dead_ || index >= count_ || cache_.Has(index) || failed_.count(index) || requests_ != mine;
    });
    waited_.erase(waiting);
    if (requests_ != mine)
        return nullptr;
    newest_ = -1;
    return cache_.Find(index);
}

void VideoSource::Aim(int64_t cursor, int64_t partner, int direction, bool overtakes)
{
    {
        std::lock_guard lock(mutex_);
        const int turned = direction < 0 ? -1 : 1;
        // Looped round or turned: the frames due were those of the leg before.
        if (turned != direction_ || (cursor - cursor_) * turned < 0)
            dueFirst_ = duePartner_ = -1;
        cursor_ = cursor;
        partner_ = partner;
        direction_ = turned;
        refused_ = -1;
        failed_.clear();
        if (overtakes) {
            ++requests_;
            newest_ = -1;
        }
    }
    decoded_.notify_all();
    wake_.notify_all();
}

void VideoSource::Due(int64_t first, int64_t partner)
{
    {
        std::lock_guard lock(mutex_);
        if (first == dueFirst_ && partner == duePartner_)
            return;
        chaseBegun_ = chaseBegun_ || (dueFirst_ < 0 && first >= 0);
        dueFirst_ = first < 0 ? -1 : first;
        duePartner_ = first < 0 ? -1 : partner;
        refused_ = -1;
    }
    wake_.notify_all();
}

SharedPicture VideoSource::StandIn(int64_t index) const
{
    std::lock_guard lock(mutex_);
    return index >= standInFrom_ && index <= standInTo_ ? standIn_ : nullptr;
}

void VideoSource::SetReadAhead(bool on)
{
    {
        std::lock_guard lock(mutex_);
        readAhead_ = on;
    }
    wake_.notify_all();
}

int64_t VideoSource::LatenessLocked(int64_t index) const
{
    if (dueFirst_ < 0)
        return 0;
    const int64_t earliest = direction_ > 0 ? std::min(dueFirst_, duePartner_) : std::max(dueFirst_, duePartner_);
    // The frame due now is late too: its time is over by the time it is
    // converted, and the frame after it, made sooner, shows instead.
    return (earliest - index) * direction_ + 1;
}

std::pair<int64_t, int64_t> VideoSource::AheadFromLocked() const
{
    if (dueFirst_ < 0)
        return {cursor_, partner_};
    const auto later = [&](int64_t a, int64_t b) { return (a - b) * direction_ > 0 ? a : b; };
    return {later(cursor_, dueFirst_ + direction_), later(partner_, duePartner_ + direction_)};
}

int64_t VideoSource::TimestampUs(int64_t index) const
{
    if (index < 0 || index >= times_.Count())
        return -1;
    return av_rescale_q(times_.TimeOf(index) - times_.TimeOf(0), facts_.timeBase, AVRational{1, 1000000});
}

void VideoSource::SetDecodeHook(std::function<void(int64_t, bool)> hook)
{
    std::lock_guard lock(mutex_);
    decodeHook_ = std::move(hook);
}

void VideoSource::TellDamage(const std::string& path)
{
    std::string damage;
    {
        std::lock_guard lock(mutex_);
        if (damage_.empty() || damageTold_)
            return;
        damageTold_ = true;
        damage = damage_;
    }
    // Met on every tick and repaint, it is told once, as a damaged BMP
    // frame is.
    platform::ShowMessage(damage);
    LogMessage(damage + ": " + path);
}

void VideoSource::NoteDamage(const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (damage_.empty())
        damage_ = text;
}

int64_t VideoSource::Wanted() const
{
    if (dead_)
        return -1;
    if (newest_ >= 0 && newest_ < count_ && !cache_.Has(newest_) && !failed_.count(newest_))
        return newest_;
    for (const int64_t index : waited_)
        if (index < count_ && !cache_.Has(index) && !failed_.count(index))
            return index;
    const auto [cursor, partner] = AheadFromLocked();
    const int64_t passedFrom = chaseBegun_ ? next_ : passedFrom_;
    for (int64_t k = 0; k <= AheadLocked(); ++k)
        for (const int64_t from : {cursor, partner}) {
            const int64_t index = from + k * direction_;
            // Chasing the clock, a frame the decoder passed in this chase and
            // did not keep is let go: going back for it would cost a seek.
            // One it stands beyond since an earlier leg (after Home, a seek
            // back, a loop) is decoded afresh.
            if (ChasingLocked() && next_ >= 0 && index < next_ && index >= passedFrom)
                continue;
            if (index == refused_ || failed_.count(index))
                return -1;
            if (index >= 0 && index < count_ && !cache_.Has(index))
                return index;
        }
    return -1;
}

std::pair<int64_t, int64_t> VideoSource::SpanLocked() const
{
    const auto [cursor, partner] = AheadFromLocked();
    return {std::min(cursor, partner) - (direction_ < 0 ? AheadLocked() : 0),
            std::max(cursor, partner) + (direction_ > 0 ? AheadLocked() : 0)};
}

bool VideoSource::WorthLocked(int64_t index) const
{
    const auto [low, high] = SpanLocked();
    return waited_.count(index) || (index >= low && index <= high);
}

bool VideoSource::KeepLocked(int64_t index, SharedPicture frame)
{
    if (dueFirst_ >= 0) {
        // Playing, the frames behind the span go at once but for the newest
        // few, which the player may show while the decoder is behind; so do
        // the frames past its far end (those of the leg before a loop). A
        // playing film holds the frames ahead of it, not the budget's worth
        // behind it.
        const auto [low, high] = SpanLocked();
        cache_.KeepAround(low, high, direction_, kKeptBehind, [&](int64_t kept) { return waited_.count(kept) != 0; });
    }
    // A frame someone waits for is kept whatever else goes.
    if (waited_.count(index))
        return cache_.Keep(index, std::move(frame), index, index);
    const auto [low, high] = SpanLocked();
    return cache_.Keep(index, std::move(frame), low, high);
}

bool VideoSource::OnTheWay(int64_t target, bool chasing) const
{
    // Chasing the clock, a seek to the keyframe before the frame due would
    // throw away what the decoder has made on its way there.
    return next_ >= 0 && target >= next_ && (chasing || target - next_ <= kForwardReach);
}

void VideoSource::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || Wanted() >= 0; });
        if (quit_)
            return;
        const int64_t target = Wanted();
        lock.unlock();
        Reach(target);
        lock.lock();
    }
}

void VideoSource::Fail(int64_t index, const std::string& why)
{
    std::lock_guard lock(mutex_);
    if (damage_.empty())
        damage_ = why;
    failed_.insert(index);
    decoded_.notify_all();
}

bool VideoSource::Restart(int64_t target)
{
    dropping_ = false;
    if (!file_->SeekBefore(facts_.firstTime)) {
        next_ = -1;
        Fail(target, "the video cannot be read from its start again");
        return false;
    }
    next_ = 0;
    return true;
}

void VideoSource::Reach(int64_t target)
{
    // From the start a frame's index is counted; after a seek elsewhere it is
    // taken from the frame's time. A seek the file refuses falls back on
    // counting from the start.
    bool chasing = false;
    {
        std::lock_guard lock(mutex_);
        if (chaseBegun_) {
            passedFrom_ = next_;
            chaseBegun_ = false;
        }
        chasing = ChasingLocked();
        DropWhenBehindLocked();
    }
    if (!OnTheWay(target, chasing)) {
        if (target > kForwardReach && placedByTime_ && file_->SeekBefore(times_.TimeOf(target))) {
            next_ = -1;
            dropping_ = false;
        }
        else if (!Restart(target))
            return;
    }
    FrameHandle frame;
    for (;;) {
        const Decoded got = file_->Next(frame);
        if (got == Decoded::Damaged) {
            NoteDamage(file_->DamageText());
            continue;
        }
        if (got == Decoded::Failed) {
            // Where the decoder stands is not known: the next frame sought
            // is sought afresh.
            next_ = -1;
            Fail(target, "a frame cannot be decoded: " + file_->DamageText());
            return;
        }
        if (got == Decoded::End) {
            if (next_ < 0) {
                // The seek went past the last frame.
                if (!Restart(target))
                    return;
                continue;
            }
            std::lock_guard lock(mutex_);
            if (next_ < count_) {
                count_ = next_;
                cache_.DropFrom(count_);
            }
            countFinal_ = true;
            // A file that gives no frame from its start any more is done with.
            dead_ = next_ == 0;
            decoded_.notify_all();
            return;
        }
        const int64_t time = TimeOf(*frame);
        if (next_ < 0 && (time == AV_NOPTS_VALUE || times_.IndexAt(time) > target)) {
            // A frame without a time cannot be placed, and a keyframe after
            // the frame asked for (a container that indexes decoding times)
            // is of no use: the frames are counted from the start instead.
            if (!Restart(target))
                return;
            continue;
        }
        // Once the decoder may have dropped frames, a frame is placed by its
        // time.
        const bool placed = next_ < 0 || (dropping_ && time != AV_NOPTS_VALUE);
        if (!placed && next_ < times_.Count() && time != AV_NOPTS_VALUE && times_.IndexAt(time) != next_)
            placedByTime_ = false;
        const int64_t index = placed ? times_.IndexAt(time) : next_;
        const bool landed = next_ < 0;
        // After a seek the frames passed start where the decoder landed.
        if (next_ <= 0)
            passedFrom_ = index;
        next_ = index + 1;
        if (Repaired(*frame))
            NoteDamage("the decoder repaired a damaged frame");
        std::function<void(int64_t, bool)> hook;
        bool worth = true;
        bool late = false;
        // Out of playback, a keyframe short of the frame sought (where a seek
        // lands) is shown for it meanwhile: a drag of the timeline moves the
        // picture at once, and the exact frame follows.
        bool standIn = false;
        PictureScale scale;
        {
            std::lock_guard lock(mutex_);
            hook = decodeHook_;
            scale = ScaleForLocked(index);
            const int64_t lateness = LatenessLocked(index);
            late = lateness > 0 && !waited_.count(index);
            standIn = dueFirst_ < 0 && index < target && (landed || frame->key_frame);
            worth = late ? lateSkipped_ >= std::min(lateness, kMostSkipped)
                         : standIn || index >= target || WorthLocked(index);
        }
        lateSkipped_ = worth ? 0 : lateSkipped_ + (late ? 1 : 0);
        if (hook)
            hook(index, worth);
        // Converted here, on the worker, and only when it is to be kept.
        SharedPicture picture = worth ? shaper_.Shape(*frame, index, TimestampUs(index), scale) : nullptr;
        std::lock_guard lock(mutex_);
        // Out of playback, a frame made at a scale asked for no more is made
        // again: it may be the one shown still. So is one waited for at its
        // own size.
        if (picture && picture->MadeAt() != ScaleForLocked(index) && (dueFirst_ < 0 || ownSize_.count(index))) {
            decoded_.notify_all();
            return;
        }
        if (worth && !picture) {
            if (damage_.empty())
                damage_ = "a frame cannot be converted";
            failed_.insert(index);
        }
        if (standIn && picture) {
            standIn_ = picture;
            standInFrom_ = index;
            standInTo_ = target;
        }
        else if (index >= standInTo_) {
            standIn_ = nullptr;
            standInFrom_ = standInTo_ = -1;
        }
        const bool stands = standIn && picture;
        const bool kept = picture && KeepLocked(index, std::move(picture));
        decoded_.notify_all();
        if ((kept || stands) && keptHook_)
            keptHook_();
        if (quit_)
            return;
        // A frame left late is no refusal: the frames due are sought on.
        if (index >= target && !(late && !worth)) {
            if (!kept && !failed_.count(index))
                refused_ = target;
            return;
        }
        // Something more urgent than the frame sought may have come up.
        const int64_t now = Wanted();
        if (now < 0 || (now != target && !OnTheWay(now, ChasingLocked())))
            return;
        // The keyframe passed stands in for the frames on from it.
        if (now > standInTo_ && standInTo_ >= 0)
            standInTo_ = now;
        target = now;
        DropWhenBehindLocked();
    }
}

void VideoSource::DropWhenBehindLocked()
{
    // Never while a caller waits: the frame it waits for may be one dropped.
    const bool drop = ChasingLocked() && waited_.empty() && placedByTime_ && next_ >= 0 &&
                      LatenessLocked(next_) > kDropUnreferenced;
    file_->SkipUnreferenced(drop);
    dropping_ = dropping_ || drop;
}

}  // namespace plexo::video
