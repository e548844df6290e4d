#pragma once
// SIGTERM, SIGINT and SIGHUP close the main window the orderly way (stop
// playback, write the settings, put the display modes back) instead of
// killing the program with its changes lost.

class QWidget;

namespace plexo {

// Call once, after the window exists; the window must outlive the event loop.
bool CloseOnTerminationSignal(QWidget* window);

}  // namespace plexo
