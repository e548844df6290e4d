#pragma once
// Copying a large picture that nobody reads again at once: its bytes are
// stored past the caches. A plain copy into memory the caches no longer
// hold first reads every line of the destination only to overwrite it, and
// pushes out what the caches hold for others.

#include <cstdint>

#include "image/picture.h"

namespace plexo {

// The rows of `from` into `to`, packed, bottom row first as `from` lists
// them: `from.byteCount()` bytes. Rows [cachedFirst, cachedEnd), counted as
// `from` counts them, go through the caches: the caller works on them next.
// Ordered before anything the caller stores afterwards, so that the copy can
// be handed to another thread.
void CopyPastCaches(const Picture& from, uint8_t* to, int cachedFirst, int cachedEnd);

}  // namespace plexo
