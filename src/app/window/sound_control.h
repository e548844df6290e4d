#pragma once
// The film's sound in the window: the Audio menu (Mute M, Volume Down 9,
// Volume Up 0 and the film's tracks) and the volume slider beside the
// timeline, over the player's sound output. Volume and mute are kept in the
// settings file, the track chosen in the film's record (through the
// document, which decides what plays).

#include <QObject>

#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QSlider;
class QWidget;

namespace plexo {

class CPlexoDoc;
class CommandTable;
namespace play {
class Player;
}

class SoundControl : public QObject {
    Q_OBJECT

public:
    // Reads the volume and mute and sets them on the player's sound output;
    // the slider is a child of `parent`.
    SoundControl(CPlexoDoc& doc, play::Player& player, CommandTable& commands, QWidget* parent);
    // Writes them; the player may be gone by then.
    ~SoundControl() override;

    QSlider* VolumeSlider() const { return slider_; }
    // The Audio menu, next on the bar; its keys are bound in
    // `window`.
    void AddMenu(QMenuBar& bar, QWidget& window);

private:
    void SetVolume(int percent);
    void ToggleMute();
    // The sound heard plays on from where it is heard in the track chosen.
    void ChooseTrack(int index);
    void FillTracks(QMenu& menu);
    void ApplyVolume();

    CPlexoDoc& doc_;
    play::Player& player_;
    CommandTable& commands_;
    QSlider* slider_ = nullptr;
    int volume_ = 100;
    bool muted_ = false;
    std::vector<QAction*> trackItems_;
};

}  // namespace plexo
