#pragma once
// Shows the core's messages ("File extension is incompatible", the BMP
// reader's complaints) in a warning box titled with the program's name.

class QWidget;

namespace plexo {

// The boxes are owned by `owner` (the main window), or by the modal dialog
// open over it, and come up in front with the keyboard. Messages raised on
// another thread are shown by the user-interface thread without holding that
// thread up.
void InstallMessageBoxSink(QWidget* owner);
void RemoveMessageBoxSink();

}  // namespace plexo
