#include "platform/picture_memory.h"

#include <malloc.h>

#include <cstdlib>

#include "platform/profile.h"

namespace plexo::platform {

void KeepPictureMemoryForReuse()
{
    // Blocks below 32 MiB (a 3-byte 3840 x 2160 picture is 24 MiB) come from
    // the heap and are kept there when freed.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    // Pictures are made on the decoder's threads and freed on others; with
    // glibc's default of up to eight arenas a core, each thread's arena kept
    // its own free pictures, and a 1080p film looping grew 80 MB over 17 passes before it
    // settled. Two arenas hold it flat; the few large blocks a frame asks
    // for contend little over them. A count the user gave glibc wins.
    if (!std::getenv("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, 2);
}

int32_t PictureMemoryMiB() { return ReadProfileInt("Settings", "Picture memory", 0); }

}  // namespace plexo::platform
