#include "app/window/sound_control.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "audio/pulse_sink.h"
#include "doc/document.h"
#include "platform/sound_settings.h"

namespace plexo {

namespace {

// One press of 9 or 0, as mpv's.
constexpr int kVolumeStep = 2;
// The track ids kept in command_ids.h.
constexpr int kMostTracks = 20;

}  // namespace

SoundControl::SoundControl(CPlexoDoc& doc, CommandTable& commands, QWidget* parent)
    : QObject(parent), doc_(doc), commands_(commands), player_(audio::MakePulseSink())
{
    const platform::SoundSettings settings = platform::SoundSettings::Read();
    volume_ = settings.volume;
    muted_ = settings.muted;
    player_.SetVolume(volume_, muted_);
    slider_ = new QSlider(Qt::Horizontal, parent);
    slider_->setObjectName(QStringLiteral("volume"));
    slider_->setRange(0, 100);
    slider_->setValue(volume_);
    slider_->setFixedWidth(90);
    slider_->setFocusPolicy(Qt::NoFocus);
    slider_->setToolTip(QStringLiteral("Volume"));
    connect(slider_, &QSlider::valueChanged, this, [this](int value) { SetVolume(value); });
}

SoundControl::~SoundControl()
{
    player_.Stop();
    platform::SoundSettings settings;
    settings.volume = volume_;
    settings.muted = muted_;
    settings.Write();
}

void SoundControl::AddMenu(QMenuBar& bar, QWidget& window)
{
    commands_.Define(kCmdMute, [this] { ToggleMute(); }, {}, [this] { return muted_; });
    commands_.Define(kCmdVolumeDown, [this] { SetVolume(volume_ - kVolumeStep); });
    commands_.Define(kCmdVolumeUp, [this] { SetVolume(volume_ + kVolumeStep); });
    commands_.Action(kCmdMute)->setText(QStringLiteral("&Mute\tM"));
    commands_.Action(kCmdVolumeDown)->setText(QStringLiteral("Volume &Down\t9"));
    commands_.Action(kCmdVolumeUp)->setText(QStringLiteral("Volume &Up\t0"));
    commands_.BindKey(window, QKeyCombination(Qt::Key_M), kCmdMute);
    commands_.BindKey(window, QKeyCombination(Qt::Key_9), kCmdVolumeDown);
    commands_.BindKey(window, QKeyCombination(Qt::Key_0), kCmdVolumeUp);
    QMenu* menu = bar.addMenu(QStringLiteral("&Audio"));
    menu->setObjectName(QStringLiteral("audio"));
    commands_.AddToMenu(*menu, {kCmdMute, kCmdVolumeDown, kCmdVolumeUp, 0});
    // The tracks are the film's, so they are listed as the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        FillTracks(*menu);
        commands_.Update();
    });
}

void SoundControl::FillTracks(QMenu& menu)
{
    for (QAction* item : trackItems_)
        menu.removeAction(item);
    trackItems_.clear();
    const std::vector<audio::AudioTrack>& tracks = Tracks();
    const int chosen = doc_.audioTrack() >= 0 ? doc_.audioTrack() : audio::DefaultTrack(tracks);
    for (size_t i = 0; i < tracks.size() && i < size_t(kMostTracks); ++i) {
        const int id = kCmdAudioTrackFirst + int(i);
        const int index = tracks[i].index;
        commands_.Define(id, [this, index] { ChooseTrack(index); }, {}, [chosen, index] { return chosen == index; });
        // Digits as mnemonics: none of the menu's letters.
        const QString number = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QString();
        QAction* item = commands_.Action(id);
        item->setText(number + QString::fromStdString(audio::TrackLabel(tracks[i], int(i) + 1)));
        menu.addAction(item);
        trackItems_.push_back(item);
    }
}

const std::vector<audio::AudioTrack>& SoundControl::Tracks()
{
    const std::string path = doc_.film() && doc_.ownRate() && !doc_.filmPaths().empty() ? doc_.filmPaths().front()
                                                                                         : std::string();
    if (path != tracksPath_) {
        tracksPath_ = path;
        tracks_ = path.empty() ? std::vector<audio::AudioTrack>{} : audio::AudioTracksOf(path);
    }
    return tracks_;
}

void SoundControl::SetVolume(int percent)
{
    volume_ = std::clamp(percent, 0, 100);
    if (slider_->value() != volume_)
        slider_->setValue(volume_);
    player_.SetVolume(volume_, muted_);
}

void SoundControl::ToggleMute()
{
    muted_ = !muted_;
    slider_->setToolTip(muted_ ? QStringLiteral("Volume (muted)") : QStringLiteral("Volume"));
    player_.SetVolume(volume_, muted_);
}

void SoundControl::ChooseTrack(int index)
{
    doc_.setAudioTrack(index);
    if (!player_.Playing())
        return;
    const play::Micros at = player_.Position().value_or(from_);
    player_.Stop();
    PlayFrom(at, speed_);
}

bool SoundControl::PlayFrom(play::Micros at, double speed)
{
    from_ = at;
    speed_ = speed;
    const Film* film = doc_.film();
    if (!film || !doc_.ownRate() || doc_.filmPaths().empty()) {
        player_.Stop();
        return false;
    }
    // A pair of videos plays the first one's sound, as it shows its frames
    // first; a time-shift film the current frame's, its first eye's.
    // A kept track that is no sound stream of the file plays its default.
    const int track = doc_.audioTrack() < 0 ? -1 : audio::ChosenOrDefault(Tracks(), doc_.audioTrack());
    player_.SetFilm(doc_.filmPaths().front(), track, play::Micros(std::llround(film->Duration() * 1e6)));
    return player_.Play(at, speed);
}

void SoundControl::Silence()
{
    player_.Stop();
}

}  // namespace plexo
