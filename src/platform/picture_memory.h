#pragma once
// Playback and conversion allocate and free pictures of one size frame after
// frame. Keeping freed blocks of that size in the process spares the system
// mapping and zeroing fresh pages for every frame, which otherwise costs more
// than the pixel work. Called once at start-up by the viewer and the tool.

namespace plexo::platform {

void KeepPictureMemoryForReuse();

}  // namespace plexo::platform
