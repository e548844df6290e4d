#pragma once
// The display that page flipping shows on in the viewer: an OpenGL window
// over the view only (so the menu bar, the toolbar and dialogs stay ordinary
// windows, the same for both eyes), drawn on a render thread of its own with
// its own QOpenGLContext and vsync-paced swaps. A presented surface's part
// under the view is copied out under the surface's guard and drawn at the
// next swap; on a quad-buffered (stereo) format both eyes go in one swap.

#include <QObject>
#include <QRect>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ddraw.h"

class QOpenGLContext;
class QThread;
class QWidget;
class QWindow;

namespace plexo {

class GlDisplayOutput : public QObject, public platform::DisplayOutput {
    Q_OBJECT

public:
    // Made on the user-interface thread once the view exists.
    explicit GlDisplayOutput(QWidget* view);
    ~GlDisplayOutput() override;

    // Whether Qt granted the stereo format asked for.
    bool QuadBuffered() const override { return stereo_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    uint32_t RefreshRate() const override { return refreshRate_; }
    std::string DeviceName() const override { return deviceName_; }
    bool WaitForVerticalBlank() override;
    void Present(int surface, const K3V_Pixels& pixels) override;
    void PresentStereo(int left, const K3V_Pixels& leftPixels, int right, const K3V_Pixels& rightPixels) override;
    void SetCooperativeLevel(void* window, uint32_t flags) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow();
    void Stage(const K3V_Pixels& pixels, std::vector<uint8_t>& into);
    void Render();

    QWidget* view_;
    std::unique_ptr<QWindow> window_;
    std::unique_ptr<QOpenGLContext> context_;
    QThread* thread_ = nullptr;
    bool stereo_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint32_t refreshRate_ = 60;
    std::string deviceName_;

    std::mutex mutex_;
    std::condition_variable changed_;
    // The view's place on the screen in device pixels.
    QRect region_;
    std::vector<uint8_t> left_;
    std::vector<uint8_t> right_;
    QRect staged_;
    bool fresh_ = false;
    bool pair_ = false;
    bool rendering_ = false;
    bool shown_ = false;
    bool stop_ = false;
    std::chrono::steady_clock::time_point lastSwap_;
    // When the last wait for the blank returned.
    std::chrono::steady_clock::time_point lastBlank_;
    // Swaps that came back much faster than a refresh: the driver then paces
    // itself, as on a display without vsync.
    int quickSwaps_ = 0;
    std::atomic<bool> vsync_{true};
};

}  // namespace plexo
