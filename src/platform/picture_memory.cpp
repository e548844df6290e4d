#include "platform/picture_memory.h"

#include <malloc.h>

#include "platform/profile.h"

namespace plexo::platform {

void KeepPictureMemoryForReuse()
{
    // Blocks below 32 MiB (a 3-byte 3840 x 2160 picture is 24 MiB) come from
    // the heap and are kept there when freed.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

int32_t PictureMemoryMiB() { return ReadProfileInt("Settings", "Picture memory", 0); }

}  // namespace plexo::platform
