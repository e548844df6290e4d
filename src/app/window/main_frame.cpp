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
#include "app/window/playlist_commands.h"
#include "app/window/shown_pipeline.h"
#include "app/window/sound_control.h"
#include "app/window/status_fields.h"
#include "app/window/timeline.h"
#include "app/window/video_scan_watch.h"
#include "app/window/viewer_commands.h"
#include "audio/film_sound.h"
#include "audio/pulse_sink.h"
#include "doc/command_line_options.h"
#include "doc/document.h"
#include "doc/play_period.h"
#include "film/frame_place.h"
#include "film/two_films.h"
#include "platform/display.h"
#include "platform/frame_settings.h"
#include "platform/message_sink.h"
#include "present/compositor.h"
#include "present/frame_packing.h"

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
    view_ = new CPlexoView(doc_, state, player_, central);
    timeline_ = new Timeline(doc_, central);
    // A video's sound follows its forward legs, and the clock follows the
    // sound while it is heard; the document says what plays.
    player_.SetSound(
        std::make_unique<audio::FilmSound>(audio::MakePulseSink(), [this] { return doc_.soundSource(); }));
    sound_ = new SoundControl(doc_, player_, commands_, central);
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
                     [this] { return toolBar_; }, *timeline_, *sound_->VolumeSlider()},
        doc_);
    doc_.ChoosePresentation(StartupPresentation(redBlue_, viewer_->storedPresentation()));
    playlist_ = std::make_unique<PlaylistCommands>(PlaylistWindow{
        *this, commands_, doc_, *viewer_, state,
        [this](QWidget* parent, const FileRequest& request) { return chooseFile(parent, request); },
        [this](const QString& path) { return options_.done ? viewer_->OpenPath(path, false) : OpenDocumentFile(path); },
        [this](const QString& title) { SetDocumentTitle(title); }});
    // Frame packing shows full screen only.
    connect(viewer_.get(), &ViewerCommands::fullScreenChanged, this, [this](bool on) {
        if (!on && state.stereo && PresentationOf(doc_.stereo().presentation).packing) {
            packedFullScreen_ = false;
            OnLeaveStereo();
        }
    });

    player_.AddOutput(*view_);
    pipeline_ = std::make_unique<ShownPipeline>(doc_, player_, *view_);
    connect(view_, &CPlexoView::resized, this, [this] { pipeline_->Sync(); });
    // Queued: the view tells it while the player shows it a pair.
    connect(view_, &CPlexoView::scaleMayChange, this, [this] { pipeline_->Sync(); }, Qt::QueuedConnection);
    playTimer_.setTimerType(Qt::PreciseTimer);
    connect(&playTimer_, &QTimer::timeout, this, [this] { PlayTick(); });
    // A decoder or the stage worker says a pair is ready: one pass is posted
    // however many say so before it runs, and it runs only while the player
    // looks for a frame.
    player_.SetWake([this] {
        if (!wakePosted_.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    wakePosted_ = false;
                    if (player_.Waiting() || (player_.Playing() && !player_.PeriodMs()))
                        PlayTick();
                },
                Qt::QueuedConnection);
    });

    DefineCommands();
    viewer_->DefineCommands();
    playlist_->DefineCommands();
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
        this, view_, [this] { StopPlaying(); }, [this](bool attached) { SetScreenCommandAttached(attached); },
        [this] { return settingsDialog_; }, &startupModes_});
    view_->SetPageFlip(pageFlip_.get());
    modeGuard_ = MakeModeGuard();
    if (modeGuard_)
        startupModes_.onKept = [this](const platform::OutputMode& kept) { modeGuard_->Tell(kept); };
}

CMainFrame::~CMainFrame()
{
    player_.SetWake({});
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
    RefreshPlayer();
    viewer_->FilmOpened(file.absoluteFilePath(), true, opened);
    if (opened && commandLine && !options_.secondFilm.empty())
        TitleFilm(QString::fromStdString(options_.secondFilm), true);
    return opened;
}

void CMainFrame::OpenStartupList(Playlist list, const QString& name)
{
    // A list file that was refused has said so; the names skipped are in the log.
    playlist_->OpenList(std::move(list), name, false);
}

void CMainFrame::PostStartupCommands(bool play, bool stereo)
{
    if (play)
        QTimer::singleShot(0, this, [this] { commands_.RunPosted(kCmdPlay); });
    if (stereo)
        QTimer::singleShot(0, this, [this] { commands_.RunPosted(kCmdStereo); });
}

void CMainFrame::SyncPlayer()
{
    player_.SetFilm(doc_.film(), doc_.filmSerial());
    player_.SetChoice(doc_.stereo());
    player_.SetSettings({doc_.step(), doc_.direction == 0, doc_.keepsShownPictures()});
    player_.SetSoundDelay(int64_t(doc_.audioDelayMs()) * 1000);
}

void CMainFrame::RefreshPlayer()
{
    SyncPlayer();
    pipeline_->Sync();
    player_.Refresh();
}

void CMainFrame::KeepDirection(std::optional<bool> forward)
{
    if (forward)
        doc_.direction = *forward ? 0 : 1;
}

void CMainFrame::FilmChanged()
{
    RefreshPlayer();
    if (player_.Waiting() && !playTimer_.isActive()) {
        playTimer_.setSingleShot(true);
        playTimer_.start(1);
    }
    SyncControls();
}

void CMainFrame::PlayTick()
{
    SyncPlayer();
    const play::Player::Pass pass = player_.Tick();
    KeepDirection(pass.ended);
    // A video that reached its end without a loop stopped there.
    if (state.playing && !player_.Playing()) {
        StopPlaying();
        commands_.Update();
        playlist_->FilmEnded();
        return;
    }
    if (pass.shown)
        SyncControls();
    // A film of frames keeps its period on a repeating timer; a film with
    // times, or a step waiting for its frame, is looked at again when due.
    if (player_.Playing() ? !player_.PeriodMs() : player_.Waiting())
        playTimer_.start(int(std::max<int64_t>((pass.wait + 999) / 1000, 1)));
}

void CMainFrame::SyncControls()
{
    timeline_->Sync();
    if (statusBar()->isHidden())
        return;
    StatusFacts facts;
    if (Film* film = doc_.film()) {
        facts.place = PlaceOf(*film);
        facts.place.lateFrames = player_.LateFrames();
        facts.eyes = film->Eyes();
        facts.frameRate = film->FrameRate();
        facts.duration = film->Duration();
        if (const int64_t at = film->Timing().TimeAt(film->Position()); at >= 0)
            facts.time = double(at) / 1e6;
        facts.audioDelayMs = doc_.audioDelayMs();
        facts.subtitleDelayMs = doc_.subtitleDelayMs();
    }
    facts.zoomPercent = int(std::lround(view_->ShownScale() * 100));
    facts.shown = &player_.Shown();
    statusFields_->Show(StatusTexts(facts));
}

bool CMainFrame::FilmLoaded() const
{
    return doc_.film() != nullptr;
}

void CMainFrame::StopPlaying()
{
    KeepDirection(player_.Stop());
    state.playing = false;
    playTimer_.stop();
    // Stopped before its first frame came, the film still shows it once ready.
    if (player_.Waiting()) {
        playTimer_.setSingleShot(true);
        playTimer_.start(1);
    }
    SyncControls();
}

void CMainFrame::OnPlay()
{
    if (state.playing) {
        StopPlaying();
        return;
    }
    state.playing = true;
    // The rate is fixed now; a later change waits for the next Play.
    SyncPlayer();
    player_.Play(doc_.playRate(state.framesPerSecond));
    playTimer_.setSingleShot(player_.PeriodMs() == 0);
    playTimer_.start(player_.PeriodMs() ? player_.PeriodMs() : 1);
}

void CMainFrame::OnStereo()
{
    state.stereo = !state.stereo;
    const Presentation& chosen = PresentationOf(doc_.stereo().presentation);
    if (chosen.packing && state.stereo) {
        // Full screen only, on an output whose mode is the packed frame's.
        const std::optional<platform::OutputMode> output = platform::ReadOutputMode();
        const PackingCheck check = CheckPackedMode(*chosen.packing, platform::ReadDisplayModes(),
                                                   platform::ReadCurrentMode(), output ? output->output : "");
        if (!check.ready) {
            state.stereo = false;
            platform::ShowMessage(check.advice);
            return;
        }
        packedFullScreen_ = !viewer_->fullScreen();
        viewer_->SetFullScreen(true);
    } else if (packedFullScreen_ && !state.stereo) {
        packedFullScreen_ = false;
        viewer_->SetFullScreen(false);
    }
    if (chosen.flips) {
        // Without a flipper driver stereo stays off and the window as it was.
        if (state.stereo) {
            state.stereo = pageFlip_->On();
            ShowAroundView(!state.stereo);
        } else {
            player_.RemoveOutput(*pageFlip_);
            pageFlip_->Off();
            ShowAroundView(true);
        }
    }
    player_.SetStereo(state.stereo);
    // The pair again, in the tone the presentation now shown takes.
    RefreshPlayer();
    if (state.stereo && player_.Shown().flips)
        player_.AddOutput(*pageFlip_);
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
    player_.Settle();
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
    StopPlaying();
    if (player_.Shown().flips)
        OnStereo();
    QMainWindow::closeEvent(event);
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Which eye takes the even rows depends on the view's row on the screen.
    if (player_.Shown().followsPlace)
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
