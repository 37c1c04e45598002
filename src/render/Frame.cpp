#include "render/Frame.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <cmath>

#include "render/MapRender.h"

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double EYE_HEIGHT = 130.0;

struct Tint {
    float r, g, b;
};

// Player colours as the options number them; 3 leaves the textures untinted.
const Tint PLAYER_TINTS[8] = {
    {0.3f, 0.3f, 0.3f}, {1.0f, 0.3f, 0.3f}, {0.3f, 0.3f, 1.0f}, {1.0f, 1.0f, 1.0f},
    {1.0f, 1.0f, 0.1f}, {1.0f, 0.7f, 0.3f}, {0.7f, 0.3f, 0.7f}, {0.3f, 1.0f, 1.0f},
};

struct ModelBox {
    double x1, y1, z1, x2, y2, z2;
    int32_t texture; // 0 first (j1), 1 second (j2)
};

const ModelBox BASE = {-28.8, -28.8, 24, 28.8, 28.8, 48, 1};
const ModelBox BODY = {-16.8, -16.8, 48, 16.8, 16.8, 144, 0};
const ModelBox FULL_ARMS[2] = {{-12, 7.2, -0.02, 28.8, 24, 24, 1},
                               {-12, -24, -0.02, 28.8, -7.2, 24, 1}};
const ModelBox VIEW_ARMS[2] = {{-12, 12, -0.013, 24, 24, 12, 1},
                               {-12, -24, -0.013, 24, -12, 12, 1}};

void drawModelBox(const ModelBox& b, const uint32_t textures[2]) {
    drawBox(b.x1, b.y1, b.z1, b.x2, b.y2, b.z2, 1, 1, textures[b.texture]);
}

void setPerspective(const Camera& c) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = c.height != 0 ? static_cast<double>(c.width) / c.height : 1.0;
    gluPerspective(70.0, aspect, 1.0, c.visibility * 200.0);
}

void drawNames(const Scene& scene) {
    for (int32_t k = 0; k < scene.nameCount && k < SCENE_PLAYERS; ++k) {
        // The name came from the network: bounded, and never used as a format.
        drawText(500, 200 + 15 * k, "blue", 1.0, "%.47s", scene.names[k]);
    }
}

} // namespace

void setupCamera(const Camera& camera) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspective(camera);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 1, 0, tan(camera.pitch * DEG_TO_RAD), 0, 0, 1);
    glRotated(-camera.yaw, 0, 0, 1);
    glTranslated(-camera.x, -camera.y, -EYE_HEIGHT);
}

void drawBullets(const double (*centres)[3], int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double* c = centres[i];
        glColor3f(0, 0, 0);
        glTranslated(c[0], c[1], c[2]);
        glutSolidSphere(10.0, 3, 2);
        glTranslated(-c[0], -c[1], -c[2]);
        glColor3f(1, 1, 1);
    }
}

void drawPlayerModel(const Silhouette& player, const uint32_t textures[2], bool fullBody) {
    glPushMatrix();
    glTranslated(player.x, player.y, 0);
    glRotated(player.yaw, 0, 0, 1);
    if (player.colour >= 0 && player.colour < 8) {
        const Tint& t = PLAYER_TINTS[player.colour];
        glColor3f(t.r, t.g, t.b);
    }
    if (fullBody) {
        drawModelBox(BASE, textures);
        drawModelBox(BODY, textures);
    }
    glTranslated(0, 0, fullBody ? 96.0 : 112.8);
    glRotated(-player.pitch, 0, 1, 0);
    const ModelBox* arms = fullBody ? FULL_ARMS : VIEW_ARMS;
    drawModelBox(arms[0], textures);
    drawModelBox(arms[1], textures);
    glColor3f(1, 1, 1);
    glPopMatrix();
}

void drawDamageFlash(double strength) {
    glDisable(GL_TEXTURE_2D);
    glColor4d(1, 0, 0, strength);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(640, 0);
    glVertex2i(640, 480);
    glVertex2i(0, 480);
    glEnd();
    glColor4d(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}

void drawReticle(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(300, 220);
    glTexCoord2i(1, 0);
    glVertex2i(340, 220);
    glTexCoord2i(1, 1);
    glVertex2i(340, 260);
    glTexCoord2i(0, 1);
    glVertex2i(300, 260);
    glEnd();
}

void drawHealthBar(double health) {
    const double right = 10.0 + std::trunc(200.0 * health / 100.0);
    // From death to respawn the health is 0 or below: no bar, rather than one drawn leftwards.
    if (!(right > 10.0)) return;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glColor3d(1, 0, 0);
    glVertex2d(10, 470);
    glVertex2d(10, 450);
    glColor3d(0, 0, health / 100.0);
    glVertex2d(right, 450);
    glVertex2d(right, 470);
    glEnd();
    glColor3d(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}

void drawScene(const Scene& scene) {
    setupCamera(scene.camera);
    drawBullets(scene.bullets,
                scene.bulletCount < SCENE_BULLETS ? scene.bulletCount : SCENE_BULLETS);
    for (int32_t k = 0; k < scene.playerCount && k < SCENE_PLAYERS; ++k)
        drawPlayerModel(scene.players[k], scene.playerTextures, true);
    drawPlayerModel(scene.self, scene.playerTextures, false);
    if (scene.map != nullptr && scene.mapTextures != nullptr)
        drawMap(*scene.map, *scene.mapTextures);
    begin2D();
    // At strength 0 the flash blends nothing in (alpha 0), yet it is a blended pass over the
    // whole window: skipping it leaves every pixel as it was and saves a good part of the frame.
    if (scene.damageFlash > 0) drawDamageFlash(scene.damageFlash);
    drawReticle(scene.reticleTexture);
    drawHealthBar(scene.health);
    if (scene.texte != nullptr) scene.texte->drawMessages();
    drawNames(scene);
    end2D();
    glFlush();
}
