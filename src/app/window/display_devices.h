#pragma once
// Chooses what the display-mode functions talk to: XRandR when Qt runs on
// X11 and the server has it, else the Qt screen's one mode, which cannot be
// switched (Wayland, the offscreen platform).

#include <memory>

#include "platform/mode_guard.h"

class QWidget;

namespace plexo {

void InstallDisplayDevices();
// The window whose display "Display" names from now on; null for none.
void AttachDisplayWindow(QWidget* window);
// The guardian beside the program, where modes can be switched (XRandR);
// null elsewhere.
std::unique_ptr<platform::ModeGuard> MakeModeGuard();

}  // namespace plexo
