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

    // The film plays forward from film time `at` at `speed` times its own
    // pace: its sound plays from there when the speed is 0.5x to 2x, and
    // the answer says whether it does. The player calls it at every start,
    // seek, step, loop and turn forward.
    bool PlayFrom(play::Micros at, double speed);
    // Playback stopped or goes back.
    void Silence();

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
    // Where and how fast the sound was last asked to play.
    play::Micros from_ = 0;
    double speed_ = 1;
    std::string tracksPath_;
    std::vector<audio::AudioTrack> tracks_;
    std::vector<QAction*> trackItems_;
};

}  // namespace plexo
