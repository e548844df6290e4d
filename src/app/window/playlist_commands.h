#pragma once
// The window's lists and slideshow: File > Open Playlist and Save Playlist,
// View > Playlist, Film > Loop and Film > Slideshow (F5). While a list is
// open Page Down and Page Up move in it, and a video that ends goes on to
// the next entry. A slideshow walks the list, or the folder of the film
// shown, each picture for the time set, each video to its end; any key or
// click but Page Down and Page Up ends it. The rules are the core's
// (doc/playlist.h, play/slideshow.h); this only wires them to the window.

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/window/file_dialogs.h"
#include "doc/playlist.h"
#include "play/slideshow.h"

class QMainWindow;
class QMenu;

namespace plexo {

class CPlexoDoc;
class CommandTable;
class PlaylistPanel;
class ViewerCommands;
struct PresentationState;

struct PlaylistWindow {
    QMainWindow& window;
    CommandTable& commands;
    CPlexoDoc& doc;
    ViewerCommands& viewer;
    const PresentationState& state;
    FileChooser chooseFile;
    // Opens a film of the list as the film shown; false when it gave none.
    std::function<bool(const QString& path)> open;
    // Puts the text in the window's title in place of the file's name.
    std::function<void(const QString& title)> title;
};

class PlaylistCommands : public QObject {
    Q_OBJECT
public:
    explicit PlaylistCommands(PlaylistWindow window);
    ~PlaylistCommands() override;

    void DefineCommands();
    // Film > Loop, with its three choices.
    void AddLoopMenu(QMenu& film);

    // The list in place of any other, its first film that opens shown. An
    // empty one says so when `tellEmpty` (a refused file has said why).
    void OpenList(Playlist list, const QString& name, bool tellEmpty = true);
    bool listOpen() const { return open_; }
    // Page Down and Page Up while a list or a slideshow runs; false when
    // neither does, for the folder to step instead.
    bool Step(bool forward);
    // The video shown played to its end without a loop.
    void FilmEnded();
    // A slideshow of the list, or of the folder of the film shown; the
    // pictures stay `seconds` (0: the Settings time).
    void StartSlideshow(int32_t seconds = 0);
    void EndSlideshow();
    bool slideshowRunning() const { return slideshow_.Running(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OpenEntry(const PlaylistEntry& entry);
    Playlist::Opener Opener();
    bool LoopsList() const;
    void OpenPlaylistFile();
    void SavePlaylistFile();
    void ListMoved(bool replaced);
    // The slideshow's list: the list open, else the folder's.
    Playlist& Slides();
    // The film just shown starts its time, or plays to its end.
    void SlideShown();
    void NextSlide();

    PlaylistWindow host_;
    Playlist list_;
    bool open_ = false;
    // Set while the list opens a film, so that the film is not taken for
    // one loaded alone.
    bool opening_ = false;
    PlaylistPanel* panel_ = nullptr;
    play::Slideshow slideshow_;
    Playlist folderSlides_;
    bool slidesFromFolder_ = false;
    QTimer slideTimer_;
};

}  // namespace plexo
