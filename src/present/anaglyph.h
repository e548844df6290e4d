#pragma once
// Anaglyphs: each output channel a weighted sum of both eyes' channels.
//
// The matrices are FFmpeg 5.1's (libavfilter/vf_stereo3d.c, ana_coeff), in
// its layout and 16.16 fixed point: row 0 gives red, 1 green, 2 blue; columns
// 0 to 2 weigh the first (left) eye's red, green and blue, 3 to 5 the second
// (right) eye's. Dubois' least-squares matrices minimise the colour error
// seen through the glasses; colour, half colour and grey red-cyan pass the
// first eye's red, or its grey, and the second eye's green and blue, or their
// grey.
//
// The pixels follow one integer formula. Each coefficient c is taken to 2.14
// fixed point, k = c / 4 rounded half away from zero (every k fits 16 bits),
// and each output byte is
//     clamp((Σ k·v + 8192) >> 14, 0, 255)
// over the six input bytes v, the arithmetic shift rounding down. This lies
// within 0.55 of the float matrix (c / 65536) applied to the same bytes, so
// within one level of it, and of FFmpeg's own output (which truncates).

#include <cstdint>

#include "image/picture.h"
#include "present/frame_buffer.h"
#include "present/placement.h"

namespace plexo {

struct AnaglyphMatrix {
    int32_t coeff[3][6];
};

inline constexpr AnaglyphMatrix kDuboisRedCyan{{{29884, 32768, 11534, -2818, -5767, -131},
                                                {-2621, -2490, -1049, 24773, 48103, -1180},
                                                {-983, -1376, -328, -4719, -7406, 80347}}};
inline constexpr AnaglyphMatrix kDuboisGreenMagenta{{{-4063, -10354, -2556, 34669, 46203, 1573},
                                                     {18612, 43778, 9372, -1049, -983, -4260},
                                                     {-983, -1769, 1376, 590, 4915, 61407}}};
inline constexpr AnaglyphMatrix kDuboisAmberBlue{{{69599, -13435, 19595, -1048, -8061, -1114},
                                                  {-1704, 59507, 4456, 393, 4063, -1114},
                                                  {-2490, -11338, 1442, 6160, 12124, 59703}}};
inline constexpr AnaglyphMatrix kColourRedCyan{{{65536, 0, 0, 0, 0, 0},  //
                                                {0, 0, 0, 0, 65536, 0},
                                                {0, 0, 0, 0, 0, 65536}}};
inline constexpr AnaglyphMatrix kHalfColourRedCyan{{{19595, 38470, 7471, 0, 0, 0},  //
                                                    {0, 0, 0, 0, 65536, 0},
                                                    {0, 0, 0, 0, 0, 65536}}};
inline constexpr AnaglyphMatrix kGreyRedCyan{{{19595, 38470, 7471, 0, 0, 0},
                                              {0, 0, 0, 19595, 38470, 7471},
                                              {0, 0, 0, 19595, 38470, 7471}}};

// The frame holds the first eye's pixels, and black where it has none; every
// pixel of its columns 0 to width − 1 becomes the anaglyph of that pixel and
// the second eye's pixel there: the second picture's block rows × cols where
// it lies, black elsewhere (everywhere without a second picture). Nothing
// when the width does not fit the frame; the second picture is taken as
// missing when its block does not fit.
void MixAnaglyph(const AnaglyphMatrix& matrix, const Picture& second, Span rows, Span cols, int64_t width,
                 const FrameView& frame);
// The same, one pixel at a time: what the vectorised version must match.
void MixAnaglyphReference(const AnaglyphMatrix& matrix, const Picture& second, Span rows, Span cols,
                          int64_t width, const FrameView& frame);

}  // namespace plexo
