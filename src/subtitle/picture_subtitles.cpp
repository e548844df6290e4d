#include "subtitle/picture_subtitles.h"

#include <algorithm>
#include <list>
#include <unordered_map>

namespace plexo::subtitle {

namespace {

// ⌊a / b⌋ for b > 0, a of either sign.
int64_t FloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

class Pictures : public SubtitleSource {
public:
    Pictures(std::vector<PictureEvent> events, std::unique_ptr<PictureDecoder> decoder, size_t budget)
        : events_(std::move(events)), decoder_(std::move(decoder)), budget_(budget)
    {
    }

    // Takes the bitmaps already decoded, in order, while they fit.
    void Keep(std::vector<SubtitleBitmap> decoded)
    {
        for (size_t id = 0; id < decoded.size(); ++id)
            if (!decoded[id].empty() && bytes_ + decoded[id].bgra.size() <= budget_)
                Insert(id, std::move(decoded[id]));
    }

    const SubtitleBitmap& Render(int64_t timeUs, const Canvas& canvas) override
    {
        static const SubtitleBitmap kNone;
        const PictureEvent* event = Find(timeUs);
        if (!event || canvas.width < 1 || canvas.height < 1)
            return kNone;
        if (event->frameWidth < 1 || event->frameHeight < 1 ||
            (canvas.width == event->frameWidth && canvas.height == event->frameHeight))
            return Bitmap(event->id);
        if (scaledFrom_ != event || scaledCanvas_.width != canvas.width || scaledCanvas_.height != canvas.height) {
            scaled_ = ScaledBitmap(Bitmap(event->id), event->frameWidth, event->frameHeight, canvas);
            scaledFrom_ = event;
            scaledCanvas_ = canvas;
        }
        return scaled_;
    }

    std::optional<EventSpan> EventAt(int64_t timeUs) const override
    {
        const PictureEvent* event = Find(timeUs);
        return event ? std::optional<EventSpan>(event->span) : std::nullopt;
    }

    std::optional<EventSpan> NextEvent(int64_t timeUs) const override
    {
        const auto after = std::upper_bound(events_.begin(), events_.end(), timeUs,
                                            [](int64_t t, const PictureEvent& e) { return t < e.span.start; });
        return after != events_.end() ? std::optional<EventSpan>(after->span) : std::nullopt;
    }

private:
    struct Kept {
        SubtitleBitmap bitmap;
        std::list<size_t>::iterator use;
    };

    const PictureEvent* Find(int64_t timeUs) const
    {
        // The last event begun by then that has not ended.
        auto after = std::upper_bound(events_.begin(), events_.end(), timeUs,
                                      [](int64_t t, const PictureEvent& e) { return t < e.span.start; });
        if (after == events_.begin())
            return nullptr;
        const PictureEvent& event = *(after - 1);
        return timeUs < event.span.end ? &event : nullptr;
    }

    // The event's bitmap, kept or decoded again; the bitmaps shown longest
    // ago make room for it.
    const SubtitleBitmap& Bitmap(size_t id)
    {
        if (const auto found = kept_.find(id); found != kept_.end()) {
            uses_.splice(uses_.begin(), uses_, found->second.use);
            return found->second.bitmap;
        }
        return Insert(id, decoder_->Decode(id));
    }

    const SubtitleBitmap& Insert(size_t id, SubtitleBitmap bitmap)
    {
        bytes_ += bitmap.bgra.size();
        uses_.push_front(id);
        Kept& kept = kept_[id] = Kept{std::move(bitmap), uses_.begin()};
        while (bytes_ > budget_ && uses_.back() != id) {
            const auto oldest = kept_.find(uses_.back());
            bytes_ -= oldest->second.bitmap.bgra.size();
            kept_.erase(oldest);
            uses_.pop_back();
        }
        return kept.bitmap;
    }

    std::vector<PictureEvent> events_;
    std::unique_ptr<PictureDecoder> decoder_;
    size_t budget_;
    // The decoded bitmaps by event id, and their ids from the last shown.
    std::unordered_map<size_t, Kept> kept_;
    std::list<size_t> uses_;
    size_t bytes_ = 0;
    // The event last scaled to a canvas of another size.
    SubtitleBitmap scaled_;
    const PictureEvent* scaledFrom_ = nullptr;
    Canvas scaledCanvas_;
};

}  // namespace

SubtitleBitmap ScaledBitmap(const SubtitleBitmap& from, int frameWidth, int frameHeight, const Canvas& canvas)
{
    if (from.empty() || frameWidth < 1 || frameHeight < 1 || canvas.width < 1 || canvas.height < 1)
        return {};
    const auto sx = [&](int64_t x) { return FloorDiv(x * canvas.width, frameWidth); };
    const auto sy = [&](int64_t y) { return FloorDiv(y * canvas.height, frameHeight); };
    // Only the part over the canvas is made.
    const int64_t left = std::max<int64_t>(0, sx(from.x));
    const int64_t top = std::max<int64_t>(0, sy(from.y));
    const int64_t right = std::min<int64_t>(canvas.width, sx(int64_t(from.x) + from.width));
    const int64_t bottom = std::min<int64_t>(canvas.height, sy(int64_t(from.y) + from.height));
    if (left >= right || top >= bottom)
        return {};
    SubtitleBitmap to = ClearBitmap(int(left), int(top), int(right - left), int(bottom - top));
    // The nearest source pixel for each of the canvas's.
    std::vector<int> columns(size_t(to.width));
    for (int x = 0; x < to.width; ++x)
        columns[size_t(x)] = int(std::clamp<int64_t>(FloorDiv((left + x) * frameWidth, canvas.width) - from.x, 0,
                                                     from.width - 1));
    for (int y = 0; y < to.height; ++y) {
        const int fy = int(std::clamp<int64_t>(FloorDiv((top + y) * frameHeight, canvas.height) - from.y, 0,
                                               from.height - 1));
        uint8_t* d = to.pixel(0, y);
        for (int x = 0; x < to.width; ++x, d += 4) {
            const uint8_t* s = from.pixel(columns[size_t(x)], fy);
            std::copy(s, s + 4, d);
        }
    }
    return to;
}

SubtitleSourcePtr PictureSubtitles(std::vector<PictureEvent> events, std::unique_ptr<PictureDecoder> decoder,
                                   std::vector<SubtitleBitmap> decoded, size_t budgetBytes)
{
    if (events.empty() || !decoder)
        return nullptr;
    std::stable_sort(events.begin(), events.end(),
                     [](const PictureEvent& a, const PictureEvent& b) { return a.span.start < b.span.start; });
    auto source = std::make_unique<Pictures>(std::move(events), std::move(decoder), budgetBytes);
    source->Keep(std::move(decoded));
    return source;
}

}  // namespace plexo::subtitle
