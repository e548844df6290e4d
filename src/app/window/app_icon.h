#pragma once
// The program's icon, red-blue glasses: one drawing for the window, the About
// box and the PNG files the desktop installs beside res/plexo.svg.

#include <QIcon>
#include <QImage>

class QPainter;

namespace plexo {

// The icon drawn into a square of `side` pixels on a transparent ground.
QImage ApplicationIconImage(int side);
// The icon at every installed size.
QIcon ApplicationIcon();

// The sizes the desktop's icon theme gets as PNG files.
inline constexpr int kApplicationIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace plexo
