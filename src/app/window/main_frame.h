#pragma once
// The main window: menu bar, toolbar, the one view, the command table and the
// presentation state (playing, stereo, frames per second) that the view and
// the Settings dialog read.

#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/view/presentation_state.h"
#include "app/window/command_table.h"
#include "app/window/file_dialogs.h"
#include "platform/mode_guard.h"
#include "play/player.h"
#include "present/presentation.h"
#include "present/startup_modes.h"

class QMenu;
class QToolBar;

namespace plexo {

class CPlexoDoc;
class CPlexoView;
class PageFlipStereo;
class Playlist;
class PlaylistCommands;
class SetPnl;
class SoundControl;
class ShownPipeline;
class StatusFields;
class Timeline;
class VideoScanWatch;
class ViewerCommands;
struct CommandLineOptions;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // Reads the frame's settings and makes the stored directory current. The
    // options are the command line's; the document applies them to the first
    // film opened through OpenDocumentFile.
    CMainFrame(CPlexoDoc& doc, CommandLineOptions& options);
    // Writes the frame's settings.
    ~CMainFrame() override;

    PresentationState state;

    CommandTable& commands() { return commands_; }
    CPlexoView* view() const { return view_; }
    Timeline* timeline() const { return timeline_; }
    QToolBar* toolBar() const { return toolBar_; }
    const QTimer& playTimer() const { return playTimer_; }
    play::Player& player() { return player_; }
    SetPnl* settingsDialog() const { return settingsDialog_; }
    ViewerCommands& viewer() const { return *viewer_; }
    PlaylistCommands& playlist() const { return *playlist_; }
    PageFlipStereo& pageFlip() { return *pageFlip_; }
    // Shows the scan of a video opened on any path; its `progressed` signal
    // is there for whatever else shows progress.
    VideoScanWatch& scanWatch() const { return *scanWatch_; }

    // The framework's open-from-file path (command line and Open): the
    // document builds the film, or says that the file gives none; the title
    // carries the file's name when it does. False when no film was built.
    bool OpenDocumentFile(const QString& path);
    // "<title> - Plexo".
    void SetDocumentTitle(const QString& title);
    // After `path` was opened as the film, or as the second film of a pair:
    // the title names the film shown, "Untitled" when there is none.
    void TitleFilm(const QString& path, bool second);
    // The command line's list (several films, a playlist, a folder): its
    // first film that opens goes the open-from-file path, as a film named
    // alone does.
    void OpenStartupList(Playlist list, const QString& name);
    // Start-up's play and stereo requests, queued so that they run after the
    // command line's film is open; neither asks its enabling rule.
    void PostStartupCommands(bool play, bool stereo);

    // Answers the file dialogs, the Translate dialog's too; the Qt dialog
    // unless a test replaces it.
    FileChooser chooseFile = RunFileDialog;

    // Page-flipped stereo takes the Screen command away: the "&Screen" item
    // stays, enabled, and choosing it does nothing until it is given back.
    void SetScreenCommandAttached(bool attached) { screenCommandAttached_ = attached; }

    // Re-evaluates every command's enabling and check rule.
    void UpdateCommands() { commands_.Update(); }
    // The document's repaint: the view, the timeline and the status bar.
    void FilmChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildAccelerators();
    void DefineCommands();
    void DefineFileCommands();
    void DefineStereoCommands();
    // View > Stereo Presentation and View > Adjustments.
    void AddStereoMenus(QMenu& view);

    bool FilmLoaded() const;
    void OnPlay();
    void OnStereo();
    // Shift and the arrows, the delay keys, and the on-screen line they show
    // for a second (main_frame_seek.cpp).
    void DefineSeekCommands();
    void SeekByTime(int64_t byUs);
    void ShowLine(const std::string& text);
    void OnLeaveStereo();
    // Stereo on in this presentation, off first when another one is on.
    void OnChoosePresentation(PresentationId presentation);
    void OnSettings();
    void OnTranslate();
    // The shown film's pairs written for other stereo software.
    void OnExportStereo();
    void OnAbout();
    void OnScreen();
    void OnLoad();
    void OnAdd();
    void OnOpen();
    void OnSaveAs();
    void OnPrint();
    // Edit > Copy: the composed frame as the view shows it, to the clipboard.
    void OnCopy();
    void StopPlaying();
    // The player told the document's film, stereo choice and settings.
    void SyncPlayer();
    // ... and the pipeline built again for them, and the pair shown again.
    void RefreshPlayer();
    // The way a playback that ended went, kept for the next Play.
    void KeepDirection(std::optional<bool> forward);
    // One pass of the player, and the timer set for the next.
    void PlayTick();
    // The timeline and, while it shows, the status bar follow the film.
    void SyncControls();
    // Page flipping covers the screen with the view alone: the menu bar, the
    // toolbar, the timeline and the status bar go while it flips, and come
    // back as they were.
    void ShowAroundView(bool shown);

    CPlexoDoc& doc_;
    CommandLineOptions& options_;
    // Owns playback and what is shown; the view and page flipping are its
    // outputs.
    play::Player player_;
    // The stages the player's pairs pass through.
    std::unique_ptr<ShownPipeline> pipeline_;
    CommandTable commands_;
    CPlexoView* view_ = nullptr;
    Timeline* timeline_ = nullptr;
    // A child of the window.
    SoundControl* sound_ = nullptr;
    std::unique_ptr<StatusFields> statusFields_;
    QToolBar* toolBar_ = nullptr;
    QTimer playTimer_;
    QTimer lineTimer_;
    std::atomic<bool> wakePosted_{false};
    SetPnl* settingsDialog_ = nullptr;
    // A child of the window.
    VideoScanWatch* scanWatch_ = nullptr;
    // The start-up mode of every output switched and, where modes can be
    // switched, the guardian that puts them back should the viewer die.
    StartupModes startupModes_;
    std::unique_ptr<platform::ModeGuard> modeGuard_;
    bool screenCommandAttached_ = true;
    // Whether page flipping hid what is around the view, and whether the
    // toolbar showed then.
    bool hiddenAround_ = false;
    // Frame packing took the window full screen, and gives it back.
    bool packedFullScreen_ = false;
    bool toolBarShown_ = true;
    // The "Red-Blue" value read at start, written back while the chosen
    // presentation is none that it can keep.
    int32_t redBlue_ = 1;
    QString filmTitle_;
    // Made after the view, gone before the window.
    std::unique_ptr<ViewerCommands> viewer_;
    // Gone before the viewer's commands it steps through.
    std::unique_ptr<PlaylistCommands> playlist_;
    std::unique_ptr<PageFlipStereo> pageFlip_;
};

}  // namespace plexo
