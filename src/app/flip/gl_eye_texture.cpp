#include "app/flip/gl_eye_texture.h"

namespace plexo {

void EyeTexture::Load(QOpenGLFunctions_1_1& gl, const K3V_Pixels& pixels, const QRect& area)
{
    const QRect part = area & QRect(0, 0, pixels.width, pixels.height);
    if (!name_) {
        gl.glGenTextures(1, &name_);
        gl.glBindTexture(GL_TEXTURE_2D, name_);
        // One texel to one pixel: nothing to filter, and no mip-maps to make.
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    gl.glBindTexture(GL_TEXTURE_2D, name_);
    if (part.size() != area_.size())
        gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, part.width(), part.height(), 0, GL_BGR, GL_UNSIGNED_BYTE, nullptr);
    area_ = part;
    Update(gl, pixels, part);
}

void EyeTexture::Update(QOpenGLFunctions_1_1& gl, const K3V_Pixels& pixels, const QRect& changed)
{
    const QRect part = changed & area_ & QRect(0, 0, pixels.width, pixels.height);
    if (!name_ || part.isEmpty())
        return;
    gl.glBindTexture(GL_TEXTURE_2D, name_);
    // A surface's rows are rounded up to four bytes, as GL's are by default.
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, pixels.width);
    gl.glTexSubImage2D(GL_TEXTURE_2D, 0, part.left() - area_.left(), part.top() - area_.top(), part.width(),
                       part.height(), GL_BGR, GL_UNSIGNED_BYTE,
                       pixels.data + size_t(part.top()) * size_t(pixels.pitch) + size_t(part.left()) * 3);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void EyeTexture::Draw(QOpenGLExtraFunctions& gl, GLuint readFramebuffer, const QPoint& at) const
{
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    gl.glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name_, 0);
    // A blit rather than a textured quad: Mesa's software renderer took about
    // half the time for it. The texture's first row is the picture's top.
    const int w = area_.width(), h = area_.height();
    gl.glBlitFramebuffer(0, h, w, 0, at.x(), at.y(), at.x() + w, at.y() + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

}  // namespace plexo
