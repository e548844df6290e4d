#include "app/window/main_frame.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMoveEvent>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

#include "app/dialogs/about_dlg.h"
#include "app/dialogs/export_pnl.h"
#include "app/dialogs/set_pnl_command.h"
#include "app/dialogs/trans_pnl.h"
#include "app/flip/page_flip_stereo.h"
#include "app/view/plexo_view.h"
#include "app/window/app_icon.h"
#include "app/window/command_ids.h"
#include "app/window/display_devices.h"
#include "app/window/sound_control.h"
#include "app/window/status_fields.h"
#include "app/window/timeline.h"
#include "app/window/video_scan_watch.h"
#include "app/window/viewer_commands.h"
#include "doc/command_line_options.h"
#include "doc/document.h"
#include "doc/play_period.h"
#include "film/frame_place.h"
#include "film/two_films.h"
#include "platform/frame_settings.h"
#include "present/compositor.h"

namespace plexo {

CMainFrame::CMainFrame(CPlexoDoc& doc, CommandLineOptions& options) : doc_(doc), options_(options)
{
    const platform::FrameSettings settings = platform::FrameSettings::Read();
    // A directory that no longer exists leaves the current one as it was.
    if (!settings.currentDirectory.empty())
        QDir::setCurrent(QString::fromStdString(settings.currentDirectory));
    state.framesPerSecond = settings.framesPerSecond;
    redBlue_ = settings.presentation;

    setWindowIcon(ApplicationIcon());
    resize(524, 584);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    view_ = new CPlexoView(doc_, state, central);
    timeline_ = new Timeline(doc_, central);
    sound_ = new SoundControl(doc_, commands_, central);
    column->addWidget(view_, 1);
    auto* controls = new QHBoxLayout;
    controls->addWidget(timeline_, 1);
    controls->addWidget(sound_->VolumeSlider());
    column->addLayout(controls);
    setCentralWidget(central);
    statusFields_ = std::make_unique<StatusFields>(*statusBar());
    scanWatch_ = new VideoScanWatch(this);
    ShowScansIn(*scanWatch_, *statusBar());
    viewer_ = std::make_unique<ViewerCommands>(
        ViewerWindow{*this, commands_, *view_, state, [this](const QString& path, bool second) { TitleFilm(path, second); },
                     [this](QWidget* parent, const FileRequest& request) { return chooseFile(parent, request); },
                     [this] { return toolBar_; }, *timeline_},
        doc_);
    doc_.ChoosePresentation(StartupPresentation(redBlue_, viewer_->storedPresentation()));

    playTimer_.setTimerType(Qt::PreciseTimer);
    connect(&playTimer_, &QTimer::timeout, this, [this] {
        doc_.PlayStep();
        sound_->Ticked();
    });

    DefineCommands();
    viewer_->DefineCommands();
    BuildMenus();
    BuildToolBar();
    BuildAccelerators();
    connect(&commands_, &CommandTable::commandRan, this, [this] {
        commands_.Update();
        SyncControls();
    });
    connect(view_, &CPlexoView::viewSizeChanged, this, [this] { SyncControls(); });
    SetDocumentTitle(QStringLiteral("Untitled"));
    viewer_->RestoreGeometry();
    commands_.Update();
    SyncControls();
    pageFlip_ = std::make_unique<PageFlipStereo>(PageFlipStereo::Frame{
        this, view_, &doc_, [this] { StopPlaying(); }, [this](bool attached) { SetScreenCommandAttached(attached); },
        [this] { return settingsDialog_; }, &startupModes_});
    view_->SetPageFlip(pageFlip_.get());
    modeGuard_ = MakeModeGuard();
    if (modeGuard_)
        startupModes_.onKept = [this](const platform::OutputMode& kept) { modeGuard_->Tell(kept); };
}

CMainFrame::~CMainFrame()
{
    startupModes_.RestoreAll();
    if (modeGuard_)
        modeGuard_->NormalExit();
    platform::FrameSettings settings;
    settings.currentDirectory = QDir::currentPath().toStdString();
    settings.framesPerSecond = state.framesPerSecond;
    // A presentation that "Red-Blue" cannot keep leaves it as it was.
    const int32_t kept = PresentationOf(doc_.stereo().presentation).stored;
    settings.presentation = kept >= 0 ? kept : redBlue_;
    settings.Write();
    view_->SetPageFlip(nullptr);
    pageFlip_.reset();
}

void CMainFrame::SetDocumentTitle(const QString& title)
{
    setWindowTitle(title + QStringLiteral(" - Plexo"));
}

void CMainFrame::TitleFilm(const QString& path, bool second)
{
    const QString name = QFileInfo(path).fileName();
    if (!doc_.film())
        filmTitle_ = QStringLiteral("Untitled");
    else if (!second)
        filmTitle_ = name;
    else if (dynamic_cast<const TwoFilms*>(doc_.film()))
        filmTitle_ += QStringLiteral(" + ") + name;
    SetDocumentTitle(filmTitle_);
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
    const QFileInfo file(path);
    const bool commandLine = !options_.done;
    const bool opened = doc_.Serialize(file.absoluteFilePath().toStdString());
    view_->update();
    viewer_->FilmOpened(file.absoluteFilePath(), true, opened);
    if (opened && commandLine && !options_.secondFilm.empty())
        TitleFilm(QString::fromStdString(options_.secondFilm), true);
    return opened;
}

void CMainFrame::PostStartupCommands(bool play, bool stereo)
{
    if (play)
        QTimer::singleShot(0, this, [this] { commands_.RunPosted(kCmdPlay); });
    if (stereo)
        QTimer::singleShot(0, this, [this] { commands_.RunPosted(kCmdStereo); });
}

void CMainFrame::FilmChanged()
{
    view_->update();
    SyncControls();
}

void CMainFrame::SyncControls()
{
    timeline_->Sync();
    if (statusBar()->isHidden())
        return;
    StatusFacts facts;
    if (const Film* film = doc_.film()) {
        facts.place = PlaceOf(*film);
        facts.eyes = film->Eyes();
        facts.frameRate = film->FrameRate();
        facts.duration = film->Duration();
    }
    facts.zoomPercent = int(std::lround(view_->ShownScale() * 100));
    facts.shown = &ShownPresentation(state.stereo, doc_.stereo().presentation);
    statusFields_->Show(StatusTexts(facts));
}

bool CMainFrame::FilmLoaded() const
{
    return doc_.film() != nullptr;
}

void CMainFrame::StopPlaying()
{
    if (state.playing)
        doc_.PlayStopped();
    state.playing = false;
    playTimer_.stop();
    sound_->PlayStopped();
}

void CMainFrame::OnPlay()
{
    if (state.playing) {
        StopPlaying();
        return;
    }
    state.playing = true;
    // The period is fixed now; a later change of the rate waits for the next
    // Play.
    playTimer_.start(PlayPeriodMs(doc_.playRate(state.framesPerSecond)));
    sound_->PlayStarted(doc_.playRate(state.framesPerSecond));
}

void CMainFrame::OnStereo()
{
    state.stereo = !state.stereo;
    if (!PresentationOf(doc_.stereo().presentation).flips) {
        view_->update();
        return;
    }
    // Without a flipper driver stereo stays off and the window as it was.
    if (state.stereo) {
        state.stereo = pageFlip_->On();
        ShowAroundView(!state.stereo);
        return;
    }
    pageFlip_->Off();
    ShowAroundView(true);
    view_->update();
}

void CMainFrame::ShowAroundView(bool shown)
{
    // Only what this hid is shown again; full screen has hidden it all
    // already and brings it back itself.
    if (shown != hiddenAround_ || (!shown && viewer_->fullScreen()))
        return;
    if (!shown)
        toolBarShown_ = !toolBar_->isHidden();
    hiddenAround_ = !shown;
    menuBar()->setVisible(shown);
    toolBar_->setVisible(shown && toolBarShown_);
    timeline_->setVisible(shown);
    sound_->VolumeSlider()->setVisible(shown);
    statusBar()->setVisible(shown && commands_.IsChecked(kCmdViewStatusBar));
}

void CMainFrame::OnLeaveStereo()
{
    if (state.stereo)
        OnStereo();
}

void CMainFrame::OnChoosePresentation(PresentationId presentation)
{
    if (state.stereo && doc_.stereo().presentation == presentation)
        return;
    // Page flipping gives the window back before another presentation
    // takes it, and starts only once it is the choice.
    OnLeaveStereo();
    doc_.ChoosePresentation(presentation);
    OnStereo();
}

void CMainFrame::OnSettings()
{
    SettingsCommandHooks hooks;
    hooks.opened = [this](SetPnl& dialog) {
        settingsDialog_ = &dialog;
        pageFlip_->SettingsOpened();
    };
    hooks.closed = [this] {
        pageFlip_->SettingsClosed();
        settingsDialog_ = nullptr;
        view_->update();
    };
    RunSettingsCommand(doc_, state, hooks, this);
}

void CMainFrame::OnTranslate()
{
    // A conversion opens its own source; the viewer's film is let go first.
    doc_.ReleaseFilm();
    TitleFilm({}, false);
    // Window-modal: the log panel, where the conversions report, stays usable.
    TransPnl dialog(this, chooseFile);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}

void CMainFrame::OnExportStereo()
{
    // "Current frame" is the one on the screen as the dialog opens.
    StopPlaying();
    ExportPnl dialog(this, doc_, state.framesPerSecond, chooseFile);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}

void CMainFrame::OnCopy()
{
    const QImage shown = view_->ShownImage();
    if (shown.isNull())
        return;
    QGuiApplication::clipboard()->setImage(shown);
}

void CMainFrame::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Without the late-tick note: nobody is left to read it.
    state.playing = false;
    playTimer_.stop();
    sound_->PlayStopped();
    if (ShownPresentation(state.stereo, doc_.stereo().presentation).flips)
        OnStereo();
    QMainWindow::closeEvent(event);
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Which eye takes the even rows depends on the view's row on the screen.
    if (ShownPresentation(state.stereo, doc_.stereo().presentation).followsPlace)
        view_->update();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A fitted picture's zoom follows the window.
    SyncControls();
}

void CMainFrame::wheelEvent(QWheelEvent* event)
{
    // Only a vertical turn steps: a sideways scroll or tilt, and a
    // touchpad's start and end of a scroll, carry no vertical part.
    const int turn = event->angleDelta().y();
    if (turn != 0)
        viewer_->Step(turn > 0);
    event->accept();
}

}  // namespace plexo
