#pragma once
// The walk shared by the frame writers: every frame of the film from the
// first, stopping at the first frame that fails or when a stop is asked for.
// A writer's work on a frame is split in two: making its bytes (decoding,
// shaping, encoding), which runs on several threads at once, and putting
// them out, which runs on the calling thread in frame order. So the output
// is the same whatever the number of threads.

#include <cstdint>
#include <functional>
#include <memory>

#include "convert/converters.h"
#include "film/film.h"

namespace plexo {

// One writer's work on one frame at a time. A walk makes a few of them and
// reuses each for frame after frame.
class FrameWork {
public:
    virtual ~FrameWork() = default;
    // Turns the picture of the frame numbered `number` (empty when the film
    // gives none) into what Put writes, and may write it ahead under a
    // temporary name; false when the frame fails. May run on any thread,
    // beside other works' Make. The picture may be freed once Make returns,
    // unless HoldsPicture says otherwise.
    virtual bool Make(const Picture& picture, int32_t number) = 0;
    // True when what Make made may still point into the picture, which must
    // then stay until Put has returned.
    virtual bool HoldsPicture() const { return false; }
    // Puts out what Make made for the frame: writes it, or gives the file
    // written ahead its name; false when the frame fails. Called on the
    // walk's thread, in frame order; a frame never put leaves no file.
    virtual bool Put(int32_t number) = 0;
};

using FrameWorkMaker = std::function<std::unique_ptr<FrameWork>()>;

// Sets the film to shift 0 without wrapping, moves it to its first frame and
// runs a work on the picture of each frame in `tone`. A stop asked for before
// a frame is put ends the walk like a failed frame; progress is reported after
// every frame put. The frames of a single-source film are made on
// control.workers threads (0: one per core) while the calling thread puts
// them out in order; any other film, or one worker, is walked on the calling
// thread alone. On several threads a frame's messages and log lines are held
// until its turn to be put, and those of frames after the walk's end are
// dropped, so the user sees what one thread shows. A frame's picture is
// released once the frame is put, or, on several threads, once it is made
// unless the work holds it. When the calling thread must wait for the next
// frame to be made, it first runs `whileWaiting`, if given: a writer's slow
// work of its own that need not hold up the frames. True when every frame was
// put and no stop came.
bool WalkFrames(Film& film, Tone tone, const ConversionControl& control, const FrameWorkMaker& makeWork,
                const std::function<void()>& whileWaiting = {});

}  // namespace plexo
