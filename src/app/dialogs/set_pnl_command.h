#pragma once
// The main frame's Settings command (32777): fills SetPnl from the film, the
// document and the presentation state, runs it and writes back on OK.

#include <functional>

#include "app/dialogs/set_pnl.h"

class QWidget;

namespace plexo {

class CPlexoDoc;
class Film;
struct PresentationState;

// Period of the main frame's timer 2, which repaints the open dialog while
// page flipping owns the screen.
inline constexpr int kSettingsRepaintMs = 200;

// What the main frame does around the dialog.
struct SettingsCommandHooks {
    // Record the open dialog and start timer 2 (kSettingsRepaintMs).
    std::function<void(SetPnl&)> opened;
    // Stop timer 2, forget the dialog and repaint the active view, whichever
    // way the dialog ended.
    std::function<void()> closed;
    // Run the dialog; QDialog::exec() when empty. Tests answer it here.
    std::function<int(SetPnl&)> run;
};

SettingsValues FillSettings(const Film& film, const CPlexoDoc& doc, const PresentationState& state);
// Writes the values of a dialog that ended with OK back, in this order: the
// film's shift (a two-view film's eye offset), round and invert, the document's parameters, the
// presentation and the frames per second; then repaints the document's views.
void ApplySettings(const SettingsValues& values, Film& film, CPlexoDoc& doc, PresentationState& state);

// Returns false when nothing was shown (playing, or no film).
bool RunSettingsCommand(CPlexoDoc& doc, PresentationState& state, const SettingsCommandHooks& hooks,
                        QWidget* parent);

}  // namespace plexo
