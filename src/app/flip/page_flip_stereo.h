#pragma once
// Page-flipped stereo for the main frame: switching it on (full screen,
// frameless, on top, the flipper open and flipping, timer 3 copying the
// frame areas) and off (playback stopped, the flipper closed, the window's
// rectangle and style back), the frame pairs handed to the flipper, and
// timer 2 repainting an open Settings dialog meanwhile.

#include <QObject>
#include <QRect>
#include <QTimer>

#include <functional>

#include "app/view/subtitle_show.h"
#include "present/dd_flipper.h"
#include "present/flip_pair.h"
#include "present/startup_modes.h"

class QMainWindow;
class QWidget;

namespace plexo {

class CPlexoDoc;

// Timer 3's period: the frame areas copied onto the second surface.
inline constexpr int kFrameCopyMs = 100;

class PageFlipStereo : public QObject {
    Q_OBJECT

public:
    // What switching touches of the main frame.
    struct Frame {
        QMainWindow* window = nullptr;
        // The view: the part of the window that shows the film. It asks the
        // flipper to show each frame, never the other way round.
        QWidget* view = nullptr;
        CPlexoDoc* doc = nullptr;
        // Stops playback (clears playing, kills timer 1).
        std::function<void()> stopPlaying;
        // Takes the "&Screen" item's command away (false) or gives it back.
        std::function<void(bool)> attachScreenCommand;
        // The open Settings dialog, or null.
        std::function<QWidget*()> settingsDialog;
        // Where the output that stereo shows on keeps its start-up mode.
        StartupModes* startupModes = nullptr;
    };

    explicit PageFlipStereo(Frame shell);
    ~PageFlipStereo() override;

    DDFlipper& flipper() { return flipper_; }
    bool flipping() const { return flipper_.driver() != nullptr; }
    const QTimer& copyTimer() const { return copyTimer_; }
    const QTimer& settingsTimer() const { return settingsTimer_; }

    // Switches page flipping on; false, with nothing changed, when no
    // flipper driver can be had or the display cannot draw (one log line
    // says why).
    bool On();
    void Off();

    // The view's paint while flipping: the frame pair goes to the flipper.
    // False when not flipping.
    bool ShowFrame();

    // Timer 2 runs while a Settings dialog is open.
    void SettingsOpened();
    void SettingsClosed();

private:
    // A rectangle of the screen in the flipping surfaces' coordinates.
    ViewRect OnScreen(const QRect& rect) const;
    void CopyFrameAreas();

    Frame shell_;
    DDFlipper flipper_;
    FlipSections sections_;
    // The film as flipped, with its subtitles.
    SubtitleShow subtitles_;
    QTimer copyTimer_;
    QTimer settingsTimer_;
    QRect savedGeometry_;
    Qt::WindowFlags savedFlags_;
};

}  // namespace plexo
