#pragma once
// The frame display the I key shows over the view: where the film stands, how
// it is presented, and a passing notice.

#include <QStringList>

#include "film/frame_place.h"
#include "present/presentation.h"

class QPainter;

namespace plexo {

// "frame 11 of 15 (number 11)", "partner 15, A=4", "red-blue, 15 fps",
// "D=21, vertical 0" (", eyes swapped" while they are), "late frames: 2" for
// a film decoded ahead, then the notice when there is one.
QStringList FrameDisplayLines(const FramePlace& place, const Presentation& shown, const StereoAdjustments& adjust,
                              double framesPerSecond, const QString& notice);

// White text on a dark, half-transparent box at the top-left corner.
void DrawFrameDisplay(QPainter& painter, const QStringList& lines);

// What a refused step says when the film stopped short of its end because the
// partner frame would leave it; empty when the refusal has another cause.
QString RefusedStepNotice(const FramePlace& place, bool round);

}  // namespace plexo
