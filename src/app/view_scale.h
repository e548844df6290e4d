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

// The next zoom step above or below a scale (1.0 is 100 percent), in percent.
int ZoomStepIn(double scale);
int ZoomStepOut(double scale);

}  // namespace plexo
