#pragma once
// The frames of one video, by index, from a worker thread that owns the
// decoder and converts each frame it keeps into the compositors' form
// (video_picture.h), so that no other thread converts. The worker decodes
// what a caller waits for first, the newest request before older ones, then
// a few frames ahead of the cursor in the direction of play, and keeps
// frames around the cursor in a cache bounded in bytes, so that stepping
// within it costs no decoding and playback finds its frames ready. While the
// film plays the cache holds only the frames ahead and the newest few
// behind, so that playing, looped or not, holds no more than that.
//
// Stepping forward decodes the next frame; a frame behind the decoder or far
// ahead of it is reached from the keyframe before it, while the frames' times
// place them where counting from the start does, else by counting. A count
// the file states or its packets give is trusted only as far as frames
// decode: the film is cut where they end. A failure to decode (no memory, a
// seek the file refuses) gives no frame and cuts nothing.
//
// The decoder stays with the worker; other threads see only the facts the
// stream stated on opening.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "image/stereo_layout.h"
#include "video/frame_cache.h"
#include "video/frame_shaper.h"
#include "video/frame_times.h"
#include "video/video_file.h"

namespace plexo::video {

// The cache's budget for frames of `frameBytes` converted: room for 32 of
// them (a second at 30 frames a second, half of one at 60), at least 64 MB
// and at most 384 MB, so that with the greys red-blue makes the cache stays
// under 512 MB at any size.
size_t FrameCacheBytes(size_t frameBytes);

class VideoSource {
public:
    // `eyes` splits each picture for a two-view film; mono keeps it whole.
    // A `cacheBytes` of 0 sizes the cache by the frame (FrameCacheBytes).
    VideoSource(std::unique_ptr<VideoFile> file, FrameTimes times, StereoLayout eyes = {}, size_t cacheBytes = 0);
    ~VideoSource();
    VideoSource(const VideoSource&) = delete;
    VideoSource& operator=(const VideoSource&) = delete;

    const VideoFacts& Facts() const { return facts_; }
    // The frames known: the stated or counted count, less what the file
    // turned out not to hold.
    int64_t Count() const;
    // True once the frames were decoded to their end: the count can shrink
    // no more.
    bool CountFinal() const;
    // The converted frame at `index`. With `wait`, decodes it first when it
    // is not kept; without, null when it is not decoded yet. Null past the
    // end and for a frame the decoder cannot give or failed to. Any thread.
    SharedPicture Frame(int64_t index, bool wait);
    // The frame at `index` as a step, a seek or a drag asks for it: waited
    // for, the decoder going for it before anything else, unless a newer
    // request (another call of Newest or an Aim, on any thread) comes first;
    // then this wait ends with null, so that requests never queue up.
    SharedPicture Newest(int64_t index);
    // Where pictures will be asked for next: the cursor, the partner and the
    // direction of play (1 or -1). The worker decodes ahead of both. A move
    // of the cursor `overtakes` the waits of Newest; a player asking ahead
    // while it plays does not.
    void Aim(int64_t cursor, int64_t partner, int direction, bool overtakes = true);
    // While the film plays: the frame its clock has reached and that frame's
    // partner; -1 when it does not play. A frame behind them would be shown
    // late, so the worker decodes it without converting it, but for one now
    // and then, the later the rarer, so that the picture still moves while
    // the decoder catches up. Decoding goes on to the frames due; a move
    // back or a turn forgets them until they are told again.
    void Due(int64_t first, int64_t partner);
    // The newest index from `from` to `to` whose frame and its partner's
    // (`partnerOf`, called under the source's lock) are both kept; -1 when
    // none. Any thread.
    int64_t NewestKept(int64_t from, int64_t to, const std::function<int64_t(int64_t)>& partnerOf) const;
    // Called on the worker, with the source's lock held, after each frame it
    // keeps and each keyframe it passes that stands in: it must only post,
    // never call back. Empty: none.
    void SetKeptHook(std::function<void()> hook);
    // The picture to show for `index` while it is decoded: the keyframe
    // before it that the decoder passed on its way there, when it did so
    // since the last frame it reached; null otherwise. Any thread.
    SharedPicture StandIn(int64_t index) const;
    // The scale the frames are made at from now on (film/picture_scale.h).
    // Out of playback the frames kept at another go, so that the frame shown
    // is made again at the new size; while the film plays those ahead stay
    // and are shown as they are, for making them again would stop the
    // picture.
    void SetScale(PictureScale scale);
    // The frame at `index` at its own size, whatever the scale: waited for,
    // made again when it is kept smaller. For what writes or copies the
    // picture shown. Null as for Frame.
    SharedPicture OwnSize(int64_t index);
    // Off: no frame is decoded ahead, and only the frames asked for or aimed
    // at are converted; on by default.
    void SetReadAhead(bool on);
    // The time of the frame at `index` from the first frame, in
    // microseconds, as the frames' times place it; -1 past the end.
    int64_t TimestampUs(int64_t index) const;
    // For tests: called on the worker with each frame's index as it is
    // decoded, and whether it is to be converted, before it is, so a test can
    // hold the worker there.
    void SetDecodeHook(std::function<void(int64_t index, bool converted)> hook);
    // Shows and logs, with the file's name, what the first damaged frame
    // said, once for the film; later damage is not told again. On the
    // caller's thread.
    void TellDamage(const std::string& path);
    size_t CachedBytes() const;

private:
    void Run();
    // Under the lock: the frame most wanted that is not kept, or -1.
    int64_t Wanted() const;
    // Decodes on until `target` is kept, the film ends or a frame elsewhere
    // becomes more urgent. Called unlocked, from the worker.
    void Reach(int64_t target);
    // True when decoding on from where the decoder stands reaches `target`
    // sooner than a seek does; while frames are due, any later frame is.
    bool OnTheWay(int64_t target, bool chasing) const;
    // Under the lock, from the worker: has the decoder drop the frames no
    // other refers to while it lies far behind the frames due.
    void DropWhenBehindLocked();
    // Under the lock: the frames decoded ahead now.
    int64_t AheadLocked() const { return readAhead_ ? ahead_ : 0; }
    // Under the lock: true while frames are due in forward play.
    bool ChasingLocked() const { return dueFirst_ >= 0 && direction_ > 0; }
    // Under the lock: how late the frame at `index` would be shown, in
    // frames; 0 or less when it is not late.
    int64_t LatenessLocked(int64_t index) const;
    // Under the lock: where the frames wanted ahead start, for the cursor and
    // for its partner: where they stand, or the first frames not late when
    // those lie farther on.
    std::pair<int64_t, int64_t> AheadFromLocked() const;
    void NoteDamage(const std::string& text);
    // Gives up on `index` for now, noting why; waiters for it get no frame.
    void Fail(int64_t index, const std::string& why);
    // Seeks back to the first frame; false after Fail when the file refuses.
    bool Restart(int64_t target);
    // Under the lock: the span of frames around the cursor the cache keeps.
    std::pair<int64_t, int64_t> SpanLocked() const;
    // Under the lock: true when a frame decoded at `index` is to be
    // converted and kept; a frame only on the way to another is not.
    bool WorthLocked(int64_t index) const;
    // Under the lock: the scale the frame at `index` is to be made at.
    PictureScale ScaleForLocked(int64_t index) const;
    // Under the lock: false when the cache had no room for the frame.
    bool KeepLocked(int64_t index, SharedPicture frame);

    const VideoFacts facts_;
    std::unique_ptr<VideoFile> file_;
    const FrameTimes times_;
    // The worker's own.
    FrameShaper shaper_;
    // The worker's own: the index of the frame the decoder gives next, -1
    // just after a seek.
    int64_t next_ = 0;
    // The worker's own: true once the decoder may have dropped frames since
    // the last seek, so that frames are no longer counted.
    bool dropping_ = false;
    // The worker's own: false once a frame counted from the start was not
    // where its time put it (a variable rate the times did not tell); then
    // frames are reached by counting only.
    bool placedByTime_ = true;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable decoded_;
    FrameCache cache_;
    // The frames decoded ahead while reading ahead.
    const int64_t ahead_;
    bool readAhead_ = true;
    std::multiset<int64_t> waited_;
    PictureScale scale_;
    // The frames waited for at their own size (OwnSize).
    std::multiset<int64_t> ownSize_;
    // The frame of the newest request still waited for, -1 without one, and
    // the number of requests made, by which an older wait knows it is
    // overtaken.
    int64_t newest_ = -1;
    uint64_t requests_ = 0;
    std::function<void(int64_t, bool)> decodeHook_;
    std::function<void()> keptHook_;
    int64_t count_;
    bool countFinal_;
    int64_t cursor_ = 0;
    int64_t partner_ = 0;
    int direction_ = 1;
    int64_t dueFirst_ = -1;
    int64_t duePartner_ = -1;
    // Set when frames become due after none were: the frames the decoder
    // passed before then are not the chase's. The first frame the decoder
    // gave in the chase or since its last seek, which the worker keeps (it
    // reads it under the lock).
    bool chaseBegun_ = false;
    int64_t passedFrom_ = 0;
    // The worker's own: late frames decoded in a row without converting.
    int64_t lateSkipped_ = 0;
    // The keyframe last passed on the way to a frame out of playback, and the
    // frames it stands in for, from itself to the frame sought.
    SharedPicture standIn_;
    int64_t standInFrom_ = -1;
    int64_t standInTo_ = -1;
    std::string damage_;
    bool damageTold_ = false;
    // The frame ahead the cache had no room for, wanted no more until the
    // next aim.
    int64_t refused_ = -1;
    // The frames the decoder failed to give, not sought again until they are
    // asked for or aimed at anew.
    std::set<int64_t> failed_;
    // Set when the file gives no frame from its start: nothing more is
    // decoded.
    bool dead_ = false;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace plexo::video
