// The viewer's file commands: recent films, dropped files and Save View As.

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include <utility>
#include <vector>

#include "app/view/plexo_view.h"
#include "app/window/command_table.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"
#include "doc/resume_rule.h"
#include "doc/save_frame.h"
#include "film/file_formats.h"
#include "film/folder_films.h"
#include "platform/log.h"
#include "present/frame_buffer.h"

namespace plexo {

namespace {

// The first run's window grows to fit its first film up to this share of the
// screen.
constexpr double kFirstWindowShare = 0.8;
// How long the status bar says where a film was resumed.
constexpr int kResumedNoticeMs = 8000;

}  // namespace

QString DroppedFilmPath(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const FileFormat* format = FileFormatOf(path.toStdString());
        if (format && format->openFilm)
            return path;
    }
    return {};
}

bool SaveShownFrame(const FrameBuffer& frame, const std::string& path)
{
    // The padding columns beyond the view's width are not part of it; the
    // writers take the narrower view at the frame's own stride.
    return SavePicture(frame.picture().subview(0, 0, frame.viewWidth(), frame.height()), path);
}

void ViewerCommands::AddRecentMenu(QMenu& file)
{
    recentMenu_ = file.addMenu(QStringLiteral("Recent &Films"));
    recentMenu_->setToolTipsVisible(true);
    RebuildRecentMenu();
}

void ViewerCommands::RebuildRecentMenu()
{
    if (!recentMenu_)
        return;
    recentMenu_->clear();
    int number = 1;
    for (const std::string& stored : recent_.paths) {
        const QString path = QString::fromStdString(stored);
        QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] {
            // A film that no longer opens leaves the list.
            if (!OpenPath(path, false)) {
                const std::string gone = path.toStdString();
                std::erase(recent_.paths, gone);
                RebuildRecentMenu();
            }
        });
    }
    recentMenu_->setEnabled(!recent_.paths.empty());
}

void ViewerCommands::FilmOpened(const QString& path, bool remember, bool opened)
{
    // So that a file that is no film can be stepped over.
    if (remember)
        folderPlace_ = QFileInfo(path).absoluteFilePath().toStdString();
    if (!opened) {
        commands_.Update();
        return;
    }
    if (remember) {
        loadedPath_ = folderPlace_;
        recent_.Add(loadedPath_);
        RebuildRecentMenu();
        if (filmLoadedAlone)
            filmLoadedAlone();
    }
    host_.titleFilm(path, !remember);
    if (const std::optional<double> at = doc_.resumedAt()) {
        const QString notice = QString::fromStdString(ResumedNotice(*at));
        window_.statusBar()->showMessage(notice, kResumedNoticeMs);
        if (window_.statusBar()->isHidden())
            view_.ShowNotice(notice);
    }
    if (std::exchange(fitFirstFilm_, false))
        FitWindowToFilm(kFirstWindowShare, false);
    else
        SizeWindowToFilm();
    commands_.Update();
}

bool ViewerCommands::OpenPath(const QString& path, bool add)
{
    if (add && doc_.CanAddFilm()) {
        const bool opened = doc_.AddFilm(path.toStdString());
        FilmOpened(path, false, opened);
        return opened;
    }
    const bool opened = doc_.LoadFilm(path.toStdString());
    FilmOpened(path, true, opened);
    return opened;
}

void ViewerCommands::OpenNeighbour(bool forward)
{
    if (stepList && stepList(forward))
        return;
    const std::string neighbour = NeighbourFilm(folderPlace_, forward);
    if (!neighbour.empty())
        OpenPath(QString::fromStdString(neighbour), false);
}

bool ViewerCommands::HandleDrop(QDropEvent* event)
{
    // The data of a drag from another program is fetched from it on every
    // ask, and at the drop it may already be gone: the path is read once,
    // when the drag enters.
    if (event->type() == QEvent::DragEnter)
        dragPath_ = DroppedFilmPath(event->mimeData());
    const QString path = dragPath_;
    // Shift adds a second film, which only a single loaded film can take.
    const bool add = event->modifiers().testFlag(Qt::ShiftModifier) && doc_.film();
    if (path.isEmpty() || (add && !doc_.CanAddFilm())) {
        event->ignore();
        return true;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (event->type() == QEvent::Drop)
        OpenPath(path, add);
    return true;
}

void ViewerCommands::SaveViewAs()
{
    const QString path = host_.chooseFile(&window_, SaveViewAsRequest());
    if (path.isEmpty())
        return;
    FrameBuffer frame;
    if (view_.ComposeShown(frame))
        SaveShownFrame(frame, path.toStdString());
    else
        LogMessage("Save error");
}

}  // namespace plexo
