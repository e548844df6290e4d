#include "app/view/plexo_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "app/flip/page_flip_stereo.h"
#include "app/view/frame_display.h"
#include "app/view/presentation_state.h"
#include "doc/document.h"
#include "film/frame_place.h"
#include "pipeline/pair_pipeline.h"
#include "play/player.h"
#include "present/compositor.h"
#include "present/screen_rows.h"
#include "play/time_seek.h"

namespace plexo {

namespace {
constexpr int kNoticeMs = 2000;
}

CPlexoView::CPlexoView(CPlexoDoc& doc, const PresentationState& state, const play::Player& player,
                       QWidget* parent)
    : QWidget(parent), doc_(doc), state_(state), player_(player)
{
    // Every pixel is painted each time, so Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] {
        notice_.clear();
        update();
    });
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    vBar_ = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {hBar_, vBar_}) {
        bar->hide();
        bar->setRange(0, 0);
        connect(bar, &QScrollBar::valueChanged, this, [this] { update(); });
    }
}

void CPlexoView::SetViewSize(ViewSize size, int zoomPercent)
{
    size_ = size;
    zoomPercent_ = zoomPercent;
    UpdateScrollBars();
    update();
    emit scaleMayChange();
}

bool CPlexoView::Pans() const
{
    return hBar_->maximum() > 0 || vBar_->maximum() > 0;
}

QPoint CPlexoView::Scroll() const
{
    return QPoint(hBar_->value(), vBar_->value());
}

QRectF CPlexoView::TargetOf(QSize frame)
{
    if (Stretches())
        return QRectF(QPointF(0, 0), QSizeF(size()));
    // Actual size is the 100 percent zoom: the compositor centres the picture
    // too.
    const ViewSize sizing = Sizing();
    const bool zoomed = Scales() && sizing != ViewSize::Actual;
    return ScrolledTarget(FrameTarget(frame, size(), devicePixelRatioF(), zoomed ? sizing : ViewSize::Zoom,
                                      zoomed ? zoomPercent_ : 100),
                          size(), Scroll());
}

QRectF CPlexoView::PictureTarget()
{
    return TargetOf(PictureSize());
}

void CPlexoView::UpdateScrollBars()
{
    // One-to-one rows and columns must meet the screen's: cropped about the
    // centre, never panned.
    const QSize picture = doc_.film() && !OneToOneOnly() ? PictureSize() : QSize();
    const QSizeF shown = picture.isEmpty() ? QSizeF() : PictureTarget().size();
    // Every paint asks; steady playback changes nothing here.
    if (shown == barsShown_ && size() == barsView_)
        return;
    barsShown_ = shown;
    barsView_ = size();
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize over;
    if (!picture.isEmpty()) {
        over = Overflow(shown, size());
        // A bar covers the view's edge along it, which can make the other
        // axis overflow; the ranges bring each edge out beside the bars.
        for (int pass = 0; pass < 2; ++pass)
            over = Overflow(shown, QSizeF(size()) - QSizeF(over.height() > 0 ? thickness : 0,
                                                          over.width() > 0 ? thickness : 0));
    }
    const auto set = [](QScrollBar* bar, int maximum, int page) {
        if (bar->maximum() != maximum) {
            // The same part of the picture stays in view; a new overflow
            // starts at its centre, as the compositor crops.
            const int value = bar->maximum() > 0 ? int(std::lround(double(bar->value()) * maximum / bar->maximum()))
                                                 : maximum / 2;
            const QSignalBlocker quiet(bar);
            bar->setRange(0, maximum);
            bar->setValue(value);
        }
        bar->setPageStep(page);
        bar->setVisible(maximum > 0);
    };
    set(hBar_, over.width(), width());
    set(vBar_, over.height(), height());
    const int right = over.height() > 0 ? thickness : 0;
    const int bottom = over.width() > 0 ? thickness : 0;
    hBar_->setGeometry(0, height() - thickness, width() - right, thickness);
    vBar_->setGeometry(width() - thickness, 0, thickness, height() - bottom);
    if (!dragFrom_)
        setCursor(Pans() ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void CPlexoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateScrollBars();
    emit resized();
    emit scaleMayChange();
}

int CPlexoView::subtitleDisparity() const
{
    return pipeline_ ? pipeline_->SubtitleDisparity() : 0;
}

bool CPlexoView::LooksAround() const
{
    return pipeline_ && pipeline_->LooksAround();
}

void CPlexoView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && LooksAround()) {
        lookFrom_ = event->position();
        setCursor(Qt::SizeAllCursor);
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || !Pans()) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragFrom_ = event->position().toPoint();
    dragScroll_ = Scroll();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void CPlexoView::mouseMoveEvent(QMouseEvent* event)
{
    if (lookFrom_) {
        const QPointF moved = event->position() - *lookFrom_;
        lookFrom_ = event->position();
        emit cameraDragged(moved, false);
        event->accept();
        return;
    }
    if (!dragFrom_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // The picture follows the pointer.
    const QPoint moved = event->position().toPoint() - *dragFrom_;
    hBar_->setValue(dragScroll_.x() - moved.x());
    vBar_->setValue(dragScroll_.y() - moved.y());
    event->accept();
}

void CPlexoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (lookFrom_ && event->button() == Qt::LeftButton) {
        const QPointF moved = event->position() - *lookFrom_;
        lookFrom_.reset();
        unsetCursor();
        emit cameraDragged(moved, true);
        event->accept();
        return;
    }
    if (!dragFrom_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragFrom_.reset();
    setCursor(Pans() ? Qt::OpenHandCursor : Qt::ArrowCursor);
    event->accept();
}

void CPlexoView::wheelEvent(QWheelEvent* event)
{
    const int turn = event->angleDelta().y();
    if (event->modifiers().testFlag(Qt::ControlModifier) && LooksAround()) {
        // A wheel notch is 120 eighths of a degree.
        if (const int notches = turn / 120; notches != 0)
            emit fieldOfViewStepped(notches);
        event->accept();
        return;
    }
    if (!event->modifiers().testFlag(Qt::ControlModifier) || OneToOneOnly() || turn == 0 || PictureSize().isEmpty()) {
        event->ignore();
        return;
    }
    // The picture's point under the pointer stays under it.
    const QPointF at = event->position();
    const QRectF before = PictureTarget();
    const QPointF share((at.x() - before.left()) / before.width(), (at.y() - before.top()) / before.height());
    const double scale = ShownScale();
    SetViewSize(ViewSize::Zoom, turn > 0 ? ZoomStepIn(scale) : ZoomStepOut(scale));
    const QRectF after = PictureTarget();
    hBar_->setValue(int(std::lround(share.x() * after.width() - at.x())));
    vBar_->setValue(int(std::lround(share.y() * after.height() - at.y())));
    event->accept();
    emit viewSizeChanged();
}

void CPlexoView::Show(const EyePairPtr& pair, const play::Showing& showing)
{
    const QSize before = PictureSize();
    pair_ = pair;
    showing_ = showing;
    meter_.Shown(play::SteadyWallClock().Now());
    update();
    if (PictureSize() != before)
        emit scaleMayChange();
}

const Presentation& CPlexoView::Shown() const
{
    return player_.Shown();
}

bool CPlexoView::OneToOneOnly() const
{
    return Shown().oneToOne;
}

void CPlexoView::SetFullScreen(bool on)
{
    fullScreen_ = on;
    UpdateScrollBars();
    update();
    emit scaleMayChange();
}

bool CPlexoView::Stretches() const
{
    return fullScreen_ && Shown().stretchedInFullScreen && !OneToOneOnly();
}

bool CPlexoView::Scales() const
{
    return Stretches() || (Sizing() != ViewSize::Actual && !OneToOneOnly());
}

bool CPlexoView::DrawsScaled() const
{
    return Scales() || (pair_ && MadeSmaller(*pair_) && !OneToOneOnly());
}

PictureScale CPlexoView::PictureScaleShown()
{
    const QSize picture = PictureSize();
    if (picture.isEmpty() || !Scales())
        return {};
    if (Stretches()) {
        const qreal ratio = devicePixelRatioF();
        return {std::min(1.0, width() * ratio / picture.width()), std::min(1.0, height() * ratio / picture.height())};
    }
    const double scale = std::min(1.0, ShownScale());
    return {scale, scale};
}

ViewSize CPlexoView::Sizing() const
{
    if (size_ != ViewSize::FitLarge)
        return size_;
    const bool larger = plexo::ShownScale(PictureSize(), size(), devicePixelRatioF(), size_, zoomPercent_) < 1;
    return larger ? ViewSize::Fit : ViewSize::Actual;
}

QSize CPlexoView::ComposedSize() const
{
    if (!pair_ || !pair_->first)
        return {};
    const PixelSize natural = NaturalSize(Shown(), pair_->first.width, pair_->first.height);
    return QSize(int(natural.width), int(natural.height));
}

QSize CPlexoView::PictureSize() const
{
    if (!pair_ || !MadeSmaller(*pair_))
        return ComposedSize();
    const PixelSize own = NaturalSize(Shown(), pair_->ownWidth, pair_->ownHeight);
    return QSize(int(own.width), int(own.height));
}

double CPlexoView::ShownScale()
{
    return Scales() ? plexo::ShownScale(PictureSize(), size(), devicePixelRatioF(), Sizing(), zoomPercent_) : 1.0;
}

void CPlexoView::ShowFrameDisplay(bool on)
{
    frameDisplay_ = on;
    update();
}

void CPlexoView::ShowNotice(const QString& text)
{
    notice_ = text;
    noticeTimer_.start(kNoticeMs);
    update();
}

std::optional<ViewRect> CPlexoView::ComposeRect(qreal ratio)
{
    if (DrawsScaled()) {
        const QSize picture = ComposedSize();
        if (picture.isEmpty())
            return std::nullopt;
        return ViewRect{0, 0, picture.width(), picture.height()};
    }
    // Device pixels: the buffer lands one to one on the screen's pixels, and
    // the interlace parity follows the view's top row on the screen.
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    ViewRect rect;
    rect.left = int32_t(std::lround(origin.x() * ratio));
    rect.top = int32_t(std::lround(origin.y() * ratio));
    int32_t width = int32_t(std::lround(this->width() * ratio));
    int32_t height = int32_t(std::lround(this->height() * ratio));
    // A picture that pans is composed whole, and the paint shows its scrolled part.
    if (!OneToOneOnly()) {
        const QSize picture = ComposedSize();
        width = std::max(width, picture.width());
        height = std::max(height, picture.height());
    }
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

bool CPlexoView::ComposeShown(FrameBuffer& frame)
{
    if (!pair_ || !MadeSmaller(*pair_)) {
        const std::optional<ViewRect> rect = ComposeRect(devicePixelRatioF());
        return rect && ComposeInto(*rect, frame);
    }
    // What is written or copied is the picture at its own size, as it would
    // be composed had the view shown it so.
    const EyePairPtr shown = pair_;
    pair_ = player_.OwnSizePair();
    const std::optional<ViewRect> rect = pair_ ? ComposeRect(devicePixelRatioF()) : std::nullopt;
    const bool composed = rect && ComposeInto(*rect, frame);
    pair_ = shown;
    return composed;
}

QImage CPlexoView::ShownImage()
{
    FrameBuffer frame;
    if (!ComposeShown(frame))
        return {};
    QImage image(frame.viewWidth(), frame.height(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    FrameToScreenRows(frame.picture(), {image.bits(), image.width(), image.height(), size_t(image.bytesPerLine())});
    return image;
}

bool CPlexoView::ComposeInto(const ViewRect& rect, FrameBuffer& frame)
{
    if (!pair_ || !showing_.presentation)
        return false;
    return ComposeFrame(pair_.get(), {showing_.adjust, rect}, *showing_.presentation, frame) && frame.height() > 0;
}

bool CPlexoView::ComposeImage(const ViewRect& rect, qreal ratio)
{
    if (!pair_ || !showing_.presentation)
        return false;
    // A picture shown as it is goes to the window image without the copy
    // that composing it would make.
    Picture frame = ComposedAsIs(pair_.get(), {showing_.adjust, rect}, *showing_.presentation);
    if (!frame) {
        if (!ComposeInto(rect, composed_))
            return false;
        frame = composed_.picture();
    }
    imageFrame_ = QSize(rect.right - rect.left, frame.height);
    imageOwn_ = MadeSmaller(*pair_) && DrawsScaled() ? PictureSize() : imageFrame_;
    // Qt's smooth scaling reads every pixel it is given: a picture shown at
    // half its size or less (a 4K film in a window) is halved on the way,
    // so that it reads a quarter of them.
    const QSizeF target = DrawsScaled() ? TargetOf(imageOwn_).size() * ratio : QSizeF();
    const bool halved =
        DrawsScaled() && target.width() * 2 <= imageFrame_.width() && target.height() * 2 <= imageFrame_.height();
    const QSize size = halved ? imageFrame_ / 2 : imageFrame_;
    if (image_.size() != size)
        image_ = QImage(size, QImage::Format_RGB32);
    if (image_.isNull())
        return false;
    image_.setDevicePixelRatio(ratio);
    const ScreenRows rows{image_.bits(), size.width(), size.height(), size_t(image_.bytesPerLine())};
    if (halved)
        FrameToScreenRowsHalved(frame, rows);
    else
        FrameToScreenRows(frame, rows);
    return true;
}

namespace {

// Notes the end of a paint once the painter made before it is done; only a
// paint while playing measures what the player makes up for.
struct PaintEnd {
    play::DelayMeter& meter;
    bool playing;
    ~PaintEnd()
    {
        if (playing)
            meter.Painted(play::SteadyWallClock().Now());
        else
            meter.Forget();
    }
};

}  // namespace

void CPlexoView::paintEvent(QPaintEvent*)
{
    const PaintEnd end{meter_, player_.Playing()};
    QPainter painter(this);
    if (pageFlip_ && pageFlip_->flipping() && Shown().flips && pageFlip_->ShowFrame()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    UpdateScrollBars();
    const std::optional<ViewRect> rect = pair_ ? ComposeRect(ratio) : std::nullopt;
    if (!rect || !ComposeImage(*rect, ratio)) {
        painter.fillRect(this->rect(), Qt::black);
    } else if (DrawsScaled()) {
        painter.fillRect(this->rect(), Qt::black);
        // From the size composed: in the "File" reading mode the film has
        // let its picture go by now.
        const QRectF target = TargetOf(imageOwn_);
        const QSizeF device = target.size() * ratio;
        if (std::abs(device.width() - image_.width()) < 1 && std::abs(device.height() - image_.height()) < 1) {
            // Made at the size shown: drawn as it is, on whole device pixels.
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPointF(std::round(target.left() * ratio), std::round(target.top() * ratio)) / ratio,
                              image_);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, image_, QRectF(QPointF(0, 0), image_.size()));
        }
    } else {
        // Scrolled to the end beside the other bar, a strip under that bar is
        // left uncovered.
        const QRect shown(-Scroll(), image_.deviceIndependentSize().toSize());
        if (!shown.contains(this->rect())) {
            painter.setClipRegion(QRegion(this->rect()).subtracted(shown));
            painter.fillRect(this->rect(), Qt::black);
            painter.setClipping(false);
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(-Scroll()), image_);
    }
    // The corner between the two bars belongs to neither.
    if (hBar_->isVisible() && vBar_->isVisible())
        painter.fillRect(QRect(vBar_->x(), hBar_->y(), vBar_->width(), hBar_->height()), palette().window());
    if (frameDisplay_ && doc_.film()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        FramePlace place = PlaceOf(*doc_.film());
        place.lateFrames = player_.LateFrames();
        QStringList lines = FrameDisplayLines(place, Shown(), doc_.stereo().adjust,
                                              doc_.playRate(state_.framesPerSecond), notice_);
        if (const auto model = pipeline_ ? pipeline_->AlignmentShown() : std::nullopt)
            lines.append(QString::fromStdString(align::AlignedLine(*model)));
        for (const std::string& note :
             play::DelayNotes(int64_t(doc_.audioDelayMs()) * 1000, int64_t(doc_.subtitleDelayMs()) * 1000))
            lines.append(QString::fromStdString(note));
        DrawFrameDisplay(painter, lines);
    }
}

}  // namespace plexo
