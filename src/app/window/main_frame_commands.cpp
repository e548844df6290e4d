// The main frame's resources: the command table's handlers and rules, the
// menu bar, the toolbar and the accelerator table.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/dialogs/shortcuts_dlg.h"
#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "app/window/playlist_commands.h"
#include "app/window/sound_control.h"
#include "app/window/toolbar_icons.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"

namespace plexo {

namespace {

struct CommandText {
    int id;
    const char* menu;     // as the menu shows it, mnemonic and key included
    const char* prompt;   // the status prompt
    const char* tooltip;  // the toolbar's tooltip
};

// The menu texts and the string table's prompts and tooltips.
constexpr CommandText kTexts[] = {
    {kCmdLoad, "&Load...\tCtrl+L", "Load files", "Load"},
    {kCmdAdd, "&Add...\tCtrl+A", "Add files", "Add"},
    {kCmdSaveAs, "&Save As...", "Save files", "Save"},
    {kCmdExportStereo, "&Export Stereo...\tCtrl+Shift+E", "Export the stereo pairs for other stereo software", ""},
    {kCmdExit, "E&xit\tCtrl+Q", "", ""},
    {kCmdEditUndo, "&Undo\tCtrl+Z", "", ""},
    {kCmdEditCut, "Cu&t\tCtrl+X", "", ""},
    {kCmdEditCopy, "&Copy\tCtrl+C", "", ""},
    {kCmdEditPaste, "&Paste\tCtrl+V", "", ""},
    {kCmdViewToolbar, "&Toolbar", "", ""},
    {kCmdViewStatusBar, "&Status Bar", "", ""},
    {kCmdMessageLog, "&Message Log", "", ""},
    {kCmdTranslate, "&Translate", "", ""},
    {kCmdScreen, "&Screen", "", ""},
    {kCmdKeyboardShortcuts, "&Keyboard Shortcuts", "", ""},
    {kCmdAbout, "&About Plexo...", "", "About"},
    {kCmdPlay, "", "Play", "Play"},
    {kCmdForward, "", "One cadre forward", "Forward"},
    {kCmdBack, "", "One cadre back", "Back"},
    {kCmdFirstCadre, "", "First frame", "First"},
    {kCmdLastCadre, "", "Last frame", "Last"},
    {kCmdStereo, "", "Stereo on\\off", "Stereo on\\off"},
    {kCmdSettings, "", "Settings", "Settings"},
};

struct Accelerator {
    QKeyCombination key;
    int id;
};

// The accelerator table, plus Ctrl+L, Ctrl+A, Ctrl+Q and Ctrl+Shift+E, which
// the menu promises.
const Accelerator kAccelerators[] = {
    {Qt::CTRL | Qt::Key_C, kCmdEditCopy},
    {Qt::CTRL | Qt::Key_E, kCmdLeaveStereo},
    {Qt::CTRL | Qt::Key_N, kCmdFileNew},
    {Qt::CTRL | Qt::Key_O, kCmdFileOpen},
    {Qt::CTRL | Qt::Key_P, kCmdFilePrint},
    {Qt::CTRL | Qt::Key_S, kCmdFileSave},
    {Qt::CTRL | Qt::Key_V, kCmdEditPaste},
    {Qt::ALT | Qt::Key_Backspace, kCmdEditUndo},
    {Qt::SHIFT | Qt::Key_Delete, kCmdEditCut},
    {QKeyCombination(Qt::Key_Escape), kCmdLeaveStereo},
    {Qt::CTRL | Qt::Key_Escape, kCmdCtrlEsc},
    {QKeyCombination(Qt::Key_F6), kCmdNextPane},
    {Qt::SHIFT | Qt::Key_F6, kCmdPrevPane},
    {Qt::CTRL | Qt::Key_Insert, kCmdEditCopy},
    {Qt::SHIFT | Qt::Key_Insert, kCmdEditPaste},
    {Qt::ALT | Qt::Key_Return, kCmdLeaveStereo},
    {Qt::ALT | Qt::Key_Enter, kCmdLeaveStereo},
    {QKeyCombination(Qt::Key_Space), kCmdPlayOrLeaveStereo},
    {Qt::CTRL | Qt::Key_X, kCmdEditCut},
    {Qt::CTRL | Qt::Key_Z, kCmdEditUndo},
    {Qt::CTRL | Qt::Key_L, kCmdLoad},
    {Qt::CTRL | Qt::Key_A, kCmdAdd},
    {Qt::CTRL | Qt::Key_Q, kCmdExit},
    {Qt::CTRL | Qt::SHIFT | Qt::Key_E, kCmdExportStereo},
};

}  // namespace

void CMainFrame::DefineCommands()
{
    CommandTable& t = commands_;
    auto film = [this] { return FilmLoaded(); };
    t.Define(kCmdPlay, [this] { OnPlay(); }, film, [this] { return state.playing; });
    t.Define(kCmdForward, [this] { viewer_->Step(true); }, film);
    t.Define(kCmdBack, [this] { viewer_->Step(false); }, film);
    t.Define(kCmdStereo, [this] { OnStereo(); }, film, [this] { return state.stereo; });
    t.Define(kCmdLeaveStereo, [this] { OnLeaveStereo(); });
    // Space leaves stereo as it always has; only with stereo off it plays.
    t.Define(kCmdPlayOrLeaveStereo, [this] {
        if (state.stereo)
            OnLeaveStereo();
        else if (FilmLoaded())
            OnPlay();
    });
    t.Define(kCmdEditCopy, [this] { OnCopy(); }, film);
    t.Define(kCmdExit, [this] { close(); });
    t.Define(kCmdViewToolbar, [this] { toolBar_->setVisible(!toolBar_->isVisible()); }, {},
             [this] { return toolBar_ && !toolBar_->isHidden(); });
    // Only an enabling rule: nothing raises this id.
    t.Define(kCmdFileSaveAs, [] {}, film);
    t.Define(kCmdSettings, [this] { OnSettings(); }, [this] { return FilmLoaded() && !state.playing; });
    t.Define(kCmdTranslate, [this] { OnTranslate(); });
    t.Define(kCmdExportStereo, [this] { OnExportStereo(); }, film);
    t.Define(kCmdAbout, [this] { OnAbout(); });
    t.Define(kCmdKeyboardShortcuts, [this] {
        ShortcutsDlg dialog(commands_, this);
        dialog.exec();
    });
    t.Define(kCmdScreen, [this] { OnScreen(); });
    DefineFileCommands();
    DefineStereoCommands();
    DefineSeekCommands();
    // Undo, Cut, Paste, Save, Ctrl+Esc and the pane keys have no handler,
    // so they stay disabled.
    for (const CommandText& text : kTexts) {
        QAction* action = t.Action(text.id);
        action->setText(QString::fromUtf8(text.menu));
        action->setStatusTip(QString::fromUtf8(text.prompt));
        if (*text.tooltip)
            action->setToolTip(QString::fromUtf8(text.tooltip));
        const QIcon icon = ToolbarIcon(text.id);
        if (!icon.isNull())
            action->setIcon(icon);
    }
}

void CMainFrame::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto addMenu = [this, bar](const QString& title, std::initializer_list<int> ids) {
        QMenu* menu = bar->addMenu(title);
        commands_.AddToMenu(*menu, ids);
        // The rules are asked again before a menu shows.
        connect(menu, &QMenu::aboutToShow, this, [this] { commands_.Update(); });
        return menu;
    };
    QMenu* file = addMenu(QStringLiteral("&File"), {kCmdLoad, kCmdAdd, kCmdOpenPlaylist, kCmdSavePlaylist, kCmdSaveAs,
                                                    kCmdSaveViewAs, kCmdExportStereo});
    viewer_->AddRecentMenu(*file);
    commands_.AddToMenu(*file, {0, kCmdExit});
    addMenu(QStringLiteral("&Edit"), {kCmdEditUndo, 0, kCmdEditCut, kCmdEditCopy, kCmdEditPaste});
    QMenu* view = addMenu(QStringLiteral("&View"), {kCmdViewToolbar, kCmdViewStatusBar, 0, kCmdActualSize, kCmdFitToWindow,
                                                    kCmdFitLarge, kCmdZoomIn, kCmdZoomOut, 0, kCmdSizeWindowToFilm,
                                                    kCmdFullScreen, kCmdFrameDisplay, kCmdMessageLog, kCmdPlaylistPanel, 0});
    AddStereoMenus(*view);
    viewer_->AddLayoutMenu(*view);
    viewer_->AddProjectionMenu(*view);
    viewer_->AddSubtitleMenu(*view);
    // The one-to-one reason shows on the disabled size items.
    view->setToolTipsVisible(true);
    QMenu* film = addMenu(QStringLiteral("F&ilm"), {kCmdPlay, kCmdForward, kCmdBack, kCmdFirstCadre, kCmdLastCadre, 0,
                                                    kCmdNextFilm, kCmdPreviousFilm, kCmdSlideshow});
    playlist_->AddLoopMenu(*film);
    commands_.AddToMenu(*film, {0, kCmdStereo, kCmdSettings});
    commands_.AddToMenu(*film, {0, kCmdSeekForwardShort, kCmdSeekBackShort, kCmdSeekForwardLong, kCmdSeekBackLong, 0,
                                kCmdSoundLater, kCmdSoundEarlier, kCmdSubtitlesEarlier, kCmdSubtitlesLater});
    sound_->AddMenu(*bar, *this);
    bar->addAction(commands_.Action(kCmdTranslate));
    bar->addAction(commands_.Action(kCmdScreen));
    addMenu(QStringLiteral("&Help"), {kCmdKeyboardShortcuts, 0, kCmdAbout});
}

void CMainFrame::BuildToolBar()
{
    toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : std::initializer_list<int>{kCmdLoad, 0, kCmdFirstCadre, kCmdBack, kCmdPlay, kCmdForward,
                                                     kCmdLastCadre, 0, kCmdStereo, kCmdSettings, kCmdAbout}) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(commands_.Action(id));
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    // Hiding through the toolbar's own context menu shows on the View item too.
    connect(toolBar_, &QToolBar::visibilityChanged, this, [this] { commands_.Update(); });
}

void CMainFrame::BuildAccelerators()
{
    for (const Accelerator& accelerator : kAccelerators)
        commands_.BindKey(*this, accelerator.key, accelerator.id);
}

}  // namespace plexo
