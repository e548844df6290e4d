#include "app/plexo_view.h"

#include <QPainter>

#include <cmath>

#include "app/frame_display.h"
#include "app/page_flip_stereo.h"
#include "app/presentation_state.h"
#include "film/frame_place.h"
#include "doc/document.h"
#include "present/compositor.h"
#include "present/screen_rows.h"

namespace plexo {

namespace {
constexpr int kNoticeMs = 2000;
}

CPlexoView::CPlexoView(CPlexoDoc& doc, const PresentationState& state, QWidget* parent)
    : QWidget(parent), doc_(doc), state_(state)
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
}

void CPlexoView::SetViewSize(ViewSize size, int zoomPercent)
{
    size_ = size;
    zoomPercent_ = zoomPercent;
    update();
}

bool CPlexoView::OneToOneOnly() const
{
    return ShownPresentation(state_.stereo, state_.presentation).oneToOne;
}

bool CPlexoView::Scales() const
{
    return size_ != ViewSize::Actual && !OneToOneOnly();
}

QSize CPlexoView::PictureSize()
{
    Film* film = doc_.film();
    if (!film || film->FrameCount() <= 0)
        return {};
    // The tone the compositor asks for, so the frame keeps one cached picture.
    const Picture picture = FilmPicture(*film, Eye::Current, ShownPresentation(state_.stereo, state_.presentation).tone);
    return picture ? QSize(picture.width, picture.height) : QSize();
}

double CPlexoView::ShownScale()
{
    return Scales() ? plexo::ShownScale(PictureSize(), size(), devicePixelRatioF(), size_, zoomPercent_) : 1.0;
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
    if (Scales()) {
        const QSize picture = PictureSize();
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
    rect.right = rect.left + int32_t(std::lround(width() * ratio));
    rect.bottom = rect.top + int32_t(std::lround(height() * ratio));
    return rect;
}

bool CPlexoView::ComposeShown(FrameBuffer& frame)
{
    const std::optional<ViewRect> rect = ComposeRect(devicePixelRatioF());
    return rect && ComposeInto(*rect, frame);
}

bool CPlexoView::ComposeInto(const ViewRect& rect, FrameBuffer& frame)
{
    Film* film = doc_.film();
    if (!film || film->FrameCount() <= 0)
        return false;
    const bool composed = ComposeFrame(film, doc_.Dist, rect, ShownPresentation(state_.stereo, state_.presentation), frame);
    if (doc_.Alter != 0)
        film->ReleasePictures();
    return composed && frame.height() > 0;
}

bool CPlexoView::ComposeImage(const ViewRect& rect, qreal ratio)
{
    if (!ComposeInto(rect, frame_))
        return false;

    const int width = rect.right - rect.left;
    const int height = frame_.height();
    if (image_.width() != width || image_.height() != height)
        image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull())
        return false;
    image_.setDevicePixelRatio(ratio);
    FrameToScreenRows(frame_, {image_.bits(), width, height, size_t(image_.bytesPerLine())});
    return true;
}

void CPlexoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (pageFlip_ && pageFlip_->flipping() && ShownPresentation(state_.stereo, state_.presentation).flips &&
        pageFlip_->ShowFrame()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const std::optional<ViewRect> rect = doc_.film() ? ComposeRect(ratio) : std::nullopt;
    if (!rect || !ComposeImage(*rect, ratio)) {
        painter.fillRect(this->rect(), Qt::black);
    } else if (Scales()) {
        painter.fillRect(this->rect(), Qt::black);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize frame(image_.width(), image_.height());
        painter.drawImage(FrameTarget(frame, size(), ratio, size_, zoomPercent_), image_, QRectF(QPointF(0, 0), frame));
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(0, 0), image_);
    }
    if (frameDisplay_ && !OneToOneOnly() && doc_.film()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawFrameDisplay(painter, FrameDisplayLines(PlaceOf(*doc_.film()), state_, notice_));
    }
}

}  // namespace plexo
