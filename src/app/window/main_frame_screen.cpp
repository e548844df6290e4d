// The main frame's Screen command.

#include "app/dialogs/screen_pnl.h"
#include "app/window/main_frame.h"

namespace plexo {

void CMainFrame::OnScreen()
{
    if (!screenCommandAttached_)
        return;
    ScreenPnl dialog(startupModes_, this);
    dialog.exec();
}

}  // namespace plexo
