#include "image/copy_past_caches.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plexo {

namespace {

#if defined(__SSE2__)
// Non-temporal stores need their destination on a 16-byte boundary: the
// bytes before it and the tail go through the caches.
void StreamRow(const uint8_t* from, uint8_t* to, size_t bytes)
{
    size_t head = (16 - (reinterpret_cast<uintptr_t>(to) & 15)) & 15;
    if (head > bytes)
        head = bytes;
    std::memcpy(to, from, head);
    size_t i = head;
    for (; i + 64 <= bytes; i += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 48));
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 48), d);
    }
    for (; i + 16 <= bytes; i += 16)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
    std::memcpy(to + i, from + i, bytes - i);
}
#endif

}  // namespace

void CopyPastCaches(const Picture& from, uint8_t* to, int cachedFirst, int cachedEnd)
{
    const size_t rowBytes = from.rowBytes();
#if defined(__SSE2__)
    for (int r = 0; r < from.height; ++r)
        if (r >= cachedFirst && r < cachedEnd)
            std::memcpy(to + size_t(r) * rowBytes, from.row(r), rowBytes);
        else
            StreamRow(from.row(r), to + size_t(r) * rowBytes, rowBytes);
    // Non-temporal stores are not ordered with later ones without a fence.
    _mm_sfence();
#else
    (void)cachedFirst;
    (void)cachedEnd;
    for (int r = 0; r < from.height; ++r)
        std::memcpy(to + size_t(r) * rowBytes, from.row(r), rowBytes);
#endif
}

}  // namespace plexo
