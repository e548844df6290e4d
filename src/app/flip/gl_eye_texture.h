#pragma once
// An eye's picture kept in an OpenGL texture: the part of a flipping surface
// under the view, loaded when the surface changes and drawn at every field
// one texel to one pixel. The page-flip benchmark draws its reference with
// the same calls.

#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions_1_1>
#include <QRect>

#include "plexo/k3v_dd.h"

namespace plexo {

class EyeTexture {
public:
    // Sizes the texture to `area` (screen pixels) and loads it whole.
    void Load(QOpenGLFunctions_1_1& gl, const K3V_Pixels& pixels, const QRect& area);
    // Loads the part of `changed` that lies in the texture's area.
    void Update(QOpenGLFunctions_1_1& gl, const K3V_Pixels& pixels, const QRect& changed);
    // Copies the texture one to one into the draw framebuffer with its
    // bottom-left corner at `at`, its top row at the top. `readFramebuffer`
    // is one of the drawing context's own: framebuffers are not shared.
    void Draw(QOpenGLExtraFunctions& gl, GLuint readFramebuffer, const QPoint& at) const;

    // The part of the screen it holds; empty before the first Load.
    const QRect& area() const { return area_; }

private:
    GLuint name_ = 0;
    QRect area_;
};

}  // namespace plexo
