#pragma once
// The one view: paints the composed frame pair one buffer pixel to one device
// pixel at its top-left corner, black without a film; on request scaled and
// centred (plain and red-blue only), with the frame display over it.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

#include "app/view_scale.h"
#include "present/compositor.h"
#include "present/frame_buffer.h"

namespace plexo {

class CPlexoDoc;
class PageFlipStereo;
struct PresentationState;

class CPlexoView : public QWidget {
    Q_OBJECT

public:
    CPlexoView(CPlexoDoc& doc, const PresentationState& state, QWidget* parent = nullptr);

    // The last frame composed, for tests and the benchmark.
    const FrameBuffer& frame() const { return frame_; }
    // While it flips, frame pairs go to it and the view itself stays black.
    void SetPageFlip(PageFlipStereo* pageFlip) { pageFlip_ = pageFlip; }

    // Actual size is the default; the others apply only while the stereo
    // presentation leaves rows free to scale (see OneToOneOnly).
    void SetViewSize(ViewSize size, int zoomPercent);
    ViewSize viewSize() const { return size_; }
    int zoomPercent() const { return zoomPercent_; }
    // Interlaced and page-flipped stereo: their rows must meet screen rows.
    bool OneToOneOnly() const;
    // The frame pixel to device pixel scale it shows at now.
    double ShownScale();
    // The current picture's size in device pixels; empty without one.
    QSize PictureSize();

    void ShowFrameDisplay(bool on);
    bool frameDisplayShown() const { return frameDisplay_; }
    // A line under the frame display for two seconds.
    void ShowNotice(const QString& text);
    const QString& notice() const { return notice_; }

    // Composes what the view shows now, unscaled, into `frame`.
    bool ComposeShown(FrameBuffer& frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool Scales() const;
    // The rectangle the compositor works in: the view on the screen, or the
    // picture alone when it is scaled.
    std::optional<ViewRect> ComposeRect(qreal ratio);
    bool ComposeInto(const ViewRect& rect, FrameBuffer& frame);
    // Composes into frame_ and converts into image_; false when there is
    // nothing to show.
    bool ComposeImage(const ViewRect& rect, qreal ratio);

    CPlexoDoc& doc_;
    const PresentationState& state_;
    PageFlipStereo* pageFlip_ = nullptr;
    // Kept between paints, so steady playback allocates nothing.
    FrameBuffer frame_;
    QImage image_;
    ViewSize size_ = ViewSize::Actual;
    int zoomPercent_ = 100;
    bool frameDisplay_ = false;
    QString notice_;
    QTimer noticeTimer_;
};

}  // namespace plexo
