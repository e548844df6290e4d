#pragma once
// The one view: paints the composed frame pair one buffer pixel to one device
// pixel at its top-left corner, black without a film; on request scaled and
// centred (every presentation whose rows need not meet the screen's), with
// the frame display over it. Such a picture larger than the view pans: scroll
// bars, a drag with the left button, and Ctrl+wheel zooms about the pointer.
// A spherical film's view is a camera instead: the drag turns it and
// Ctrl+wheel widens or narrows its field of view, which the window applies.
// It is the player's first output: it composes the pair the player shows it,
// in the presentation the player decided.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

#include "app/view/view_scale.h"
#include "film/picture_scale.h"
#include "play/delay_meter.h"
#include "play/output.h"
#include "present/compositor.h"
#include "present/frame_buffer.h"

class QScrollBar;

namespace plexo {

class CPlexoDoc;
class PageFlipStereo;
struct PresentationState;
namespace play {
class Player;
}
namespace pipeline {
class PairPipeline;
}

class CPlexoView : public QWidget, public play::Output {
    Q_OBJECT

public:
    CPlexoView(CPlexoDoc& doc, const PresentationState& state, const play::Player& player,
               QWidget* parent = nullptr);

    // Keeps the pair and paints it.
    void Show(const EyePairPtr& pair, const play::Showing& showing) override;
    // From Show to the end of the paint that draws the pair.
    play::Micros Delay() const override { return meter_.Delay(); }

    // The last frame composed, for the benchmark; a picture shown as it is
    // is not composed.
    const FrameBuffer& frame() const { return composed_; }
    // The disparity of the subtitle last drawn.
    int subtitleDisparity() const;
    // While it flips, frame pairs go to it and the view itself stays black.
    void SetPageFlip(PageFlipStereo* pageFlip) { pageFlip_ = pageFlip; }

    // Actual size is the default; the others apply only while the stereo
    // presentation leaves rows free to scale (see OneToOneOnly).
    void SetViewSize(ViewSize size, int zoomPercent);
    ViewSize viewSize() const { return size_; }
    int zoomPercent() const { return zoomPercent_; }
    // Presentations whose rows must meet screen rows (interlaced, page
    // flipping, ...).
    bool OneToOneOnly() const;
    // In full screen a presentation that asks for it is stretched over the
    // whole view, whatever its aspect.
    void SetFullScreen(bool on);
    // The frame pixel to device pixel scale it shows at now.
    double ShownScale();
    // The current picture's size in device pixels at the film's own size:
    // times the eyes across and down that the presentation shown puts side
    // by side; empty without one.
    QSize PictureSize() const;
    // The scale the view shows the film's pictures at where it is smaller
    // than their own size, for the film to make them at; own size while
    // the view shows them whole, one to one, or has none.
    PictureScale PictureScaleShown();
    // Where the current picture lies in the view's logical pixels, as
    // scaled and panned now.
    QRectF PictureTarget();
    QScrollBar* horizontalBar() const { return hBar_; }
    QScrollBar* verticalBar() const { return vBar_; }

    void ShowFrameDisplay(bool on);
    bool frameDisplayShown() const { return frameDisplay_; }
    // A line under the frame display for two seconds.
    void ShowNotice(const QString& text);
    const QString& notice() const { return notice_; }

    // Composes what the view shows now, unscaled, into `frame`.
    bool ComposeShown(FrameBuffer& frame);
    // The same as a picture, without the frame's padding columns; null
    // when there is nothing to show.
    QImage ShownImage();
    // The presentation shown, as the player decided it.
    const Presentation& Shown() const;
    // The pipeline the player's pairs pass through, whose correction the
    // frame display names.
    void SetPipeline(std::shared_ptr<const pipeline::PairPipeline> pipeline) { pipeline_ = std::move(pipeline); }

signals:
    // Ctrl+wheel changed the view size.
    void viewSizeChanged();
    // The view's own size changed.
    void resized();
    // What PictureScaleShown answers may have changed: the view size, full
    // screen, or the size of the pictures shown.
    void scaleMayChange();
    // A drag over a spherical film moved the pointer by `moved` logical
    // pixels since the last; `done` at the button's release.
    void cameraDragged(QPointF moved, bool done);
    // Ctrl+wheel over a spherical film: notches towards the user (positive)
    // narrow the field of view.
    void fieldOfViewStepped(int notches);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Ctrl+wheel zooms; the wheel alone goes on to the main frame, which steps.
    void wheelEvent(QWheelEvent* event) override;

private:
    bool Stretches() const;
    bool Scales() const;
    // The picture is drawn scaled: the view scales it, or the pair shown was
    // made at another size than the one it is drawn at.
    bool DrawsScaled() const;
    // The view size in force: Fit Large Films is actual size or fit, by
    // the picture shown.
    ViewSize Sizing() const;
    // The frame the compositor makes for the current picture, before any
    // scaling.
    QSize ComposedSize() const;
    // Where a frame of `frame` device pixels lands in the view, as scaled
    // and panned now.
    QRectF TargetOf(QSize frame);
    // The scroll bars' ranges for the picture as shown now; each bar shows
    // only while the picture overflows on its axis.
    void UpdateScrollBars();
    bool Pans() const;
    bool LooksAround() const;
    QPoint Scroll() const;
    // The rectangle the compositor works in: the view on the screen (grown
    // to the picture's size where a plain or red-blue picture overflows it),
    // or the picture alone when it is scaled.
    std::optional<ViewRect> ComposeRect(qreal ratio);
    bool ComposeInto(const ViewRect& rect, FrameBuffer& frame);
    // Composes into composed_, unless the picture is shown as it is, and
    // converts into image_, halved when the picture is scaled to half its
    // size or less; false when there is nothing to show.
    bool ComposeImage(const ViewRect& rect, qreal ratio);

    CPlexoDoc& doc_;
    const PresentationState& state_;
    const play::Player& player_;
    EyePairPtr pair_;
    play::Showing showing_;
    play::DelayMeter meter_;
    PageFlipStereo* pageFlip_ = nullptr;
    // Kept between paints, so steady playback allocates nothing.
    FrameBuffer composed_;
    std::shared_ptr<const pipeline::PairPipeline> pipeline_;
    QImage image_;
    // The size of the picture composed into image_, and that picture at the
    // film's own size.
    QSize imageFrame_;
    QSize imageOwn_;
    ViewSize size_ = ViewSize::Actual;
    int zoomPercent_ = 100;
    bool frameDisplay_ = false;
    bool fullScreen_ = false;
    QString notice_;
    QTimer noticeTimer_;
    QScrollBar* hBar_;
    QScrollBar* vBar_;
    // What the bars were last set for: the picture's shown size and the view's.
    QSizeF barsShown_;
    QSize barsView_;
    // Where a drag with the left button started, and the scroll then.
    std::optional<QPoint> dragFrom_;
    QPoint dragScroll_;
    // The pointer's last place in a drag that turns the camera.
    std::optional<QPointF> lookFrom_;
};

}  // namespace plexo
