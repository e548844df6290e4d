#include "app/plexo_view.h"

#include <QPainter>

#include <cmath>

#include "app/frame_pixels.h"
#include "app/presentation_state.h"
#include "doc/document.h"
#include "present/compositor.h"

namespace plexo {

CPlexoView::CPlexoView(CPlexoDoc& doc, const PresentationState& state, QWidget* parent)
    : QWidget(parent), doc_(doc), state_(state)
{
    // Every pixel is painted each time, so Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

bool CPlexoView::ComposeImage(qreal ratio)
{
    Film* film = doc_.film();
    if (!film || film->FrameCount() <= 0)
        return false;
    // Device pixels: the buffer lands one to one on the screen's pixels, and
    // the interlace parity follows the view's top row on the screen.
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    ViewRect rect;
    rect.left = int32_t(std::lround(origin.x() * ratio));
    rect.top = int32_t(std::lround(origin.y() * ratio));
    rect.right = rect.left + int32_t(std::lround(width() * ratio));
    rect.bottom = rect.top + int32_t(std::lround(height() * ratio));
    const bool composed =
        ComposeFrame(film, doc_.Dist, rect, state_.stereo, state_.presentation, frame_);
    if (doc_.Alter != 0)
        film->ReleasePictures();
    if (!composed || frame_.height() <= 0)
        return false;

    const int width = rect.right - rect.left;
    const int height = frame_.height();
    if (image_.width() != width || image_.height() != height)
        image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull())
        return false;
    image_.setDevicePixelRatio(ratio);
    // The frame is at least `width` pixels wide (padded to a multiple of 4).
    BottomUpBgrToTopDownXrgb(frame_.bytes(), frame_.stride(), frame_.height(), width, height, image_.bits(),
                             size_t(image_.bytesPerLine()));
    return true;
}

void CPlexoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (ComposeImage(devicePixelRatioF())) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(0, 0), image_);
    } else {
        painter.fillRect(rect(), Qt::black);
    }
}

}  // namespace plexo
