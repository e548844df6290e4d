#include "app/gl_eye_texture.h"

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
        gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, part.width(), part.height(), 0, GL_BGR, GL_UNSIGNED_BYTE, nullptr);
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

void EyeTexture::Draw(QOpenGLFunctions_1_1& gl) const
{
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    gl.glEnable(GL_TEXTURE_2D);
    gl.glBindTexture(GL_TEXTURE_2D, name_);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // The texture's first row is the picture's top.
    gl.glBegin(GL_QUADS);
    gl.glTexCoord2f(0, 1);
    gl.glVertex2f(-1, -1);
    gl.glTexCoord2f(1, 1);
    gl.glVertex2f(1, -1);
    gl.glTexCoord2f(1, 0);
    gl.glVertex2f(1, 1);
    gl.glTexCoord2f(0, 0);
    gl.glVertex2f(-1, 1);
    gl.glEnd();
}

}  // namespace plexo
