#pragma once
// The stage between a film's pair and the compositors that draws the
// subtitle of the pair's moment into copies of both eyes: the first eye's
// copy moved right by ⌈d/2⌉ whole pixels and the second's left by ⌊d/2⌋ for
// a disparity d, so the text is never resampled.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "film/eye_pair.h"
#include "image/stereo_layout.h"
#include "subtitle/disparity.h"
#include "subtitle/subtitle_depth.h"
#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

// The nearest disparity under `box` over the frames of the event, when the
// film can be looked over ahead; nullopt when it cannot.
using LookAhead = std::function<std::optional<int>(const EventSpan& event, const Box& box)>;

// What a look-ahead knows of an event: nothing yet while it is being
// measured, else the nearest disparity over it (nullopt when none was found).
struct AheadAnswer {
    bool known = false;
    std::optional<int> nearest;
};
// `early`: asked before the event shows, so that its answer is there when
// it does.
using AheadAsk = std::function<AheadAnswer(const EventSpan& event, const Box& box, bool early)>;

// How the eyes are drawn into.
struct StageOptions {
    DepthChoice depth;
    // A presentation that shows one eye: the subtitle is drawn unshifted.
    bool mono = false;
    // How the source laid out its frame, for subtitles drawn as authored.
    StereoLayout layout;
    // The disparity range searched for the content's.
    int range = 96;
    // For a presentation that shows the eyes one to one, centred and cut to
    // the view: the view's size in pixels. The subtitle is laid out within
    // the part of the eye on the screen, so that a film taller than the view
    // keeps its bottom line in sight; 0 lays it out over the whole eye.
    int viewWidth = 0;
    int viewHeight = 0;
    // The subtitles shown this much later than their times (earlier when
    // negative).
    int64_t delayUs = 0;
};

class TextLine;

class SubtitleStage {
public:
    // Null `source`: no subtitles, only the line set by SetLine.
    explicit SubtitleStage(SubtitleSourcePtr source) : source_(std::move(source)) {}

    // A new pair with the subtitle at the pair's time (less the delay), and
    // the line when one is set, drawn into owned copies of its eyes; the
    // pair itself when neither shows or the pair keeps no time for a
    // subtitle; null when memory cannot be had. The line stands at the
    // subtitles' depth: the fixed one, the subtitle's drawn with it, else
    // the nearest content's under it. Any thread, one
    // call at a time: a player stages pairs ahead on a worker while Copy
    // draws on the window's thread.
    EyePairPtr Apply(const EyePairPtr& pair, const StageOptions& options);

    // Looks over each event ahead before drawing it, waiting for the answer:
    // for a tool or an export, which are not in a hurry.
    void SetLookAhead(LookAhead measure);
    // Asks at each frame of an event until the answer is known (until then
    // the depth is raised at once when nearer content comes under the
    // subtitle), and once, early, about the event that comes next.
    void SetAheadAsk(AheadAsk ask)
    {
        ask_ = std::move(ask);
        early_ = true;
    }
    SubtitleSource& source() { return *source_; }
    // The line drawn over every pair with `text` (the on-screen time line);
    // null or an empty text: none. The line is shared with the next stage
    // built, for its renderer is costly to start.
    void SetLine(std::shared_ptr<TextLine> line, const std::string& text);
    // The disparity of the last subtitle drawn; any thread.
    int lastDisparity() const { return lastDisparity_; }

private:
    // Owned copies of the pair's eyes to draw `bitmap` into, its top
    // `firstTop` and `secondTop` rows down the authored frame: buffers handed
    // back by pairs no one holds any more (no page of a new buffer to fault
    // in at every frame), else new ones.
    EyePairPtr CopyForDrawing(const EyePair& pair, const SubtitleBitmap& bitmap, int firstTop, int secondTop);
    // Asks early about the event after `timeUs`, laid out over `canvas` at
    // `part` of the eye.
    void AskNext(int64_t timeUs, const Canvas& canvas, const Box& part);
    int Disparity(const EyePair& pair, const SubtitleBitmap& bitmap, const EventSpan& event,
                  const StageOptions& options);
    // The subtitle alone; `d` its disparity when one was drawn.
    EyePairPtr DrawSubtitle(const EyePairPtr& pair, const StageOptions& options, std::optional<int>& d);
    // The line into `drawn` (a copy of `pair`'s eyes made here, or `pair`).
    EyePairPtr DrawLine(const EyePairPtr& pair, EyePairPtr drawn, const StageOptions& options, std::optional<int> d);

    SubtitleSourcePtr source_;
    std::shared_ptr<TextLine> line_;
    bool lineShown_ = false;
    struct OwnedEyes {
        PictureBuffer first;
        PictureBuffer second;
    };
    // The buffers of pairs drawn here, handed back under the lock by the
    // last holder of each pair, on whatever thread lets it go: taken again
    // under the same lock, they are reused only after every read of them.
    // Shared with the pairs handed out, which may outlive the stage.
    struct Spares {
        std::mutex mutex;
        std::vector<std::unique_ptr<OwnedEyes>> eyes;
    };
    std::shared_ptr<Spares> spares_ = std::make_shared<Spares>();
    AheadAsk ask_;
    bool early_ = false;
    std::optional<int64_t> askedNext_;
    AutoDepth auto_;
    // The look-ahead's answer for the last event it knew.
    std::optional<int64_t> aheadEvent_;
    std::optional<int> ahead_;
    std::atomic<int> lastDisparity_ = 0;
    std::mutex mutex_;
};

// ⌊d/2⌋: the second copy moves left by it, the first right by d − ⌊d/2⌋,
// which is ⌈d/2⌉.
inline int FloorHalf(int d) { return d >= 0 ? d / 2 : -((1 - d) / 2); }

}  // namespace plexo::subtitle
