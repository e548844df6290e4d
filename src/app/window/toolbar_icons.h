#pragma once
// The 16 x 16 toolbar pictures, drawn at start-up so the program carries no
// image files.

#include <QIcon>

namespace plexo {

// The button picture of a toolbar command; a null icon for other ids.
QIcon ToolbarIcon(int commandId);

}  // namespace plexo
