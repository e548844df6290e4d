#include "audio/tempo_filter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
}

#include "video/av_handles.h"

namespace plexo::audio {

struct TempoFilter::Graph {
    ~Graph() { avfilter_graph_free(&graph); }
    AVFilterGraph* graph = nullptr;
    AVFilterContext* in = nullptr;
    AVFilterContext* out = nullptr;
    int64_t pts = 0;
    bool ended = false;
};

namespace {

using Graph = TempoFilter::Graph;

std::unique_ptr<Graph> MakeGraph(const SinkFormat& format, double speed)
{
    auto g = std::make_unique<Graph>();
    g->graph = avfilter_graph_alloc();
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, format.channels);
    char layoutName[128] = "";
    av_channel_layout_describe(&layout, layoutName, sizeof layoutName);
    av_channel_layout_uninit(&layout);
    const std::string source = "time_base=1/" + std::to_string(format.rate) +
                               ":sample_rate=" + std::to_string(format.rate) +
                               ":sample_fmt=flt:channel_layout=" + layoutName;
    const std::string tempo = std::to_string(speed);
    AVFilterContext* atempo = nullptr;
    if (!g->graph ||
        avfilter_graph_create_filter(&g->in, avfilter_get_by_name("abuffer"), "in", source.c_str(), nullptr,
                                     g->graph) < 0 ||
        avfilter_graph_create_filter(&atempo, avfilter_get_by_name("atempo"), "tempo", tempo.c_str(), nullptr,
                                     g->graph) < 0 ||
        avfilter_graph_create_filter(&g->out, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                     g->graph) < 0 ||
        avfilter_link(g->in, 0, atempo, 0) < 0 || avfilter_link(atempo, 0, g->out, 0) < 0 ||
        avfilter_graph_config(g->graph, nullptr) < 0)
        return nullptr;
    return g;
}

// Pushes `in` (none: the end) and appends what comes out.
bool Run(Graph& g, const SinkFormat& format, const std::vector<float>& in, std::vector<float>& out)
{
    const size_t channels = size_t(format.channels);
    int pushed = 0;
    if (!in.empty()) {
        video::FrameHandle frame(av_frame_alloc());
        if (!frame)
            return false;
        frame->format = AV_SAMPLE_FMT_FLT;
        frame->sample_rate = format.rate;
        av_channel_layout_default(&frame->ch_layout, format.channels);
        frame->nb_samples = int(in.size() / channels);
        frame->pts = g.pts;
        g.pts += frame->nb_samples;
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return false;
        std::memcpy(frame->data[0], in.data(), in.size() * sizeof(float));
        pushed = av_buffersrc_add_frame(g.in, frame.get());
    } else {
        pushed = av_buffersrc_add_frame(g.in, nullptr);
    }
    if (pushed < 0)
        return false;
    video::FrameHandle frame(av_frame_alloc());
    if (!frame)
        return false;
    for (;;) {
        const int got = av_buffersink_get_frame(g.out, frame.get());
        if (got == AVERROR(EAGAIN))
            return true;
        if (got == AVERROR_EOF) {
            g.ended = true;
            return true;
        }
        if (got < 0)
            return false;
        const auto* data = reinterpret_cast<const float*>(frame->data[0]);
        out.insert(out.end(), data, data + size_t(frame->nb_samples) * channels);
        av_frame_unref(frame.get());
    }
}

// The input frames atempo drops at its start (negative: the output frames
// it adds), found by where a click a fifth of a second in comes out.
bool StartLoss(const SinkFormat& format, double speed, long& loss)
{
    const std::unique_ptr<Graph> twin = MakeGraph(format, speed);
    if (!twin)
        return false;
    const size_t channels = size_t(format.channels);
    const long at = format.rate / 5;
    std::vector<float> click(size_t(format.rate / 2) * channels, 0.0f);
    for (long i = at; i < at + format.rate / 100; ++i)
        for (size_t c = 0; c < channels; ++c)
            click[size_t(i) * channels + c] = float(std::sin(2 * M_PI * 1000.0 * double(i - at) / format.rate));
    std::vector<float> out;
    if (!Run(*twin, format, click, out) || !Run(*twin, format, {}, out))
        return false;
    const auto heard = std::find_if(out.begin(), out.end(), [](float s) { return std::fabs(s) > 0.05f; });
    if (heard == out.end())
        return false;
    const double outAt = double((heard - out.begin()) / std::ptrdiff_t(channels));
    // The click's first sample that clears the threshold, as heard unchanged.
    const double clickAt = double(at) + 1;
    loss = std::lround(clickAt - outAt * speed);
    return true;
}

}  // namespace

TempoFilter::~TempoFilter() = default;

std::unique_ptr<TempoFilter> TempoFilter::Make(const SinkFormat& format, double speed, std::string& why)
{
    std::unique_ptr<TempoFilter> filter(new TempoFilter);
    filter->format_ = format;
    filter->speed_ = speed;
    filter->graph_ = MakeGraph(format, speed);
    long loss = 0;
    // What the lead makes come out is already the film's from its time 0.
    if (!filter->graph_ || !StartLoss(format, speed, loss) ||
        !Run(*filter->graph_, format, std::vector<float>(size_t(std::max(loss, 0L)) * size_t(format.channels)),
             filter->early_)) {
        why = "the tempo filter cannot be made";
        return nullptr;
    }
    filter->drop_ = std::lround(double(std::max(-loss, 0L)) / speed);
    return filter;
}

bool TempoFilter::Push(const std::vector<float>& in, std::vector<float>& out, std::string& why)
{
    const size_t channels = size_t(format_.channels);
    std::vector<float> made;
    made.swap(early_);
    taken_ += long(in.size() / channels);
    // atempo's tail would stop short of the input's end: silence behind it
    // pushes the end out, and what comes past the end is cut.
    const bool pushed = in.empty() ? Run(*graph_, format_, std::vector<float>(size_t(format_.rate / 10) * channels), made) &&
                                         Run(*graph_, format_, {}, made)
                                   : Run(*graph_, format_, in, made);
    if (!pushed) {
        why = "the tempo filter fails";
        return false;
    }
    ended_ = graph_->ended;
    const size_t dropped = std::min(size_t(drop_), made.size() / channels);
    drop_ -= long(dropped);
    size_t count = made.size() / channels - dropped;
    if (ended_)
        count = std::min<size_t>(count, size_t(std::max(std::lround(double(taken_) / speed_) - given_, 0L)));
    given_ += long(count);
    out.insert(out.end(), made.begin() + std::ptrdiff_t(dropped * channels),
               made.begin() + std::ptrdiff_t((dropped + count) * channels));
    return true;
}

}  // namespace plexo::audio
