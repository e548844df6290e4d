#pragma once
// The film's sound in the window: the player the playback starts and stops,
// the Audio menu (Mute M, Volume Down 9, Volume Up 0 and the film's tracks)
// and the volume slider beside the timeline. Volume and mute are kept in the
// settings file, the track chosen in the film's record.

#include <QObject>

#include <string>
#include <vector>

#include "audio/audio_tracks.h"
#include "audio/sound_player.h"

class QAction;
class QMenu;
class QMenuBar;
class QSlider;
class QWidget;

namespace plexo {

class CPlexoDoc;
class CommandTable;

class SoundControl : public QObject {
    Q_OBJECT

public:
    // Reads the volume and mute; the slider is a child of `parent`.
    SoundControl(CPlexoDoc& doc, CommandTable& commands, QWidget* parent);
    // Writes them.
    ~SoundControl() override;

    QSlider* VolumeSlider() const { return slider_; }
    // The Audio menu, next on the bar; its keys are bound in
    // `window`.
    void AddMenu(QMenuBar& bar, QWidget& window);

    // Playback started at `playRate` frames a second: the sound plays from
    // the frame shown when the film goes forward at 0.5x to 2x its own rate.
    void PlayStarted(double playRate);
    void PlayStopped();
    // After each playback tick: silent on bounce's return leg, and again
    // from the frame shown after any other frame than the next one (a
    // step, a seek, a loop) or a turn forward.
    void Ticked();

    audio::SoundPlayer& player() { return player_; }

private:
    void SetVolume(int percent);
    void ToggleMute();
    void ChooseTrack(int index);
    // The tracks of the film's file, read once a film.
    const std::vector<audio::AudioTrack>& Tracks();
    void FillTracks(QMenu& menu);

    CPlexoDoc& doc_;
    CommandTable& commands_;
    QSlider* slider_ = nullptr;
    audio::SoundPlayer player_;
    int volume_ = 100;
    bool muted_ = false;
    double playRate_ = 0;
    int32_t lastFrame_ = -1;
    bool wasForward_ = true;
    std::string tracksPath_;
    std::vector<audio::AudioTrack> tracks_;
    std::vector<QAction*> trackItems_;
};

}  // namespace plexo
