#pragma once
// The one view: paints the composed frame pair one buffer pixel to one device
// pixel at its top-left corner, black without a film.

#include <QImage>
#include <QWidget>

#include "present/frame_buffer.h"

namespace plexo {

class CPlexoDoc;
struct PresentationState;

class CPlexoView : public QWidget {
    Q_OBJECT

public:
    CPlexoView(CPlexoDoc& doc, const PresentationState& state, QWidget* parent = nullptr);

    // The last frame composed, for tests and the benchmark.
    const FrameBuffer& frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Composes into frame_ and converts into image_; false when there is
    // nothing to show.
    bool ComposeImage(qreal ratio);

    CPlexoDoc& doc_;
    const PresentationState& state_;
    // Kept between paints, so steady playback allocates nothing.
    FrameBuffer frame_;
    QImage image_;
};

}  // namespace plexo
