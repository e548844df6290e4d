#include "app/view/view_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace plexo {

namespace {
constexpr int kZoomSteps[] = {10, 25, 33, 50, 67, 100, 150, 200, 300, 400, 600, 800, 1200, 1600};
}

double ShownScale(QSize frame, QSizeF view, qreal ratio, ViewSize size, int zoomPercent)
{
    switch (size) {
    case ViewSize::Actual: return 1.0;
    case ViewSize::Zoom: return zoomPercent / 100.0;
    case ViewSize::Fit:
    case ViewSize::FitLarge: break;
    }
    if (frame.width() <= 0 || frame.height() <= 0)
        return 1.0;
    const double fit = std::min(view.width() * ratio / frame.width(), view.height() * ratio / frame.height());
    return size == ViewSize::FitLarge ? std::min(fit, 1.0) : fit;
}

QRectF FrameTarget(QSize frame, QSizeF view, qreal ratio, ViewSize size, int zoomPercent)
{
    const QSizeF logical = QSizeF(frame) / ratio;
    if (size == ViewSize::Actual)
        return QRectF(QPointF(0, 0), logical);
    const QSizeF shown = logical * ShownScale(frame, view, ratio, size, zoomPercent);
    return QRectF(QPointF((view.width() - shown.width()) / 2, (view.height() - shown.height()) / 2), shown);
}

QRectF ScrolledTarget(QRectF centred, QSizeF view, QPoint scroll)
{
    if (centred.width() > view.width())
        centred.moveLeft(-scroll.x());
    if (centred.height() > view.height())
        centred.moveTop(-scroll.y());
    return centred;
}

QSize Overflow(QSizeF shown, QSizeF view)
{
    // Less than half a pixel over is rounding, not a picture to pan.
    return QSize(std::max(0, int(std::lround(shown.width() - view.width()))),
                 std::max(0, int(std::lround(shown.height() - view.height()))));
}

int ZoomStepIn(double scale)
{
    const double percent = scale * 100;
    for (int step : kZoomSteps) {
        if (step > percent + 0.5)
            return step;
    }
    return std::end(kZoomSteps)[-1];
}

int ZoomStepOut(double scale)
{
    const double percent = scale * 100;
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it) {
        if (*it < percent - 0.5)
            return *it;
    }
    return kZoomSteps[0];
}

}  // namespace plexo
