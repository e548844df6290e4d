#pragma once
// The status bar's fields: "Ready" (or a command's prompt while one is
// pointed at), then where the film stands, its partner or eye offset, the
// zoom, the presentation and, for a film that states its rate, the time.

#include <QStringList>

#include "film/frame_place.h"
#include "present/presentation.h"

class QLabel;
class QStatusBar;

namespace plexo {

struct StatusFacts {
    FramePlace place;
    // 2 for a two-view film, whose shift is its eye offset.
    int32_t eyes = 1;
    int zoomPercent = 100;
    const Presentation* shown = nullptr;
    // As the film states them; 0 when it states none.
    double frameRate = 0;
    double duration = 0;
    // The frame's own time in seconds where its film keeps times; else the
    // time is its place over the rate, which on a film of varying rate
    // would contradict its picture and subtitles.
    double time = -1;
    // The film's sound and subtitle delays in milliseconds, shown while not 0.
    int32_t audioDelayMs = 0;
    int32_t subtitleDelayMs = 0;
};

// "Frame 3 of 24", "Partner 5" or "Eye offset 0", "100%", the presentation's
// label, with a stated rate "0:01.2 / 0:08.0", and for a film decoded ahead
// the late frames of its playback ("0 late frames"), and the delays while
// not 0 ("Sound delay +50 ms"); empty without a film.
QStringList StatusTexts(const StatusFacts& facts);

class StatusFields {
public:
    explicit StatusFields(QStatusBar& bar);
    // Shows `texts` in the fields, the first in the first; the rest empty.
    void Show(const QStringList& texts);

private:
    QList<QLabel*> labels_;
};

}  // namespace plexo
