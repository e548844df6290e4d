#pragma once
// A Matroska file of one subtitle stream of packets the input holds.

#include <string>
#include <vector>

#include "video/av_handles.h"

namespace plexo::test {

struct SubtitlePacket {
    std::vector<uint8_t> bytes;
    int64_t startMs = 0;
};

// `extradata`: the codec's private data (a DVD subtitle's palette and size).
inline bool WriteSubtitleStream(const std::string& path, AVCodecID codec, const std::vector<SubtitlePacket>& packets,
                                const std::vector<uint8_t>& extradata = {})
{
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "matroska", path.c_str()) < 0)
        return false;
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> mux(raw, [](AVFormatContext* c) {
        avio_closep(&c->pb);
        avformat_free_context(c);
    });
    AVStream* st = avformat_new_stream(raw, nullptr);
    uint8_t* data = static_cast<uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!st || !data)
        return av_free(data), false;
    st->codecpar->extradata = std::copy(extradata.begin(), extradata.end(), data) - extradata.size();
    st->codecpar->extradata_size = int(extradata.size());
    st->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    st->codecpar->codec_id = codec;
    bool ok = avio_open(&raw->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(raw, nullptr) >= 0;
    for (const SubtitlePacket& p : packets) {
        video::PacketHandle packet(av_packet_alloc());
        ok = ok && packet && av_new_packet(packet.get(), int(p.bytes.size())) >= 0;
        if (!ok)
            break;
        std::copy(p.bytes.begin(), p.bytes.end(), packet->data);
        packet->pts = packet->dts = av_rescale_q(p.startMs, {1, 1000}, st->time_base);
        ok = av_interleaved_write_frame(raw, packet.get()) >= 0;
    }
    return ok && av_write_trailer(raw) >= 0;
}

}  // namespace plexo::test
