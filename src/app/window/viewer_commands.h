#pragma once
// The viewer's desktop additions, each off until the user asks: the Film menu's keys,
// Home and End, view size, sizing the window to the film, full screen, the
// frame display, the status bar, the folder's next and previous films, recent films, dropped files and Save View As. None of them
// changes anything until the user asks for it. The main frame owns one and
// routes to it, and it goes before the window does; it knows the window only
// through `ViewerWindow`, so the calls run one way; its settings live in the "View" and "Recent" sections.

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "app/window/file_dialogs.h"
#include "image/stereo_layout.h"
#include "platform/view_settings.h"

class QDropEvent;
class QMainWindow;
class QMenu;
class QMimeData;
class QToolBar;

namespace plexo {

class CPlexoDoc;
class CPlexoView;
class CommandTable;
class FrameBuffer;
struct PresentationState;

// What the commands touch of the main window that owns them.
struct ViewerWindow {
    QMainWindow& window;
    CommandTable& commands;
    CPlexoView& view;
    const PresentationState& state;
    // Names the film shown in the title; `second` for the second film of a pair.
    std::function<void(const QString& path, bool second)> titleFilm;
    // The window's file dialogs, as it answers them now.
    FileChooser chooseFile;
    std::function<QToolBar*()> toolBar;
    // The slider under the view and the volume slider beside it, both
    // hidden in full screen.
    QWidget& timeline;
    QWidget& volume;
};

class ViewerCommands : public QObject {
    Q_OBJECT

public:
    // Reads the "View" and "Recent" sections and gives the view its size.
    ViewerCommands(ViewerWindow window, CPlexoDoc& doc);
    // Writes the two sections.
    ~ViewerCommands() override;

    // Defines the commands and their keys; after the main frame's own.
    void DefineCommands();
    // Window geometry from the last run; after the window has its default size.
    void RestoreGeometry();

    // The File menu's "Recent Films", kept up to date as films open.
    void AddRecentMenu(QMenu& file);
    // View > Layout: Automatic, Mono and each stereo layout, for the film
    // loaded alone; the choice is kept with the film in "Recent".
    void AddLayoutMenu(QMenu& view);
    // View > Subtitles: shown (V), the next track (J), the film's tracks, As
    // Authored and Off, and the depth: automatic, closer (Alt+]) and farther
    // (Alt+[); the choice is kept in the film's record.
    void AddSubtitleMenu(QMenu& view);
    // View > Projection (Automatic, Flat and each spherical projection, kept
    // in the film's record) and Reset View; the camera's keys and the
    // view's drag and Ctrl+wheel turn a spherical film's camera.
    void AddProjectionMenu(QMenu& view);

    // One cadre forward or back, telling on the frame display when the
    // partner stops the film short of its end.
    void Step(bool forward);
    // After Load, Add, Open, a recent film or a drop: the title, the recent
    // list and, when asked for, the window's size. `remember` is false for
    // the second film of a pair. A film loaded alone (`remember`) is the
    // place of Page Down and Up in its folder even when it did not open
    // (`opened` false), which otherwise changes nothing: the film shown
    // before stays, title included.
    void FilmOpened(const QString& path, bool remember, bool opened);
    // Load or (second film) Add of a path, as the dialogs' commands do;
    // false when it gave no film.
    bool OpenPath(const QString& path, bool add);
    // Page Down and Page Up: the next or previous film of the folder of the
    // film last loaded alone, or last failed to; nothing at either end.
    void OpenNeighbour(bool forward);

    // The film last loaded alone, or last failed to: the slideshow's folder.
    const std::string& folderPlace() const { return folderPlace_; }
    // Page Down and Page Up ask this first: true when a list took the step.
    std::function<bool(bool forward)> stepList;
    // Whether a list or a slideshow takes Page Down and Page Up now.
    std::function<bool()> listActive;
    // Told when a film was loaded alone.
    std::function<void()> filmLoadedAlone;

    const platform::RecentFilms& recentFilms() const { return recent_; }
    bool fullScreen() const { return fullScreen_; }
    // Full screen on or off, as F11 does.
    void SetFullScreen(bool on)
    {
        if (on != fullScreen_)
            ToggleFullScreen();
    }

signals:
    void fullScreenChanged(bool on);

public:
    // The "Presentation" name the View section held at start.
    const std::string& storedPresentation() const { return settings_.presentation; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page-flipping window covers its screen whatever the film's size.
    bool PageFlipping() const;
    void SetViewSize(platform::ViewSize size, int zoomPercent);
    void Zoom(bool in);
    // Size Window to Film, when it is on.
    void SizeWindowToFilm();
    // The window, frame included, as large as the film shown asks, up to
    // this share of the screen's free area; never smaller than it is unless
    // it may `shrink`.
    void FitWindowToFilm(double screenShare, bool shrink);
    void ToggleFullScreen();
    void SaveViewAs();
    void RebuildRecentMenu();
    void DefineLayoutCommands();
    // The film loaded alone opened again with the layout, at the same frame.
    void ChooseLayout(const LayoutChoice& layout);
    LayoutChoice LayoutOf(const std::string& path) const;
    void DefineSubtitleCommands();
    void DefineSphereCommands();
    // The camera turned and widened by so many degrees; written to the
    // film's record unless a drag goes on.
    void TurnCamera(double yaw, double pitch, double fov, bool keep = true);
    void RebuildSubtitleMenu();
    void ChooseSubtitleTrack(std::optional<int32_t> track);
    void ToggleSubtitles();
    void NextSubtitleTrack();
    // A fixed depth `by` pixels closer (negative: farther), from the one shown.
    void MoveSubtitleDepth(int by);
    // Drag enter, move and drop on the main frame; true when handled.
    bool HandleDrop(QDropEvent* event);

    ViewerWindow host_;
    QMainWindow& window_;
    CPlexoDoc& doc_;
    CommandTable& commands_;
    CPlexoView& view_;
    platform::ViewSettings settings_;
    platform::RecentFilms recent_;
    QMenu* recentMenu_ = nullptr;
    QMenu* subtitleMenu_ = nullptr;
    // The track V shows again after it hid them.
    std::optional<int32_t> hiddenTrack_;
    QString dragPath_;
    // The absolute path of the film last loaded alone; empty without one.
    std::string loadedPath_;
    // The absolute path of the file last loaded alone, whether or not it
    // gave a film: where Page Down and Up go on from.
    std::string folderPlace_;
    // No geometry was kept from an earlier run and no film has opened yet.
    bool fitFirstFilm_ = false;
    bool fullScreen_ = false;
    bool toolBarShown_ = true;
    bool wasMaximized_ = false;
    // The window's place before full screen, given back on leaving it.
    QRect beforeFullScreen_;
};

// The path of a dropped file the viewer can load: a local .flm, .bmp or .jpg
// (any case); empty otherwise.
QString DroppedFilmPath(const QMimeData* data);

// The frame as the view shows it, without its padding columns, as a BMP or
// JPEG file by the name's extension; "Save error" in the log when it fails.
bool SaveShownFrame(const FrameBuffer& frame, const std::string& path);

}  // namespace plexo
