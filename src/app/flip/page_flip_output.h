#pragma once
// Which display page flipping shows on: OpenGL where it draws in hardware,
// with vsync and quad-buffered stereo; X shared-memory images where OpenGL
// draws in software or not at all, since a field then costs a fraction of
// what Mesa's software renderer takes at large sizes. PLEXO_FLIP_OUTPUT
// ("opengl" or "x11") chooses one whatever the display.

#include <memory>

class QWidget;

namespace plexo {

class ViewOverlayOutput;

std::shared_ptr<ViewOverlayOutput> MakePageFlipOutput(QWidget* view);

}  // namespace plexo
