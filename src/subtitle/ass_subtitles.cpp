#include "subtitle/ass_subtitles.h"

extern "C" {
#include <ass/ass.h>
}

#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/log.h"
#include "subtitle/ass_limits.h"

namespace plexo::subtitle {

namespace {

// More events at once than a screen can hold make libass's placement of
// each among the others ever slower; the newest are drawn.
constexpr int kMostEventsDrawn = 64;

struct LibraryDone {
    void operator()(ASS_Library* library) const { ass_library_done(library); }
};
struct RendererDone {
    void operator()(ASS_Renderer* renderer) const { ass_renderer_done(renderer); }
};
struct TrackFree {
    void operator()(ASS_Track* track) const { ass_free_track(track); }
};

// libass's notes are about fonts and the script's faults; only its errors
// (level 0 and 1) reach the log.
void Note(int level, const char* format, va_list args, void*)
{
    if (level > 1)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    LogMessage(std::string("subtitles: ") + text);
}

std::unique_ptr<ASS_Library, LibraryDone> NewLibrary(const std::vector<AttachedFont>& fonts)
{
    std::unique_ptr<ASS_Library, LibraryDone> library(ass_library_init());
    if (!library)
        return nullptr;
    ass_set_message_cb(library.get(), Note, nullptr);
    ass_set_extract_fonts(library.get(), 0);
    for (const AttachedFont& font : fonts)
        if (!font.bytes.empty())
            ass_add_font(library.get(), font.name.c_str(), reinterpret_cast<const char*>(font.bytes.data()),
                         int(font.bytes.size()));
    return library;
}

// Longer than any film: a text line's event lasts for all of it.
constexpr long long kLineForeverMs = 1LL << 40;

class AssSubtitles : public SubtitleSource {
public:
    AssSubtitles(std::unique_ptr<ASS_Library, LibraryDone> library, std::unique_ptr<ASS_Track, TrackFree> track)
        : library_(std::move(library)), track_(std::move(track))
    {
    }

    bool StartRenderer()
    {
        renderer_.reset(ass_renderer_init(library_.get()));
        if (!renderer_)
            return false;
        ass_set_fonts(renderer_.get(), nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
        ass_set_cache_limits(renderer_.get(), 0, 64);
        return true;
    }

    const SubtitleBitmap& Render(int64_t timeUs, const Canvas& canvas) override
    {
        static const SubtitleBitmap kNone;
        if (canvas.width < 1 || canvas.height < 1 || canvas.storageWidth < 1 || canvas.storageHeight < 1 ||
            !EventAt(timeUs))
            return kNone;
        if (canvas.width != canvas_.width || canvas.height != canvas_.height ||
            canvas.storageWidth != canvas_.storageWidth || canvas.storageHeight != canvas_.storageHeight) {
            ass_set_frame_size(renderer_.get(), canvas.width, canvas.height);
            ass_set_storage_size(renderer_.get(), canvas.storageWidth, canvas.storageHeight);
            canvas_ = canvas;
            last_.reset();
        }
        const std::vector<int> hidden = Hidden(timeUs / 1000);
        std::vector<long long> durations;
        for (const int i : hidden)
            durations.push_back(std::exchange(track_->events[i].Duration, 0));
        int changed = 2;
        const ASS_Image* images = ass_render_frame(renderer_.get(), track_.get(), timeUs / 1000, &changed);
        for (size_t i = 0; i < hidden.size(); ++i)
            track_->events[hidden[i]].Duration = durations[i];
        // libass says when its images are those of the last call: the
        // frames of an event share one composite.
        if (changed != 0 || !last_)
            last_ = Composite(images);
        return *last_;
    }

    std::optional<EventSpan> EventAt(int64_t timeUs) const override
    {
        const int64_t ms = timeUs / 1000;
        std::optional<EventSpan> span;
        for (int i = 0; i < track_->n_events; ++i) {
            const ASS_Event& event = track_->events[i];
            if (event.Start > ms || event.Start + event.Duration <= ms)
                continue;
            const EventSpan mine{event.Start * 1000, (event.Start + event.Duration) * 1000};
            span = span ? EventSpan{std::min(span->start, mine.start), std::max(span->end, mine.end)} : mine;
        }
        return span;
    }

    std::optional<EventSpan> NextEvent(int64_t timeUs) const override
    {
        const int64_t ms = timeUs / 1000;
        std::optional<int64_t> next;
        for (int i = 0; i < track_->n_events; ++i)
            if (const int64_t start = track_->events[i].Start; start > ms)
                next = std::min(next.value_or(start), start);
        return next ? EventAt(*next * 1000) : std::nullopt;
    }

    // Its events replaced by one line of text shown at every time.
    void ReplaceEvents(const std::string& line)
    {
        ass_flush_events(track_.get());
        last_.reset();
        if (line.empty())
            return;
        std::string chunk = DefaultStyleLine(0, line);
        ass_process_chunk(track_.get(), chunk.data(), int(chunk.size()), 0, kLineForeverMs);
    }

private:
    // The events showing at `ms` beyond the newest kMostEventsDrawn (the
    // later start, or the later in the script, is the newer).
    std::vector<int> Hidden(int64_t ms)
    {
        std::vector<int> showing;
        for (int i = 0; i < track_->n_events; ++i) {
            const ASS_Event& event = track_->events[i];
            if (event.Start <= ms && ms < event.Start + event.Duration)
                showing.push_back(i);
        }
        if (showing.size() <= size_t(kMostEventsDrawn))
            return {};
        std::nth_element(showing.begin(), showing.begin() + kMostEventsDrawn, showing.end(), [&](int a, int b) {
            return std::pair(track_->events[a].Start, a) > std::pair(track_->events[b].Start, b);
        });
        if (!crowdLogged_) {
            crowdLogged_ = true;
            LogMessage("subtitles: " + std::to_string(showing.size()) + " events show at once at " +
                       std::to_string(ms / 1000) + " s; only the newest " + std::to_string(kMostEventsDrawn) +
                       " are drawn");
        }
        return std::vector<int>(showing.begin() + kMostEventsDrawn, showing.end());
    }

    // libass's images, one colour each with a coverage mask, laid one over
    // another in list order.
    static SubtitleBitmap Composite(const ASS_Image* images)
    {
        int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
        for (const ASS_Image* image = images; image; image = image->next) {
            if (image->w <= 0 || image->h <= 0)
                continue;
            left = std::min(left, image->dst_x);
            top = std::min(top, image->dst_y);
            right = std::max(right, image->dst_x + image->w);
            bottom = std::max(bottom, image->dst_y + image->h);
        }
        if (left >= right || top >= bottom)
            return {};
        SubtitleBitmap bitmap = ClearBitmap(left, top, right - left, bottom - top);
        for (const ASS_Image* image = images; image; image = image->next) {
            const uint32_t colour = image->color;
            const int opacity = 255 - int(colour & 0xFF);
            const int red = int(colour >> 24), green = int((colour >> 16) & 0xFF), blue = int((colour >> 8) & 0xFF);
            for (int y = 0; y < image->h; ++y) {
                const uint8_t* mask = image->bitmap + ptrdiff_t(y) * image->stride;
                for (int x = 0; x < image->w; ++x) {
                    const int a = (mask[x] * opacity + 127) / 255;
                    if (a == 0)
                        continue;
                    uint8_t* d = bitmap.pixel(image->dst_x - left + x, image->dst_y - top + y);
                    const int keep = 255 - a;
                    d[0] = uint8_t((blue * a + d[0] * keep + 127) / 255);
                    d[1] = uint8_t((green * a + d[1] * keep + 127) / 255);
                    d[2] = uint8_t((red * a + d[2] * keep + 127) / 255);
                    d[3] = uint8_t(a + (d[3] * keep + 127) / 255);
                }
            }
        }
        return bitmap;
    }

    std::unique_ptr<ASS_Library, LibraryDone> library_;
    std::unique_ptr<ASS_Track, TrackFree> track_;
    std::unique_ptr<ASS_Renderer, RendererDone> renderer_;
    Canvas canvas_;
    std::optional<SubtitleBitmap> last_;
    bool crowdLogged_ = false;
};

SubtitleSourcePtr Finish(std::unique_ptr<ASS_Library, LibraryDone> library, ASS_Track* raw, std::string& why)
{
    std::unique_ptr<ASS_Track, TrackFree> track(raw);
    if (!track || track->n_events <= 0) {
        why = "no subtitle in it";
        return nullptr;
    }
    if (const int reduced = BoundTrack(*track); reduced > 0)
        LogMessage("subtitles: " + std::to_string(reduced) +
                   " styles or lines asked for a font size, scale, blur or border beyond what the frame shows; "
                   "they were reduced to it");
    auto source = std::make_unique<AssSubtitles>(std::move(library), std::move(track));
    if (!source->StartRenderer()) {
        why = "the subtitle renderer cannot start";
        return nullptr;
    }
    return source;
}

class AssTextLine final : public TextLine {
public:
    explicit AssTextLine(std::unique_ptr<AssSubtitles> ass) : ass_(std::move(ass)) {}
    void SetText(const std::string& text) override
    {
        const std::lock_guard lock(mutex_);
        // At the top, clear of the subtitles at the bottom.
        ass_->ReplaceEvents(text.empty() ? text : "{\\an8}" + text);
    }
    SubtitleBitmap Render(const Canvas& canvas) override
    {
        const std::lock_guard lock(mutex_);
        return ass_->Render(0, canvas);
    }

private:
    std::mutex mutex_;
    std::unique_ptr<AssSubtitles> ass_;
};

}  // namespace

std::unique_ptr<TextLine> MakeTextLine(std::string& why)
{
    auto library = NewLibrary({});
    std::unique_ptr<ASS_Track, TrackFree> track(library ? ass_new_track(library.get()) : nullptr);
    if (!track) {
        why = "the subtitle renderer cannot start";
        return nullptr;
    }
    std::string header = DefaultAssHeader();
    ass_process_codec_private(track.get(), header.data(), int(header.size()));
    auto ass = std::make_unique<AssSubtitles>(std::move(library), std::move(track));
    if (!ass->StartRenderer()) {
        why = "the subtitle renderer cannot start";
        return nullptr;
    }
    return std::make_unique<AssTextLine>(std::move(ass));
}

SubtitleSourcePtr AssScriptSubtitles(std::string script, const std::vector<AttachedFont>& fonts, std::string& why)
{
    auto library = NewLibrary(fonts);
    if (!library) {
        why = "the subtitle renderer cannot start";
        return nullptr;
    }
    ASS_Track* track = ass_read_memory(library.get(), script.data(), script.size(), nullptr);
    return Finish(std::move(library), track, why);
}

SubtitleSourcePtr AssEventSubtitles(std::string header, const std::vector<TextEvent>& events,
                                    const std::vector<AttachedFont>& fonts, std::string& why)
{
    auto library = NewLibrary(fonts);
    ASS_Track* track = library ? ass_new_track(library.get()) : nullptr;
    if (!track) {
        why = "the subtitle renderer cannot start";
        return nullptr;
    }
    ass_process_codec_private(track, header.data(), int(header.size()));
    for (const TextEvent& event : events) {
        std::string chunk = event.text;
        ass_process_chunk(track, chunk.data(), int(chunk.size()), event.startMs, event.durationMs);
    }
    return Finish(std::move(library), track, why);
}

std::string DefaultStyleLine(int order, const std::string& text)
{
    return std::to_string(order) + ",0,Default,,0,0,0,," + text;
}

std::string DefaultAssHeader()
{
    return "[Script Info]\n"
           "ScriptType: v4.00+\n"
           "PlayResX: 384\n"
           "PlayResY: 288\n"
           "ScaledBorderAndShadow: yes\n"
           "WrapStyle: 0\n"
           "\n"
           "[V4+ Styles]\n"
           "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, "
           "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
           "MarginL, MarginR, MarginV, Encoding\n"
           "Style: Default,sans-serif,18,&H00FFFFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,1.2,0,"
           "2,16,16,14,1\n"
           "\n"
           "[Events]\n"
           "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
}

}  // namespace plexo::subtitle
