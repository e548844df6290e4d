#pragma once
// What every display that page flipping shows on in the viewer shares: a
// window of its own over the view only, following the view (which covers
// the screen while the eyes flip; dialogs stay ordinary windows, the same for
// both eyes), and a render thread that draws each field presented.
//
// Each flipping surface keeps a copy of its part under the view, made when
// the surface changes, while the writer still holds the surface's guard; a
// field then only draws a kept copy, so the render thread never waits for
// pixels. How a copy is kept and drawn is the subclass's: an OpenGL texture,
// or an X shared-memory image.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSurface>
#include <qwindowdefs.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ddraw.h"

class QThread;
class QWidget;
class QWindow;

namespace plexo {

class ViewOverlayOutput : public QObject, public platform::DisplayOutput {
    Q_OBJECT

public:
    ~ViewOverlayOutput() override;

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

    // Whether it can draw; Start tells why not.
    bool CanDraw() const { return thread_ != nullptr; }
    // How it draws, for the log and the benchmark.
    virtual const char* Name() const = 0;

    // Runs on the render thread after every field with its (first) surface
    // and the time its drawing and swap took; the page-flip benchmark sets
    // it before flipping starts.
    std::function<void(int surface, std::chrono::nanoseconds took)> onFieldDrawn;

protected:
    static constexpr int kSurfaces = 4;

    // One field: the surfaces it shows (right -1 unless both eyes go in one
    // swap), their copies' versions when they were presented, and the
    // view's place then.
    struct Field {
        int left = -1;
        int right = -1;
        uint64_t leftVersion = 0;
        uint64_t rightVersion = 0;
        QRect region;
    };

    // `vsync`: whether the subclass's swaps wait for the vertical blank;
    // without, the driver paces the fields by its own clock.
    ViewOverlayOutput(QWidget* view, QSurface::SurfaceType type, bool vsync);

    // Called by the subclass's constructor once it can draw: follows the
    // view and starts the render thread, after `beforeStart` (which may
    // move the subclass's objects to the thread). Until then Start fails
    // with fault_.
    void StartRendering(const std::function<void(QThread*)>& beforeStart);
    // Called first by the subclass's destructor: the render thread calls
    // the subclass. Returns once it never will again.
    void StopRendering();

    // Brings the surface's copy up to date, with the copy's lock held: the
    // changed part, or all of `area` (screen pixels) where the copy holds
    // another part of the screen. False when nothing was kept.
    virtual bool Keep(int surface, const K3V_Pixels& pixels, const QRect& area, bool whole,
                      const QRect& changed) = 0;
    // On the render thread: readies drawing once; false while it cannot.
    virtual bool BeginDrawing() = 0;
    // Draws the field's copies, each holding `area`, with their locks held,
    // and returns once they may change. False when nothing was drawn.
    virtual bool DrawField(const Field& field, const QRect& area) = 0;
    // Shows what was drawn.
    virtual void Swap() = 0;
    virtual void EndDrawing() = 0;

    QWindow& window() { return *window_; }

    // Called from any thread when a copy cannot be kept or a field cannot be
    // drawn, so that the black screen the user sees has its reason in the
    // log; once a start of page flipping.
    void Refuse(const std::string& why);

    // Why nothing can be drawn; the render thread is then never started.
    std::string fault_;

private:
    void Follow();
    void Load(int surface, const K3V_Pixels& pixels, const QRect& changed);
    // Loads the surface's copy whole unless it holds the view's part.
    void LoadIfStale(int surface, const K3V_Pixels& pixels);
    void Show(int left, int right);
    // False when there is nothing to swap.
    bool Draw(const Field& field);
    void Render();
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The output may outlive the view it follows.
    QPointer<QWidget> view_;
    std::unique_ptr<QWindow> window_;
    // The native window of the main window when this one was last shown.
    WId ownerId_ = 0;
    QThread* thread_ = nullptr;
    const bool vsyncByDesign_;
    // The screen's, read afresh at every start of page flipping.
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::atomic<uint32_t> refreshRate_{60};
    std::string deviceName_;

    // A lock a copy, held while it is kept, and while it is drawn until the
    // drawing is done.
    std::array<std::mutex, kSurfaces> copyLocks_;

    std::mutex mutex_;
    std::condition_variable changed_;
    // The view's place on the screen in device pixels.
    QRect region_;
    // The part of the screen each copy holds (empty: none yet).
    std::array<QRect, kSurfaces> loaded_;
    // Counts each copy's loads.
    std::array<uint64_t, kSurfaces> versions_{};
    // The next field to draw.
    Field next_;
    bool fresh_ = false;
    bool rendering_ = false;
    bool shown_ = false;
    bool stop_ = false;
    // The render thread has made its last call into the subclass.
    bool ended_ = false;
    std::chrono::steady_clock::time_point lastSwap_;
    // When the last wait for the blank returned.
    std::chrono::steady_clock::time_point lastBlank_;
    // Swaps that came back much faster than a refresh: the driver then paces
    // itself, as on a display without vsync.
    int quickSwaps_ = 0;
    std::atomic<bool> vsync_{true};
    // Whether this start's refusal was logged.
    std::atomic<bool> refused_{false};
};

}  // namespace plexo
