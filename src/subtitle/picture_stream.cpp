#include "subtitle/picture_stream.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
}

namespace plexo::subtitle {

namespace {

// A picture subtitle whose end the stream never says stays this long, or
// until the next one.
constexpr int64_t kUnendedUs = 5'000'000;

struct ParametersFree {
    void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};
using ParametersHandle = std::unique_ptr<AVCodecParameters, ParametersFree>;

struct SubtitleFree {
    void operator()(AVSubtitle* s) const { avsubtitle_free(s); }
};

bool Usable(int width, int height)
{
    return width >= kMinPictureFrame && height >= kMinPictureFrame && width <= kMaxPictureFrame &&
           height <= kMaxPictureFrame;
}

// True when the PGS display set in the packet begins an epoch or an
// acquisition point: FFmpeg's decoder then forgets the objects and palettes
// before it, so decoding can start there.
bool StartsPgsEpoch(const AVPacket& packet)
{
    const uint8_t* p = packet.data;
    const uint8_t* end = p + packet.size;
    while (end - p >= 3) {
        const int type = p[0], length = (p[1] << 8) | p[2];
        p += 3;
        if (length > end - p)
            return false;
        if (type == 0x16) {
            if (length < 11)
                return false;
            const int width = (p[0] << 8) | p[1], height = (p[2] << 8) | p[3];
            return (p[7] >> 6) != 0 && av_image_check_size(unsigned(width), unsigned(height), 0, nullptr) == 0;
        }
        p += length;
    }
    return false;
}

// Where a fresh decoder can start for the packets that follow: a PGS
// epoch; the packet after the last one that made a subtitle for DVD
// subtitles, which are whole in one or a few packets; the stream's start
// for the others.
class StartPoints {
public:
    explicit StartPoints(AVCodecID codec) : codec_(codec) {}

    void Saw(size_t index, const AVPacket& packet)
    {
        if (codec_ == AV_CODEC_ID_HDMV_PGS_SUBTITLE && StartsPgsEpoch(packet))
            start_ = index;
    }
    void Made(size_t index)
    {
        if (codec_ == AV_CODEC_ID_DVD_SUBTITLE)
            start_ = index + 1;
    }
    size_t Start() const { return start_; }

private:
    AVCodecID codec_;
    size_t start_ = 0;
};

class StreamPictures : public PictureDecoder {
public:
    struct Source {
        // The packet whose decoding gives the event, and the one to start at.
        size_t packet;
        size_t start;
    };

    StreamPictures(ParametersHandle parameters, AVRational timeBase)
        : parameters_(std::move(parameters)), timeBase_(timeBase)
    {
    }

    void Keep(video::PacketHandle packet) { packets_.push_back(std::move(packet)); }
    size_t PacketCount() const { return packets_.size(); }
    void Add(Source source) { sources_.push_back(source); }

    SubtitleBitmap Decode(size_t id) override
    {
        if (id >= sources_.size())
            return {};
        const Source& source = sources_[id];
        // Going on from where the decoder is costs less than starting again,
        // unless a later start point is nearer.
        if (!live_ || next_ > source.packet || next_ < source.start) {
            std::string why;
            live_ = OpenSubtitleDecoder(*parameters_, timeBase_, why);
            next_ = source.start;
            if (!live_)
                return {};
        }
        SubtitleBitmap bitmap;
        for (; next_ <= source.packet; ++next_) {
            AVSubtitle sub{};
            int got = 0;
            if (avcodec_decode_subtitle2(live_.get(), &sub, &got, packets_[next_].get()) < 0 || !got)
                continue;
            const std::unique_ptr<AVSubtitle, SubtitleFree> owned(&sub);
            if (next_ == source.packet)
                bitmap = PictureOf(sub);
        }
        return bitmap;
    }

private:
    ParametersHandle parameters_;
    AVRational timeBase_;
    std::vector<video::PacketHandle> packets_;
    std::vector<Source> sources_;
    // The decoder of the last bitmaps made, and the packet it takes next.
    video::CodecHandle live_;
    size_t next_ = 0;
};

bool IsPicture(const AVSubtitleRect& r)
{
    return r.type == SUBTITLE_BITMAP && r.w > 0 && r.h > 0 && r.data[0] && r.data[1];
}

struct PictureBox {
    int left, top, width, height;
};

// The box around the subtitle's pictures; nullopt when it has none, or
// too many pixels.
std::optional<PictureBox> BoxOf(const AVSubtitle& sub)
{
    int64_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        const AVSubtitleRect& r = *sub.rects[i];
        if (!IsPicture(r))
            continue;
        left = std::min<int64_t>(left, r.x);
        top = std::min<int64_t>(top, r.y);
        right = std::max(right, int64_t(r.x) + r.w);
        bottom = std::max(bottom, int64_t(r.y) + r.h);
    }
    if (left >= right || top >= bottom || (right - left) * (bottom - top) > int64_t(kMaxPictureSide) * 64 ||
        right > INT_MAX || bottom > INT_MAX)
        return std::nullopt;
    return PictureBox{int(left), int(top), int(right - left), int(bottom - top)};
}

int64_t ToUs(int64_t value, AVRational base)
{
    return av_rescale_q(value, base, AVRational{1, 1000000});
}

// The size of the first video stream's frames, for picture subtitles that
// state none.
std::pair<int, int> VideoSize(const AVFormatContext& input)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVCodecParameters* par = input.streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && Usable(par->width, par->height))
            return {par->width, par->height};
    }
    return {0, 0};
}

}  // namespace

SubtitleBitmap PictureOf(const AVSubtitle& sub)
{
    const std::optional<PictureBox> box = BoxOf(sub);
    if (!box)
        return {};
    const int left = box->left, top = box->top;
    SubtitleBitmap bitmap = ClearBitmap(left, top, box->width, box->height);
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        const AVSubtitleRect* r = sub.rects[i];
        if (!IsPicture(*r))
            continue;
        uint32_t palette[256] = {};
        std::memcpy(palette, r->data[1], size_t(std::clamp(r->nb_colors, 0, 256)) * 4);
        uint8_t colours[256][4];
        for (int c = 0; c < 256; ++c) {
            const uint32_t argb = palette[c], a = argb >> 24;
            for (int k = 0; k < 3; ++k)
                colours[c][k] = uint8_t((((argb >> (8 * k)) & 0xFF) * a + 127) / 255);
            colours[c][3] = uint8_t(a);
        }
        for (int y = 0; y < r->h; ++y) {
            const uint8_t* from = r->data[0] + ptrdiff_t(y) * r->linesize[0];
            uint8_t* d = bitmap.pixel(r->x - left, r->y - top + y);
            for (int x = 0; x < r->w; ++x, d += 4)
                std::memcpy(d, colours[from[x]], 4);
        }
    }
    return bitmap;
}

video::CodecHandle OpenSubtitleDecoder(const AVCodecParameters& parameters, AVRational timeBase, std::string& why)
{
    const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
    video::CodecHandle decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), &parameters) < 0) {
        why = std::string("its subtitles are in ") + avcodec_get_name(parameters.codec_id) +
              ", which cannot be decoded";
        return nullptr;
    }
    decoder->pkt_timebase = timeBase;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        why = "its subtitle decoder cannot start";
        return nullptr;
    }
    return decoder;
}

SubtitleSourcePtr ReadPictureStream(AVFormatContext& input, int stream, std::string& why, size_t budgetBytes)
{
    const AVStream& st = *input.streams[stream];
    ParametersHandle parameters(avcodec_parameters_alloc());
    video::PacketHandle packet(av_packet_alloc());
    if (!parameters || !packet || avcodec_parameters_copy(parameters.get(), st.codecpar) < 0) {
        why = "there is not enough memory";
        return nullptr;
    }
    video::CodecHandle decoder = OpenSubtitleDecoder(*parameters, st.time_base, why);
    if (!decoder)
        return nullptr;
    auto pictures = std::make_unique<StreamPictures>(std::move(parameters), st.time_base);
    // The film's times count from the container's start.
    const int64_t origin = input.start_time != AV_NOPTS_VALUE ? input.start_time : 0;
    const auto [videoWidth, videoHeight] = VideoSize(input);
    int frameWidth = videoWidth, frameHeight = videoHeight;
    StartPoints starts(st.codecpar->codec_id);
    std::vector<PictureEvent> events;
    std::vector<SubtitleBitmap> decoded;
    size_t decodedBytes = 0;
    while (av_read_frame(&input, packet.get()) >= 0) {
        if (packet->stream_index != stream) {
            av_packet_unref(packet.get());
            continue;
        }
        const size_t index = pictures->PacketCount();
        starts.Saw(index, *packet);
        const bool timed = packet->pts != AV_NOPTS_VALUE;
        const int64_t at = timed ? ToUs(packet->pts, st.time_base) - origin : 0;
        const int64_t length = packet->duration > 0 ? ToUs(packet->duration, st.time_base) : -1;
        AVSubtitle sub{};
        int got = 0;
        const int used = avcodec_decode_subtitle2(decoder.get(), &sub, &got, packet.get());
        pictures->Keep(video::PacketHandle(av_packet_clone(packet.get())));
        av_packet_unref(packet.get());
        if (used < 0 || !got)
            continue;
        const std::unique_ptr<AVSubtitle, SubtitleFree> owned(&sub);
        const size_t start = starts.Start();
        starts.Made(index);
        if (!timed)
            continue;
        // The frame stated last, unless it is no frame a film has.
        if (Usable(decoder->width, decoder->height))
            std::tie(frameWidth, frameHeight) = std::pair{decoder->width, decoder->height};
        const int64_t begin = at + int64_t(sub.start_display_time) * 1000;
        int64_t end = length > 0 ? at + length : -1;
        if (end < 0 && sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX)
            end = at + int64_t(sub.end_display_time) * 1000;
        // A picture set shown until the next, which may be empty to clear it.
        if (!events.empty() && events.back().span.end < 0)
            events.back().span.end = begin;
        const std::optional<PictureBox> box = BoxOf(sub);
        if (!box)
            continue;
        pictures->Add({index, start});
        events.push_back({{begin, end}, frameWidth, frameHeight, events.size()});
        // The first bitmaps are made at once, as many as are kept: playing
        // starts there.
        const size_t bytes = size_t(box->width) * size_t(box->height) * 4;
        const bool keep = decodedBytes + bytes <= budgetBytes;
        decodedBytes += keep ? bytes : 0;
        decoded.push_back(keep ? PictureOf(sub) : SubtitleBitmap());
    }
    if (!events.empty() && events.back().span.end < 0)
        events.back().span.end = events.back().span.start + kUnendedUs;
    SubtitleSourcePtr source =
        PictureSubtitles(std::move(events), std::move(pictures), std::move(decoded), budgetBytes);
    if (!source)
        why = "no subtitle in it";
    return source;
}

}  // namespace plexo::subtitle
