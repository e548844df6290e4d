// The viewer's view and Film commands: keys, Home and End, view size, sizing
// the window to the film, full screen and the frame display.

#include "app/window/viewer_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <utility>

#include "app/view/frame_display.h"
#include "app/view/plexo_view.h"
#include "app/view/presentation_state.h"
#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "doc/document.h"
#include "film/frame_place.h"
#include "present/presentation.h"

namespace plexo {

namespace {

struct ViewerText {
    int id;
    const char* menu;
};

// Menu texts of the viewer's commands and of the toolbar's commands that the
// Film menu shows too.
constexpr ViewerText kViewerTexts[] = {
    {kCmdPlay, "&Play\tK"},
    {kCmdForward, "One frame &forward\tRight"},
    {kCmdBack, "One frame &back\tLeft"},
    {kCmdFirstCadre, "F&irst frame\tHome"},
    {kCmdLastCadre, "&Last frame\tEnd"},
    {kCmdStereo, "&Stereo on/off\tS"},
    {kCmdSettings, "S&ettings..."},
    {kCmdActualSize, "&Actual Size\tCtrl+0"},
    {kCmdFitToWindow, "&Fit to Window\tCtrl+F"},
    {kCmdFitLarge, "Fit La&rge Films"},
    {kCmdZoomIn, "Zoom &In\tCtrl+="},
    {kCmdZoomOut, "Zoom &Out\tCtrl+-"},
    {kCmdSizeWindowToFilm, "Size &Window to Film"},
    {kCmdFullScreen, "F&ull Screen\tF11"},
    {kCmdFrameDisplay, "Frame &Display\tI"},
    {kCmdSaveViewAs, "Save &View As..."},
    {kCmdNextFilm, "&Next Film in Folder\tPgDown"},
    {kCmdPreviousFilm, "Pre&vious Film in Folder\tPgUp"},
};

struct ViewerKey {
    QKeyCombination key;
    int id;
};

// Keys the accelerator table of the main frame leaves free.
const ViewerKey kViewerKeys[] = {
    {QKeyCombination(Qt::Key_K), kCmdPlay},
    {QKeyCombination(Qt::Key_Right), kCmdForward},
    {QKeyCombination(Qt::Key_Left), kCmdBack},
    {QKeyCombination(Qt::Key_Home), kCmdFirstCadre},
    {QKeyCombination(Qt::Key_End), kCmdLastCadre},
    {QKeyCombination(Qt::Key_S), kCmdStereo},
    {Qt::CTRL | Qt::Key_0, kCmdActualSize},
    {Qt::CTRL | Qt::Key_F, kCmdFitToWindow},
    {Qt::CTRL | Qt::Key_Equal, kCmdZoomIn},
    {Qt::CTRL | Qt::Key_Plus, kCmdZoomIn},
    {Qt::CTRL | Qt::Key_Minus, kCmdZoomOut},
    {QKeyCombination(Qt::Key_F11), kCmdFullScreen},
    {QKeyCombination(Qt::Key_I), kCmdFrameDisplay},
    {QKeyCombination(Qt::Key_PageDown), kCmdNextFilm},
    {QKeyCombination(Qt::Key_PageUp), kCmdPreviousFilm},
};

const char* const kOneToOneTip =
    "This stereo presentation is shown one to one: its rows and columns must meet the screen's pixels.";

}  // namespace

ViewerCommands::ViewerCommands(ViewerWindow window, CPlexoDoc& doc)
    : host_(std::move(window)),
      window_(host_.window),
      doc_(doc),
      commands_(host_.commands),
      view_(host_.view),
      settings_(platform::ViewSettings::Read()),
      recent_(platform::RecentFilms::Read())
{
    view_.SetViewSize(settings_.size, settings_.zoomPercent);
    window_.statusBar()->setVisible(settings_.statusBar);
    connect(&view_, &CPlexoView::viewSizeChanged, this, [this] { commands_.Update(); });
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
    // Esc reaches the window's shortcuts first; the override query before
    // them lets full screen end while Esc still does its own work.
    qApp->installEventFilter(this);
    doc_.layoutOf = [this](const std::string& path) { return LayoutOf(path); };
}

ViewerCommands::~ViewerCommands()
{
    doc_.layoutOf = nullptr;
    qApp->removeEventFilter(this);
    const QRect geometry = window_.normalGeometry();
    if (geometry.isValid())
        settings_.geometry = platform::WindowGeometry{geometry.x(), geometry.y(), geometry.width(), geometry.height()};
    settings_.size = view_.viewSize();
    settings_.zoomPercent = view_.zoomPercent();
    settings_.presentation = PresentationOf(doc_.stereo().presentation).name;
    settings_.Write();
    recent_.Write();
}

bool ViewerCommands::PageFlipping() const
{
    return view_.Shown().flips;
}

void ViewerCommands::RestoreGeometry()
{
    // The first run's window has no size of its own yet: the first film gives it one.
    fitFirstFilm_ = !settings_.geometry;
    if (!settings_.geometry)
        return;
    const platform::WindowGeometry& g = *settings_.geometry;
    window_.setGeometry(g.x, g.y, g.width, g.height);
}

void ViewerCommands::DefineCommands()
{
    DefineLayoutCommands();
    DefineSubtitleCommands();
    DefineSphereCommands();
    CommandTable& t = commands_;
    auto film = [this] { return doc_.film() != nullptr; };
    auto scalable = [this] { return !view_.OneToOneOnly(); };
    t.Define(kCmdFirstCadre, [this] { doc_.StepToEnd(false); }, film);
    t.Define(kCmdLastCadre, [this] { doc_.StepToEnd(true); }, film);
    t.Define(kCmdActualSize, [this] { SetViewSize(ViewSize::Actual, view_.zoomPercent()); }, scalable,
             [this] { return view_.viewSize() == ViewSize::Actual; });
    t.Define(kCmdFitToWindow, [this] { SetViewSize(ViewSize::Fit, view_.zoomPercent()); }, scalable,
             [this] { return view_.viewSize() == ViewSize::Fit; });
    t.Define(kCmdFitLarge, [this] { SetViewSize(ViewSize::FitLarge, view_.zoomPercent()); }, scalable,
             [this] { return view_.viewSize() == ViewSize::FitLarge; });
    t.Define(kCmdZoomIn, [this] { Zoom(true); }, scalable);
    t.Define(kCmdZoomOut, [this] { Zoom(false); }, scalable);
    t.Define(kCmdSizeWindowToFilm, [this] {
        settings_.sizeWindowToFilm = !settings_.sizeWindowToFilm;
        SizeWindowToFilm();
    }, {}, [this] { return settings_.sizeWindowToFilm; });
    // Page flipping has a full screen of its own, which full screen must
    // not undo while it flips.
    t.Define(kCmdFullScreen, [this] { ToggleFullScreen(); }, [this] { return !PageFlipping(); },
             [this] { return fullScreen_; });
    t.Define(kCmdFrameDisplay, [this] { view_.ShowFrameDisplay(!view_.frameDisplayShown()); }, {},
             [this] { return view_.frameDisplayShown(); });
    t.Define(kCmdSaveViewAs, [this] { SaveViewAs(); }, film);
    auto inFolder = [this] { return !folderPlace_.empty() || (listActive && listActive()); };
    t.Define(kCmdNextFilm, [this] { OpenNeighbour(true); }, inFolder);
    t.Define(kCmdPreviousFilm, [this] { OpenNeighbour(false); }, inFolder);
    t.Define(kCmdViewStatusBar, [this] {
        settings_.statusBar = !settings_.statusBar;
        window_.statusBar()->setVisible(settings_.statusBar && !fullScreen_);
    }, {}, [this] { return settings_.statusBar; });

    for (const ViewerText& text : kViewerTexts)
        t.Action(text.id)->setText(QString::fromUtf8(text.menu));
    for (int id : {kCmdActualSize, kCmdFitToWindow, kCmdFitLarge, kCmdZoomIn, kCmdZoomOut})
        t.Action(id)->setToolTip(QString::fromUtf8(kOneToOneTip));
    for (const ViewerKey& key : kViewerKeys)
        commands_.BindKey(window_, key.key, key.id);
}

void ViewerCommands::Step(bool forward)
{
    Film* film = doc_.film();
    if (!film)
        return;
    const FramePlace before = PlaceOf(*film);
    forward ? doc_.StepForward() : doc_.StepBack();
    const FramePlace after = PlaceOf(*film);
    if (after.position != before.position || after.number != before.number || !view_.frameDisplayShown())
        return;
    const QString notice = RefusedStepNotice(after, film->GetRound());
    if (!notice.isEmpty())
        view_.ShowNotice(notice);
}

void ViewerCommands::SetViewSize(ViewSize size, int zoomPercent)
{
    view_.SetViewSize(size, zoomPercent);
    commands_.Update();
}

void ViewerCommands::Zoom(bool in)
{
    const double scale = view_.ShownScale();
    SetViewSize(ViewSize::Zoom, in ? ZoomStepIn(scale) : ZoomStepOut(scale));
}

void ViewerCommands::SizeWindowToFilm()
{
    if (settings_.sizeWindowToFilm)
        FitWindowToFilm(1.0, true);
}

void ViewerCommands::FitWindowToFilm(double screenShare, bool shrink)
{
    if (fullScreen_ || window_.isMaximized() || window_.isFullScreen() || PageFlipping())
        return;
    const QSize picture = view_.PictureSize();
    if (picture.isEmpty())
        return;
    const double scale = view_.viewSize() == ViewSize::Zoom ? view_.zoomPercent() / 100.0 : 1.0;
    const QSize client = (QSizeF(picture) * scale / view_.devicePixelRatioF()).toSize();
    QSize wanted = client + (window_.size() - view_.size());
    if (!shrink)
        wanted = wanted.expandedTo(window_.size());
    if (const QScreen* screen = window_.screen()) {
        const QRect available = screen->availableGeometry();
        const QSize decoration = window_.frameGeometry().size() - window_.size();
        wanted = wanted.boundedTo((QSizeF(available.size()) * screenShare).toSize() - decoration);
        window_.resize(wanted);
        QRect outer = window_.frameGeometry();
        if (!available.contains(outer)) {
            outer.moveTopLeft(QPoint(std::clamp(outer.left(), available.left(), available.right() - outer.width() + 1),
                                     std::clamp(outer.top(), available.top(), available.bottom() - outer.height() + 1)));
            window_.move(outer.topLeft());
        }
        return;
    }
    window_.resize(wanted);
}

void ViewerCommands::ToggleFullScreen()
{
    QToolBar* toolBar = host_.toolBar();
    if (!fullScreen_) {
        fullScreen_ = true;
        toolBarShown_ = !toolBar->isHidden();
        wasMaximized_ = window_.isMaximized();
        beforeFullScreen_ = window_.geometry();
        window_.menuBar()->hide();
        toolBar->hide();
        window_.statusBar()->hide();
        host_.timeline.hide();
        host_.volume.hide();
        window_.showFullScreen();
        // Without a window manager that honours the full-screen state (a bare
        // X server) the window would keep its place and size.
        if (const QScreen* screen = window_.screen())
            window_.setGeometry(screen->geometry());
        window_.raise();
    } else {
        fullScreen_ = false;
        window_.menuBar()->show();
        toolBar->setVisible(toolBarShown_);
        window_.statusBar()->setVisible(settings_.statusBar);
        host_.timeline.show();
        host_.volume.show();
        if (wasMaximized_) {
            window_.showMaximized();
        } else {
            window_.showNormal();
            window_.setGeometry(beforeFullScreen_);
        }
    }
    view_.SetFullScreen(fullScreen_);
    commands_.Update();
    emit fullScreenChanged(fullScreen_);
}

bool ViewerCommands::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (fullScreen_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == &window_)
            ToggleFullScreen();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched == &window_)
            return HandleDrop(static_cast<QDropEvent*>(event));
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace plexo
