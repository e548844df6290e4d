#pragma once
// Where a composed frame lands in the view for each view size: one to one at
// the top left (the frame is then as large as the view), or scaled and
// centred, to fit or by a zoom factor.

#include <QRectF>
#include <QSize>

#include "platform/view_settings.h"

namespace plexo {

using platform::ViewSize;

// The rectangle in the view's logical coordinates for a frame of `frame`
// device pixels in a view of `view` logical pixels at `ratio` device pixels a
// logical one.
QRectF FrameTarget(QSize frame, QSizeF view, qreal ratio, ViewSize size, int zoomPercent);

// The scale, frame pixel to device pixel, the view shows a frame at.
double ShownScale(QSize frame, QSizeF view, qreal ratio, ViewSize size, int zoomPercent);

// A picture placed at `centred` (centred in a view of `view` logical pixels)
// moved, on each axis where it overflows the view, so that `scroll` logical
// pixels of it lie left of or above the view.
QRectF ScrolledTarget(QRectF centred, QSizeF view, QPoint scroll);

// How far a picture of `shown` logical pixels overflows the view on each
// axis, in whole pixels; 0 where it fits.
QSize Overflow(QSizeF shown, QSizeF view);

// The next zoom step above or below a scale (1.0 is 100 percent), in percent.
int ZoomStepIn(double scale);
int ZoomStepOut(double scale);

}  // namespace plexo
