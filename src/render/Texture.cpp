#include "render/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <new>

#include "media/Image.h"
#include "platform/Window.h"

namespace {

// OpenGL counts rows from the bottom, images and BMP files from the top.
void flipRows(Image& image) {
    const size_t row = static_cast<size_t>(image.width) * 4;
    for (int32_t y = 0; y < image.height / 2; ++y) {
        uint8_t* top = image.pixels + row * static_cast<size_t>(y);
        uint8_t* bottom = image.pixels + row * static_cast<size_t>(image.height - 1 - y);
        std::swap_ranges(top, top + row, bottom);
    }
}

bool hasSeeThroughTexels(const Image& image) {
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    for (size_t i = 0; i < count; ++i)
        if (image.pixels[i * 4 + 3] != 255) return true;
    return false;
}

} // namespace

uint32_t loadTexture(const char* path, bool mipmapped) {
    // The map loader also runs from the console and from tests, where no window exists:
    // GL calls there would have no context to act on.
    if (!platform::hasGlWindow()) return 0;
    Image image;
    if (loadImage(path, image) != 0) return 0;
    flipRows(image);

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint components = hasSeeThroughTexels(image) ? 4 : 3;
    if (mipmapped) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, components, image.width, image.height, GL_RGBA,
                          GL_UNSIGNED_BYTE, image.pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, components, image.width, image.height, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, image.pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    freeImage(image);
    return name;
}

bool hasAlpha(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    if (texture == 0) return false;
    GLint bits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &bits);
    return bits > 0;
}

void useTexture(uint32_t texture) {
    if (hasAlpha(texture))
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

int32_t saveScreenshot(const char* path) {
    if (path == nullptr || !platform::hasGlWindow()) return -1;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return -1;
    const size_t bytes = static_cast<size_t>(viewport[2]) * static_cast<size_t>(viewport[3]) * 4;
    Image shot = {viewport[2], viewport[3], new (std::nothrow) uint8_t[bytes]};
    if (shot.pixels == nullptr) return -1;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE,
                 shot.pixels);
    flipRows(shot);
    const int32_t saved = saveBmp(path, shot);
    freeImage(shot);
    return saved;
}

void drawAxes(double scale) {
    if (!platform::hasGlWindow()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(2.0f);
    glScaled(scale, scale, scale);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}
