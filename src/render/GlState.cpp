#include "render/GlState.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>

namespace {

const GLfloat GREY[4] = {0.7f, 0.7f, 0.7f, 1.0f};

} // namespace

void initGlutOnce() {
    if (glutGet(GLUT_INIT_STATE) != 0) return;
    int argc = 1;
    char name[] = "brumevoltigeante";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
}

void setGlState(const Options& o) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    if (o.fog != 0) {
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 10.0f);
        glFogf(GL_FOG_END, static_cast<float>(o.visibility) * 100.0f);
        glFogfv(GL_FOG_COLOR, GREY);
        glEnable(GL_FOG);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.2f);
    glClearColor(GREY[0], GREY[1], GREY[2], GREY[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The visibility comes from the options file: its product is taken wide, never overflowing.
    gluPerspective(70.0, static_cast<double>(o.width) / static_cast<double>(o.height), 1.0,
                   static_cast<double>(static_cast<int64_t>(o.visibility) * 200));
}
