#pragma once

#include <cstdint>
// Playback and conversion allocate and free pictures of one size frame after
// frame. Keeping freed blocks of that size in the process spares the system
// mapping and zeroing fresh pages for every frame, which otherwise costs more
// than the pixel work. Called once at start-up by the viewer and the tool.

namespace plexo::platform {

void KeepPictureMemoryForReuse();

// "Settings" "Picture memory": the MiB of pictures the viewer keeps in the
// "Memory" reading mode; 0 or less (the default) means a quarter of the
// machine's memory. Read at start-up and never written, so it is set by hand.
int32_t PictureMemoryMiB();

}  // namespace plexo::platform
