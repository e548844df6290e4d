#include "subtitle/picture_subtitles.h"

#include <algorithm>

namespace plexo::subtitle {

namespace {

class Pictures : public SubtitleSource {
public:
    Pictures(std::vector<PictureEvent> events, int width, int height)
        : events_(std::move(events)), width_(width), height_(height)
    {
    }

    const SubtitleBitmap& Render(int64_t timeUs, const Canvas& canvas) override
    {
        static const SubtitleBitmap kNone;
        const PictureEvent* event = Find(timeUs);
        if (!event || canvas.width < 1 || canvas.height < 1)
            return kNone;
        if (canvas.width == width_ && canvas.height == height_)
            return event->bitmap;
        if (scaledFrom_ != event || scaledCanvas_.width != canvas.width || scaledCanvas_.height != canvas.height) {
            scaled_ = Scaled(event->bitmap, canvas);
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

    // The nearest source pixel for each of the canvas's.
    SubtitleBitmap Scaled(const SubtitleBitmap& from, const Canvas& canvas) const
    {
        const auto sx = [&](int64_t x) { return int(x * canvas.width / width_); };
        const auto sy = [&](int64_t y) { return int(y * canvas.height / height_); };
        SubtitleBitmap to = ClearBitmap(sx(from.x), sy(from.y), sx(from.x + from.width) - sx(from.x),
                                        sy(from.y + from.height) - sy(from.y));
        for (int y = 0; y < to.height; ++y)
            for (int x = 0; x < to.width; ++x) {
                const int fx = std::min(from.width - 1, int(int64_t(to.x + x) * width_ / canvas.width) - from.x);
                const int fy = std::min(from.height - 1, int(int64_t(to.y + y) * height_ / canvas.height) - from.y);
                const uint8_t* s = from.pixel(std::max(0, fx), std::max(0, fy));
                std::copy(s, s + 4, to.pixel(x, y));
            }
        return to;
    }

    std::vector<PictureEvent> events_;
    int width_;
    int height_;
    // The event last scaled to a canvas of another size.
    SubtitleBitmap scaled_;
    const PictureEvent* scaledFrom_ = nullptr;
    Canvas scaledCanvas_;
};

}  // namespace

SubtitleSourcePtr PictureSubtitles(std::vector<PictureEvent> events, int frameWidth, int frameHeight)
{
    if (events.empty() || frameWidth < 1 || frameHeight < 1)
        return nullptr;
    std::stable_sort(events.begin(), events.end(),
                     [](const PictureEvent& a, const PictureEvent& b) { return a.span.start < b.span.start; });
    return std::make_unique<Pictures>(std::move(events), frameWidth, frameHeight);
}

}  // namespace plexo::subtitle
