#pragma once
// SIGTERM and SIGINT close the main window the orderly way (stop playback,
// write the settings) instead of killing the program with its changes lost.

class QWidget;

namespace plexo {

// Call once, after the window exists; the window must outlive the event loop.
bool CloseOnTerminationSignal(QWidget* window);

}  // namespace plexo
