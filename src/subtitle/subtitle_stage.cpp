#include "subtitle/subtitle_stage.h"

#include <algorithm>

#include "image/copy_past_caches.h"
#include "subtitle/ass_subtitles.h"

namespace plexo::subtitle {

namespace {

// The content beside the box counts too: the two copies stand apart by the
// disparity.
constexpr int kBoxWidening = 16;

// The buffers kept for reuse: those of the pair shown and of the one drawn
// next come back in turn; more come back only when many pairs are dropped
// at once (a seek), and are freed.
constexpr size_t kSpareEyes = 2;

// The authored frame of a side-by-side or top-bottom source: both eyes'
// areas, as the source's frame was (one eye's size for a half layout).
Canvas AuthoredCanvas(const StereoLayout& layout, int eyeWidth, int eyeHeight)
{
    const bool across = layout.kind == LayoutKind::SideBySide;
    const int width = across ? eyeWidth * 2 : eyeWidth;
    const int height = across ? eyeHeight : eyeHeight * 2;
    return {width, height, layout.half ? eyeWidth : width, layout.half ? eyeHeight : height};
}

// The authored frame's subtitle into the eye whose area starts at
// (left, top) of it.
void DrawArea(SubtitleBitmap bitmap, int left, int top, const Picture& eye)
{
    bitmap.y -= top;
    DrawBitmap(bitmap, -left, eye);
}

// `from` into `to`, allocated unless it has the size already; the packed
// view of the copy, or none when `from` is none or memory cannot be had.
// The copy is composed a frame later at the soonest: it bypasses the caches
// but for the rows `bitmap` is drawn over next, its top `top` rows down the
// authored frame.
Picture CopyInto(const Picture& from, PictureBuffer& to, const SubtitleBitmap& bitmap, int top)
{
    if (!from)
        return {};
    if (!to || to.width != from.width || to.height != from.height || to.bytesPerPixel != from.bytesPerPixel)
        to = PictureBuffer::allocate(from.width, from.height, from.bytesPerPixel);
    if (!to)
        return {};
    // The picture's rows run bottom first.
    const int64_t first = int64_t(from.height) - (int64_t(bitmap.y) - top + bitmap.height);
    const int64_t end = int64_t(from.height) - (int64_t(bitmap.y) - top);
    CopyPastCaches(from, to.bytes.get(), int(std::clamp<int64_t>(first, 0, from.height)),
                   int(std::clamp<int64_t>(end, 0, from.height)));
    return to.view();
}

// The box measured under a subtitle laid out at `part` of the eye.
Box WidenedBox(const SubtitleBitmap& bitmap, const Box& part)
{
    return {part.x + bitmap.x - kBoxWidening, part.y + bitmap.y, bitmap.width + 2 * kBoxWidening, bitmap.height};
}

// The part of a `width` x `height` eye on the screen: centred and cut to the
// view where the eyes are shown one to one, else the whole eye.
Box ShownPart(int width, int height, const StageOptions& options)
{
    const int shownWidth = options.viewWidth > 0 ? std::min(width, options.viewWidth) : width;
    const int shownHeight = options.viewHeight > 0 ? std::min(height, options.viewHeight) : height;
    return {(width - shownWidth) / 2, (height - shownHeight) / 2, shownWidth, shownHeight};
}

}  // namespace

EyePairPtr SubtitleStage::CopyForDrawing(const EyePair& pair, const SubtitleBitmap& bitmap, int firstTop,
                                          int secondTop)
{
    std::unique_ptr<OwnedEyes> eyes;
    {
        const std::lock_guard lock(spares_->mutex);
        if (!spares_->eyes.empty()) {
            eyes = std::move(spares_->eyes.back());
            spares_->eyes.pop_back();
        }
    }
    if (!eyes)
        eyes = std::make_unique<OwnedEyes>();
    auto drawn = std::make_shared<EyePair>();
    drawn->first = CopyInto(pair.first, eyes->first, bitmap, firstTop);
    drawn->second = CopyInto(pair.second, eyes->second, bitmap, secondTop);
    if (!drawn->first || (pair.second && !drawn->second))
        return nullptr;
    drawn->frameNumber = pair.frameNumber;
    drawn->partnerNumber = pair.partnerNumber;
    drawn->timestampUs = pair.timestampUs;
    drawn->ownWidth = pair.ownWidth;
    drawn->ownHeight = pair.ownHeight;
    drawn->owner = std::shared_ptr<OwnedEyes>(eyes.release(), [spares = spares_](OwnedEyes* done) {
        std::unique_ptr<OwnedEyes> back(done);
        const std::lock_guard lock(spares->mutex);
        if (spares->eyes.size() < kSpareEyes)
            spares->eyes.push_back(std::move(back));
    });
    return drawn;
}

void SubtitleStage::SetLookAhead(LookAhead measure)
{
    ask_ = [measure = std::move(measure)](const EventSpan& event, const Box& box, bool) {
        return AheadAnswer{true, measure(event, box)};
    };
    early_ = false;
}

void SubtitleStage::AskNext(int64_t timeUs, const Canvas& canvas, const Box& part)
{
    const std::optional<EventSpan> next = source_->NextEvent(timeUs);
    if (!next || askedNext_ == next->start || next->end - next->start > kLookAheadLimitUs)
        return;
    askedNext_ = next->start;
    if (const SubtitleBitmap& bitmap = source_->Render(next->start, canvas); !bitmap.empty())
        ask_(*next, WidenedBox(bitmap, part), true);
}

int SubtitleStage::Disparity(const EyePair& pair, const SubtitleBitmap& bitmap, const EventSpan& event,
                             const StageOptions& options)
{
    if (options.depth.mode == DepthMode::Fixed)
        return options.depth.fixed;
    const Box box = WidenedBox(bitmap, {});
    const std::optional<int> nearest = NearestDisparity(pair.first, pair.second, box, options.range);
    if (ask_ && event.end - event.start <= kLookAheadLimitUs && aheadEvent_ != event.start)
        if (const AheadAnswer answer = ask_(event, box, false); answer.known) {
            aheadEvent_ = event.start;
            ahead_ = answer.nearest;
        }
    return auto_.Next(event.start, event.end, nearest, aheadEvent_ == event.start ? ahead_ : std::nullopt);
}

EyePairPtr SubtitleStage::DrawSubtitle(const EyePairPtr& pair, const StageOptions& options, std::optional<int>& d)
{
    const int64_t time = pair->timestampUs - options.delayUs;
    const int width = pair->first.width, height = pair->first.height;
    const bool authored = options.depth.mode == DepthMode::AsAuthored && !options.layout.mono();
    const Box part = authored ? Box{0, 0, width, height} : ShownPart(width, height, options);
    const Canvas canvas = authored ? AuthoredCanvas(options.layout, width, height) : CanvasOf(part.width, part.height);
    const bool measured = options.depth.mode == DepthMode::Automatic && !options.mono && pair->second;
    const std::optional<EventSpan> event = source_->EventAt(time);
    if (!event) {
        if (measured && early_)
            AskNext(time, canvas, part);
        return pair;
    }
    const SubtitleBitmap& rendered = source_->Render(time, canvas);
    if (rendered.empty())
        return pair;
    // Laid out over the part of the eye on the screen, moved to where it lies.
    SubtitleBitmap moved;
    if (part.x != 0 || part.y != 0) {
        moved = rendered;
        moved.x += part.x;
        moved.y += part.y;
    }
    const SubtitleBitmap& bitmap = part.x != 0 || part.y != 0 ? moved : rendered;
    // The areas of the authored frame that held the first (left) eye and the
    // second.
    const bool across = options.layout.kind == LayoutKind::SideBySide;
    const int firstArea = options.layout.rightFirst ? 1 : 0;
    const auto origin = [&](int area) { return across ? std::pair{area * width, 0} : std::pair{0, area * height}; };
    const auto [fx, fy] = authored ? origin(firstArea) : std::pair{0, 0};
    const auto [sx, sy] = authored ? origin(1 - firstArea) : std::pair{0, 0};
    EyePairPtr drawn = CopyForDrawing(*pair, bitmap, fy, sy);
    if (!drawn)
        return nullptr;
    if (authored) {
        DrawArea(bitmap, fx, fy, drawn->first);
        DrawArea(bitmap, sx, sy, drawn->second);
        return drawn;
    }
    if (options.mono || !pair->second) {
        DrawBitmap(bitmap, 0, drawn->first);
        DrawBitmap(bitmap, 0, drawn->second);
        return drawn;
    }
    d = Disparity(*pair, bitmap, *event, options);
    lastDisparity_ = *d;
    DrawBitmap(bitmap, *d - FloorHalf(*d), drawn->first);
    DrawBitmap(bitmap, -FloorHalf(*d), drawn->second);
    // After the drawing: the next event's rendering takes the place of this one's.
    if (measured && early_)
        AskNext(time, canvas, part);
    return drawn;
}

EyePairPtr SubtitleStage::DrawLine(const EyePairPtr& pair, EyePairPtr drawn, const StageOptions& options,
                                   std::optional<int> d)
{
    const Box part = ShownPart(pair->first.width, pair->first.height, options);
    SubtitleBitmap bitmap = line_->Render(CanvasOf(part.width, part.height));
    if (bitmap.empty())
        return drawn;
    bitmap.x += part.x;
    bitmap.y += part.y;
    if (drawn == pair && !(drawn = CopyForDrawing(*pair, bitmap, 0, 0)))
        return nullptr;
    int disparity = 0;
    if (!options.mono && pair->second) {
        if (d)
            disparity = *d;
        else if (options.depth.mode == DepthMode::Fixed)
            disparity = options.depth.fixed;
        else
            disparity = NearestDisparity(pair->first, pair->second, WidenedBox(bitmap, {}), options.range)
                            .value_or(lastDisparity_);
    }
    DrawBitmap(bitmap, disparity - FloorHalf(disparity), drawn->first);
    DrawBitmap(bitmap, -FloorHalf(disparity), drawn->second);
    return drawn;
}

void SubtitleStage::SetLine(std::shared_ptr<TextLine> line, const std::string& text)
{
    const std::lock_guard lock(mutex_);
    line_ = std::move(line);
    lineShown_ = line_ && !text.empty();
    if (line_)
        line_->SetText(text);
}

EyePairPtr SubtitleStage::Apply(const EyePairPtr& pair, const StageOptions& options)
{
    const std::lock_guard lock(mutex_);
    if (!pair || !pair->first)
        return pair;
    std::optional<int> d;
    EyePairPtr drawn = source_ && pair->timestampUs >= 0 ? DrawSubtitle(pair, options, d) : pair;
    if (!drawn || !lineShown_)
        return drawn;
    return DrawLine(pair, std::move(drawn), options, d);
}

}  // namespace plexo::subtitle
