#pragma once
// Page flipping's display through OpenGL: its own QOpenGLContext on the
// render thread with vsync-paced swaps, a texture a flipping surface, loaded
// on a loading thread with a context that shares the textures. On a
// quad-buffered (stereo) format both eyes go in one swap.

#include <array>
#include <memory>

#include "app/flip/gl_eye_texture.h"
#include "app/flip/view_overlay_output.h"

class QOffscreenSurface;
class QOpenGLContext;

namespace plexo {

class GlDisplayOutput : public ViewOverlayOutput {
    Q_OBJECT

public:
    // Made on the user-interface thread once the view exists.
    explicit GlDisplayOutput(QWidget* view);
    ~GlDisplayOutput() override;

    const char* Name() const override { return "OpenGL"; }

    // Whether Qt granted the stereo format asked for.
    bool QuadBuffered() const override { return stereo_; }
    // Whether the OpenGL draws in software (Mesa's llvmpipe and its kin),
    // where a field costs a good part of a refresh at large sizes.
    bool Software() const { return software_; }

protected:
    bool Keep(int surface, const K3V_Pixels& pixels, const QRect& area, bool whole, const QRect& changed) override;
    bool BeginDrawing() override;
    bool DrawField(const Field& field, const QRect& area) override;
    void Swap() override;
    void EndDrawing() override;

private:
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOffscreenSurface> loadSurface_;
    std::unique_ptr<QOpenGLContext> loadContext_;
    QThread* loadThread_ = nullptr;
    QObject* loader_ = nullptr;
    bool stereo_ = false;
    bool software_ = false;
    // The render thread's.
    QOpenGLFunctions_1_1* gl_ = nullptr;
    GLuint framebuffer_ = 0;
    std::array<EyeTexture, kSurfaces> textures_;
};

}  // namespace plexo
