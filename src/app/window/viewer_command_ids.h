#pragma once
// The command ids of the desktop additions, each off until the user asks:
// view size, full screen, the frame display, Home and End, Save View As and
// the recent films.

namespace plexo {

enum ViewerCommandId : int {
    kCmdSaveViewAs = 32850,
    kCmdActualSize = 32851,
    kCmdFitToWindow = 32852,
    kCmdZoomIn = 32853,
    kCmdZoomOut = 32854,
    kCmdSizeWindowToFilm = 32855,
    kCmdFullScreen = 32856,
    kCmdFrameDisplay = 32857,
    kCmdFirstCadre = 32858,
    kCmdLastCadre = 32859,
};

}  // namespace plexo
