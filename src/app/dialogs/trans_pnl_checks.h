#pragma once
// The rules of the Translate dialog that need no window: reading its number
// fields, the quality spin step, the Start checks and the converter call.

#include <cstdint>
#include <optional>
#include <string>

#include "convert/converters.h"

namespace plexo {

// The dialog's members; the first four are kept in the settings file.
struct TranslateValues {
    int32_t direction = 0;  // index in the direction list, 0 "bmp -> flm" .. 14 "video -> flm"
    int32_t colour = 1;
    int32_t scale = 1;  // reduction factor minus 1
    int32_t quality = 95;
    int32_t fixSize = 0;
    int32_t height = 0;
    int32_t width = 0;
    int32_t compress = 1;  // 0 "none", 1 "jpeg"
};

// A decimal integer at the start of the text: leading blanks skipped,
// anything after the digits ignored ("12abc" gives 12). Nothing when no digit
// starts the text or the number does not fit 32 bits.
std::optional<int32_t> ReadLeadingInteger(const std::string& text);

// One step of the quality spin: a negative change raises the quality, any
// other lowers it; the result stays within 1..100.
int32_t QualityStep(int32_t quality, int change);

// The message that refuses Start for these values, or null when they pass.
const char* StartRefusal(const TranslateValues& values);

// The directions that write .flm files, the only ones that can compress.
bool CompressApplies(int32_t direction);

// The converter of a direction index; nothing outside kConversionWays.
std::optional<ConversionWay> WayOf(int32_t direction);

// The converter's options: factor scale + 1, size 0 x 0 unless fixed.
ConversionOptions OptionsOf(const TranslateValues& values);

// What the progress label says when a run has ended: "finished", "stopped"
// (a stop was asked and the run did not get to its end) or "failed", and how
// many frames were written: "stopped, 3 frames written".
std::string RunOutcome(ConversionResult result, bool stopAsked, int framesWritten);

}  // namespace plexo
