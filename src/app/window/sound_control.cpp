#include "app/window/sound_control.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>

#include <algorithm>
#include <optional>

#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "doc/document.h"
#include "play/player.h"
#include "platform/sound_settings.h"

namespace plexo {

namespace {

// One press of 9 or 0, as mpv's.
constexpr int kVolumeStep = 2;
// The track ids kept in command_ids.h.
constexpr int kMostTracks = 20;

}  // namespace

SoundControl::SoundControl(CPlexoDoc& doc, play::Player& player, CommandTable& commands, QWidget* parent)
    : QObject(parent), doc_(doc), player_(player), commands_(commands)
{
    const platform::SoundSettings settings = platform::SoundSettings::Read();
    volume_ = settings.volume;
    muted_ = settings.muted;
    ApplyVolume();
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
    const std::vector<audio::AudioTrack>& tracks = doc_.audioTracks();
    const int chosen = doc_.shownAudioTrack();
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

void SoundControl::SetVolume(int percent)
{
    volume_ = std::clamp(percent, 0, 100);
    if (slider_->value() != volume_)
        slider_->setValue(volume_);
    ApplyVolume();
}

void SoundControl::ToggleMute()
{
    muted_ = !muted_;
    slider_->setToolTip(muted_ ? QStringLiteral("Volume (muted)") : QStringLiteral("Volume"));
    ApplyVolume();
}

void SoundControl::ChooseTrack(int index)
{
    doc_.setAudioTrack(index);
    play::SoundOutput* sound = player_.Sound();
    const std::optional<play::Micros> at = sound ? sound->Position() : std::nullopt;
    if (!at)
        return;
    sound->Stop();
    sound->Start(*at, player_.Clock().Speed());
}

void SoundControl::ApplyVolume()
{
    if (play::SoundOutput* sound = player_.Sound())
        sound->SetVolume(volume_, muted_);
}

}  // namespace plexo
