// Film > Slideshow: the list's or the folder's films one after the other,
// in the presentation and the window as they are.

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>

#include "app/view/presentation_state.h"
#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "app/window/playlist_commands.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"

namespace plexo {

namespace {

// Page Down and Page Up move the slideshow; a modifier alone is no key
// pressed yet.
bool KeepsSlideshow(int key)
{
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return true;
    default: return false;
    }
}

}  // namespace

Playlist& PlaylistCommands::Slides()
{
    return slidesFromFolder_ ? folderSlides_ : list_;
}

void PlaylistCommands::StartSlideshow(int32_t seconds)
{
    if (slideshow_.Running())
        return;
    slidesFromFolder_ = !open_;
    if (slidesFromFolder_) {
        if (host_.viewer.folderPlace().empty())
            return;
        folderSlides_ = FolderPlaylist(host_.viewer.folderPlace());
        if (folderSlides_.empty())
            return;
    }
    const int32_t shown = seconds > 0 ? seconds : host_.doc.slideSeconds();
    slideshow_.Start(play::Micros(shown) * 1000000);
    qApp->installEventFilter(this);
    // The film shown is the first slide; without one, the list's current entry opens.
    const std::vector<std::string>& paths = host_.doc.filmPaths();
    const PlaylistEntry* current = Slides().Current();
    if (!host_.doc.film() || paths.empty() || !current || paths.front() != current->path) {
        if (!Slides().OpenFrom(Slides().current().value_or(0), LoopsList(), Opener())) {
            EndSlideshow();
            return;
        }
    }
    ListMoved(false);
    SlideShown();
}

void PlaylistCommands::EndSlideshow()
{
    if (!slideshow_.Running())
        return;
    slideshow_.Stop();
    slideTimer_.stop();
    qApp->removeEventFilter(this);
    // A video's own loop was held off while it showed.
    if (Film* film = host_.doc.film())
        film->SetRound(host_.doc.round());
    host_.commands.Update();
}

void PlaylistCommands::SlideShown()
{
    slideTimer_.stop();
    const bool video = host_.doc.ownRate();
    slideshow_.Shown(video);
    if (video) {
        // Played to its end, never round again, so that the next one comes.
        if (Film* film = host_.doc.film())
            film->SetRound(false);
        if (!host_.state.playing)
            host_.commands.Run(kCmdPlay);
        return;
    }
    if (host_.state.playing)
        host_.commands.Run(kCmdPlay);
    slideTimer_.start(int((slideshow_.Wait() + 999) / 1000));
}

void PlaylistCommands::NextSlide()
{
    if (!slideshow_.Running())
        return;
    if (!Slides().Step(true, LoopsList(), Opener())) {
        EndSlideshow();
        return;
    }
    ListMoved(false);
    SlideShown();
}

bool PlaylistCommands::eventFilter(QObject* watched, QEvent* event)
{
    // A message box over the window keeps its keys and clicks.
    const bool inWindow = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == &host_.window;
    if (!slideshow_.Running() || !inWindow)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Taken here, so that no shortcut runs: the key only ends the slideshow.
        if (!KeepsSlideshow(static_cast<QKeyEvent*>(event)->key())) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (!KeepsSlideshow(static_cast<QKeyEvent*>(event)->key())) {
            EndSlideshow();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        EndSlideshow();
        return true;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace plexo
