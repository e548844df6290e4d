#pragma once
// Picture subtitles (PGS, DVB, DVD) as decoded: bitmaps laid out over the
// frame size the stream stated when each was shown, scaled to the eye when
// it differs. Only a budget of decoded bitmaps is kept; the others are
// decoded again when shown.

#include <cstddef>
#include <memory>
#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

// Decoded bitmaps kept at most, in bytes.
inline constexpr size_t kPictureCacheBytes = 64u << 20;

struct PictureEvent {
    EventSpan span;
    // The frame the bitmap is laid out over; 0 × 0 when none is known, and
    // the bitmap is then shown as it is laid out.
    int frameWidth = 0;
    int frameHeight = 0;
    // What the decoder knows the event by.
    size_t id = 0;
};

// Makes an event's bitmap (laid out over its frame, top row 0) again.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    // Empty when it cannot.
    virtual SubtitleBitmap Decode(size_t id) = 0;
};

// Null when there are no events. `decoded` holds the bitmaps already at hand
// by event id (empty ones are decoded when asked for), within the budget.
SubtitleSourcePtr PictureSubtitles(std::vector<PictureEvent> events, std::unique_ptr<PictureDecoder> decoder,
                                   std::vector<SubtitleBitmap> decoded, size_t budgetBytes = kPictureCacheBytes);

// The bitmap laid out over a frame of frameWidth × frameHeight, scaled to
// the canvas by the nearest source pixel and clipped to it.
SubtitleBitmap ScaledBitmap(const SubtitleBitmap& from, int frameWidth, int frameHeight, const Canvas& canvas);

}  // namespace plexo::subtitle
