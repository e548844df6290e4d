#pragma once
// The rows of the table of file formats for videos and of the table of
// export formats for stereo videos. The tables live in the layers below this
// one, so every program hands them these rows once at start.

namespace plexo::video {

// Appends the video rows to the table of file formats and the stereo video
// rows to the table of export formats; a second call does nothing. Call before any other thread asks the table.
void AddVideoFormats();

}  // namespace plexo::video
