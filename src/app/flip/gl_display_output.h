#pragma once
// The display that page flipping shows on in the viewer: an OpenGL window
// over the view only (so the menu bar, the toolbar and dialogs stay ordinary
// windows, the same for both eyes), drawn on a render thread of its own with
// its own QOpenGLContext and vsync-paced swaps.
//
// Each flipping surface keeps a texture of its part under the view. A
// surface's change is loaded into its texture at once, on a loading thread
// with a context that shares the textures, while the writer still holds the
// surface's guard; a field then only draws a kept texture and swaps, so the
// render thread never waits for pixels. On a quad-buffered (stereo) format
// both eyes go in one swap.

#include <QObject>
#include <QPointer>
#include <QRect>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "app/flip/gl_eye_texture.h"
#include "platform/ddraw.h"

class QOffscreenSurface;
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
    bool Start(std::string& why) override;
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    uint32_t RefreshRate() const override { return refreshRate_; }
    std::string DeviceName() const override { return deviceName_; }
    bool WaitForVerticalBlank(std::chrono::steady_clock::time_point deadline) override;
    void SurfaceChanged(int surface, const K3V_Pixels& pixels, const K3V_Rect& area) override;
    void Present(int surface, const K3V_Pixels& pixels) override;
    void PresentStereo(int left, const K3V_Pixels& leftPixels, int right, const K3V_Pixels& rightPixels) override;
    void SetCooperativeLevel(void* window, uint32_t flags) override;
    void ChainCreated(const std::vector<platform::Surface*>& chain) override;

    // Runs on the render thread after every field with its (first) surface
    // and the time its drawing and swap took; the page-flip benchmark sets
    // it before flipping starts.
    std::function<void(int surface, std::chrono::nanoseconds took)> onFieldDrawn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kSurfaces = 4;

    void Follow();
    // Brings the surface's texture up to date on the loading thread: the
    // changed part, or all of it where the texture holds another part of
    // the screen. Returns once it is loaded.
    void Load(int surface, const K3V_Pixels& pixels, const QRect& changed);
    // Loads the surface's texture whole unless it holds the view's part.
    void LoadIfStale(int surface, const K3V_Pixels& pixels);
    void Show(int left, int right);
    // One field: the surfaces it shows (right -1 unless both eyes go in one
    // swap), their textures' loads when they were presented, and the view's
    // place then.
    struct Field {
        int left = -1;
        int right = -1;
        uint64_t leftVersion = 0;
        uint64_t rightVersion = 0;
        QRect region;
    };
    // Draws the field's textures; false when there is nothing to swap.
    bool Draw(QOpenGLFunctions_1_1& gl, QOpenGLExtraFunctions& extra, GLuint framebuffer, const Field& field);
    void Render();

    // The output may outlive the view it follows.
    QPointer<QWidget> view_;
    std::unique_ptr<QWindow> window_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOffscreenSurface> loadSurface_;
    std::unique_ptr<QOpenGLContext> loadContext_;
    QThread* thread_ = nullptr;
    QThread* loadThread_ = nullptr;
    QObject* loader_ = nullptr;
    // Why nothing can be drawn; the threads are then never started.
    std::string fault_ = "the display offers no OpenGL";
    bool stereo_ = false;
    // The screen's, read afresh at every start of page flipping.
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::atomic<uint32_t> refreshRate_{60};
    std::string deviceName_;

    // A texture a surface; its lock is held while it is loaded, and while it
    // is drawn until the drawing is done.
    std::array<EyeTexture, kSurfaces> textures_;
    std::array<std::mutex, kSurfaces> textureLocks_;

    std::mutex mutex_;
    std::condition_variable changed_;
    // The view's place on the screen in device pixels.
    QRect region_;
    // The part of the screen each texture holds (empty: none yet).
    std::array<QRect, kSurfaces> loaded_;
    // Counts each texture's loads.
    std::array<uint64_t, kSurfaces> versions_{};
    // The next field to draw.
    Field next_;
    bool fresh_ = false;
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
