#pragma once
// A video's picture subtitle stream (PGS, DVB, DVD) read once over the whole
// file: the events' times and frames found, the stream's packets kept, and
// a bitmap that fell out of the kept ones decoded again from the nearest
// packet its decoder can start at.

#include <string>

#include "subtitle/picture_subtitles.h"
#include "video/av_handles.h"

namespace plexo::subtitle {

// Frames stated smaller or larger than this on either side are not used.
inline constexpr int kMinPictureFrame = 16;
inline constexpr int kMaxPictureFrame = 8192;

// The rectangles of a decoded picture subtitle as one bitmap, their
// palettes' colours premultiplied; empty when it has none, or too many
// pixels.
SubtitleBitmap PictureOf(const AVSubtitle& sub);

// The started decoder of a stream's parameters; null with `why` set.
video::CodecHandle OpenSubtitleDecoder(const AVCodecParameters& parameters, AVRational timeBase, std::string& why);

// Every event of picture stream `stream` of the input, whose other streams
// are discarded, keeping up to `budgetBytes` of bitmaps decoded. Null with
// `why` set when none shows.
SubtitleSourcePtr ReadPictureStream(AVFormatContext& input, int stream, std::string& why,
                                    size_t budgetBytes = kPictureCacheBytes);

}  // namespace plexo::subtitle
