#pragma once
// The rows of the table of file formats for videos. The table lives in the
// film layer, below this one, so every program hands it these rows once at
// start.

namespace plexo::video {

// Appends the video rows to the table of file formats; a second call does
// nothing. Call before any other thread asks the table.
void AddVideoFormats();

}  // namespace plexo::video
