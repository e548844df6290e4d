// The window's lists: opening and saving them, the panel, Film > Loop, and
// moving on at a video's end.

#include "app/window/playlist_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>

#include "app/view/presentation_state.h"
#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "app/window/playlist_panel.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"
#include "platform/message_sink.h"

namespace plexo {

namespace {

FileRequest OpenPlaylistRequest()
{
    FileRequest request;
    request.title = QStringLiteral("Open Playlist");
    request.nameFilters = {QStringLiteral("Playlists (*.m3u *.m3u8 *.M3U *.M3U8)"), QStringLiteral("All Files (*)")};
    return request;
}

FileRequest SavePlaylistRequest()
{
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Save Playlist");
    request.nameFilters = {QStringLiteral("Playlists (*.m3u8)")};
    request.defaultSuffix = QStringLiteral("m3u8");
    return request;
}

}  // namespace

PlaylistCommands::PlaylistCommands(PlaylistWindow window) : host_(std::move(window))
{
    panel_ = new PlaylistPanel(list_, [this](size_t index) {
        list_.OpenFrom(index, false, Opener());
        ListMoved(false);
    }, &host_.window);
    host_.window.addDockWidget(Qt::RightDockWidgetArea, panel_);
    panel_->hide();
    connect(panel_, &QDockWidget::visibilityChanged, this, [this] { host_.commands.Update(); });
    slideTimer_.setSingleShot(true);
    connect(&slideTimer_, &QTimer::timeout, this, [this] {
        if (slideshow_.Due())
            NextSlide();
        else if (slideshow_.Wait() > 0)
            slideTimer_.start(int((slideshow_.Wait() + 999) / 1000));
    });
    host_.viewer.stepList = [this](bool forward) { return Step(forward); };
    host_.viewer.listActive = [this] { return open_ || slideshow_.Running(); };
    host_.viewer.filmLoadedAlone = [this] {
        if (opening_)
            return;
        // Another film taken up by hand leaves the list, and the slideshow.
        EndSlideshow();
        open_ = false;
        host_.commands.Update();
    };
}

PlaylistCommands::~PlaylistCommands()
{
    EndSlideshow();
    host_.viewer.stepList = nullptr;
    host_.viewer.listActive = nullptr;
    host_.viewer.filmLoadedAlone = nullptr;
}

void PlaylistCommands::DefineCommands()
{
    CommandTable& t = host_.commands;
    CPlexoDoc& doc = host_.doc;
    t.Define(kCmdOpenPlaylist, [this] { OpenPlaylistFile(); });
    t.Define(kCmdSavePlaylist, [this] { SavePlaylistFile(); }, [this] { return open_ && !list_.empty(); });
    t.Define(kCmdPlaylistPanel, [this] { panel_->setVisible(panel_->isHidden()); }, {},
             [this] { return !panel_->isHidden(); });
    const auto loop = [this, &doc](LoopMode mode) {
        return [this, &doc, mode] {
            doc.setLoopMode(mode);
            host_.commands.Update();
        };
    };
    const auto looping = [&doc](LoopMode mode) { return [&doc, mode] { return doc.loopMode() == mode; }; };
    t.Define(kCmdLoopOff, loop(LoopMode::Off), {}, looping(LoopMode::Off));
    t.Define(kCmdLoopFilm, loop(LoopMode::Film), {}, looping(LoopMode::Film));
    t.Define(kCmdLoopList, loop(LoopMode::List), {}, looping(LoopMode::List));
    t.Define(kCmdSlideshow, [this] { slideshow_.Running() ? EndSlideshow() : StartSlideshow(); },
             [this] { return open_ || !host_.viewer.folderPlace().empty(); }, [this] { return slideshow_.Running(); });

    struct Text {
        int id;
        const char* menu;
    };
    for (const Text& text : {Text{kCmdOpenPlaylist, "Open &Playlist..."}, Text{kCmdSavePlaylist, "Save Pla&ylist..."},
                             Text{kCmdPlaylistPanel, "Pla&ylist"}, Text{kCmdLoopOff, "&Off"},
                             Text{kCmdLoopFilm, "The &Film"}, Text{kCmdLoopList, "The &List"},
                             Text{kCmdSlideshow, "Slides&how\tF5"}})
        t.Action(text.id)->setText(QString::fromUtf8(text.menu));
    t.BindKey(host_.window, QKeyCombination(Qt::Key_F5), kCmdSlideshow);
}

void PlaylistCommands::AddLoopMenu(QMenu& film)
{
    QMenu* loop = film.addMenu(QStringLiteral("L&oop"));
    host_.commands.AddToMenu(*loop, {kCmdLoopOff, kCmdLoopFilm, kCmdLoopList});
    auto* group = new QActionGroup(loop);
    for (int id : {kCmdLoopOff, kCmdLoopFilm, kCmdLoopList})
        group->addAction(host_.commands.Action(id));
    connect(loop, &QMenu::aboutToShow, this, [this] { host_.commands.Update(); });
}

bool PlaylistCommands::OpenEntry(const PlaylistEntry& entry)
{
    opening_ = true;
    const bool opened = host_.open(QString::fromStdString(entry.path));
    opening_ = false;
    if (opened && !entry.title.empty())
        host_.title(QString::fromStdString(entry.title));
    return opened;
}

Playlist::Opener PlaylistCommands::Opener()
{
    return [this](const PlaylistEntry& entry) { return OpenEntry(entry); };
}

bool PlaylistCommands::LoopsList() const
{
    return host_.doc.loopMode() == LoopMode::List;
}

void PlaylistCommands::OpenList(Playlist list, const QString& name, bool tellEmpty)
{
    EndSlideshow();
    list_ = std::move(list);
    open_ = true;
    ListMoved(true);
    if (list_.empty()) {
        if (tellEmpty)
            platform::ShowMessage("The playlist holds no film: " + name.toStdString());
        return;
    }
    list_.OpenFrom(0, false, Opener());
    ListMoved(false);
}

void PlaylistCommands::OpenPlaylistFile()
{
    const QString path = host_.chooseFile(&host_.window, OpenPlaylistRequest());
    if (path.isEmpty())
        return;
    std::optional<std::vector<PlaylistEntry>> entries = ReadPlaylist(path.toStdString());
    if (entries)
        OpenList(Playlist(std::move(*entries)), QFileInfo(path).fileName());
}

void PlaylistCommands::SavePlaylistFile()
{
    const QString path = host_.chooseFile(&host_.window, SavePlaylistRequest());
    if (!path.isEmpty())
        WritePlaylist(path.toStdString(), list_.entries());
}

void PlaylistCommands::ListMoved(bool replaced)
{
    panel_->Refresh(replaced);
    host_.commands.Update();
}

bool PlaylistCommands::Step(bool forward)
{
    if (slideshow_.Running()) {
        if (Slides().Step(forward, LoopsList(), Opener()))
            SlideShown();
        ListMoved(false);
        return true;
    }
    if (!open_)
        return false;
    list_.Step(forward, LoopsList(), Opener());
    ListMoved(false);
    return true;
}

void PlaylistCommands::FilmEnded()
{
    if (slideshow_.Running()) {
        slideshow_.VideoEnded();
        // After the pass that saw the end has run out.
        QTimer::singleShot(0, this, [this] {
            if (slideshow_.Due())
                NextSlide();
        });
        return;
    }
    if (!open_)
        return;
    QTimer::singleShot(0, this, [this] {
        if (!open_ || !list_.Step(true, LoopsList(), Opener()))
            return;
        ListMoved(false);
        if (host_.doc.ownRate() && !host_.state.playing)
            host_.commands.Run(kCmdPlay);
    });
}

}  // namespace plexo
