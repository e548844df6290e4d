#include "app/flip/gl_display_output.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions_1_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>
#include <QThread>
#include <QWindow>

namespace plexo {

GlDisplayOutput::GlDisplayOutput(QWidget* view)
    : ViewOverlayOutput(view, QSurface::OpenGLSurface, true)
{
    fault_ = "the display offers no OpenGL";
    QSurfaceFormat format;
    format.setStereo(true);
    format.setSwapInterval(1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    window().setFormat(format);
    window().create();
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(window().requestedFormat());
    if (!context_->create())
        return;
    // The loading context draws nothing; it shares the textures.
    QSurfaceFormat loadFormat = context_->format();
    loadFormat.setStereo(false);
    loadSurface_ = std::make_unique<QOffscreenSurface>();
    loadSurface_->setFormat(loadFormat);
    loadSurface_->create();
    loadContext_ = std::make_unique<QOpenGLContext>();
    loadContext_->setFormat(loadFormat);
    loadContext_->setShareContext(context_.get());
    if (!loadSurface_->isValid() || !loadContext_->create() || !loadContext_->makeCurrent(loadSurface_.get()))
        return;
    // A field is a framebuffer copy (OpenGL 3.0, or older with the extension).
    const bool blits = loadContext_->format().version() >= qMakePair(3, 0) ||
                       loadContext_->hasExtension(QByteArrayLiteral("GL_ARB_framebuffer_object"));
    const QByteArray renderer(reinterpret_cast<const char*>(loadContext_->functions()->glGetString(GL_RENDERER)));
    software_ = renderer.contains("llvmpipe") || renderer.contains("softpipe") || renderer.contains("swrast") ||
                renderer.contains("Software Rasterizer");
    loadContext_->doneCurrent();
    if (!blits) {
        fault_ = "the display's OpenGL cannot copy between framebuffers";
        return;
    }
    stereo_ = context_->format().stereo();
    loadThread_ = new QThread;
    loader_ = new QObject;
    loader_->moveToThread(loadThread_);
    loadContext_->moveToThread(loadThread_);
    loadThread_->start();
    StartRendering([this](QThread* thread) { context_->moveToThread(thread); });
}

GlDisplayOutput::~GlDisplayOutput()
{
    StopRendering();
    if (loadThread_) {
        QMetaObject::invokeMethod(loader_, [this] { loadContext_->doneCurrent(); }, Qt::BlockingQueuedConnection);
        loadThread_->quit();
        loadThread_->wait();
        delete loader_;
        delete loadThread_;
    }
}

bool GlDisplayOutput::Keep(int surface, const K3V_Pixels& pixels, const QRect& area, bool whole,
                           const QRect& changed)
{
    bool kept = false;
    QMetaObject::invokeMethod(
        loader_,
        [&] {
            if (!QOpenGLContext::currentContext())
                loadContext_->makeCurrent(loadSurface_.get());
            auto* gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_1>(loadContext_.get());
            if (!gl)
                return Refuse("the loading context has no OpenGL 1.1 functions");
            EyeTexture& t = textures_[size_t(surface)];
            whole ? t.Load(*gl, pixels, area) : t.Update(*gl, pixels, changed);
            // Whole before the render context draws it.
            gl->glFinish();
            kept = true;
        },
        Qt::BlockingQueuedConnection);
    return kept;
}

bool GlDisplayOutput::BeginDrawing()
{
    if (!context_->makeCurrent(&window())) {
        Refuse("its context cannot draw in the eyes' window");
        return false;
    }
    gl_ = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_1>(context_.get());
    if (!gl_) {
        Refuse("its context has no OpenGL 1.1 functions");
        return false;
    }
    context_->extraFunctions()->glGenFramebuffers(1, &framebuffer_);
    return true;
}

bool GlDisplayOutput::DrawField(const Field& field, const QRect& area)
{
    // The window's rows count from its bottom.
    const QPoint at(area.left() - field.region.left(), field.region.bottom() - area.bottom());
    QOpenGLExtraFunctions& extra = *context_->extraFunctions();
    if (stereo_)
        gl_->glDrawBuffer(field.right >= 0 ? GL_BACK_LEFT : GL_BACK);
    textures_[size_t(field.left)].Draw(extra, framebuffer_, at);
    if (field.right >= 0) {
        gl_->glDrawBuffer(GL_BACK_RIGHT);
        textures_[size_t(field.right)].Draw(extra, framebuffer_, at);
    }
    // Drawn before the textures may change.
    gl_->glFinish();
    return true;
}

void GlDisplayOutput::Swap() { context_->swapBuffers(&window()); }

void GlDisplayOutput::EndDrawing() { context_->doneCurrent(); }

}  // namespace plexo
