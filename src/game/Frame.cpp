#include "game/Frame.h"

#include "game/Jeu.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <cmath>

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double EYE_HEIGHT = 130.0;
constexpr double NAME_RANGE_SQUARED = 640000.0; // 800 units
constexpr double NAME_CONE = 0.8;               // cos^2 of about 26.6 degrees

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

void setPerspective(const Options& o) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = o.height != 0 ? static_cast<double>(o.width) / o.height : 1.0;
    gluPerspective(70.0, aspect, 1.0, o.visibility * 200.0);
}

void drawNames(const Jeu& jeu) {
    const Joueur& me = jeu.localPlayer;
    bool inView[MAX_PLAYERS];
    for (int32_t k = 0; k < MAX_PLAYERS; ++k) {
        const Joueur& r = jeu.remotePlayers[k];
        inView[k] =
            r.state == PLAYER_PRESENT && isPlayerInView(me.posX, me.posY, me.yaw, r.posX, r.posY);
    }
    int32_t shown = 0;
    for (int32_t k = 0; k < MAX_PLAYERS; ++k) {
        if (!inView[k]) continue;
        // The name came from the network: bounded, and never used as a format.
        drawText(500, 200 + 15 * shown, "blue", 1.0, "%.47s", jeu.remotePlayers[k].name);
        ++shown;
    }
}

} // namespace

void setupCamera(const Jeu& jeu) {
    const Joueur& me = jeu.localPlayer;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspective(jeu.options);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 1, 0, tan(me.pitch * DEG_TO_RAD), 0, 0, 1);
    glRotated(-me.yaw, 0, 0, 1);
    glTranslated(-me.posX, -me.posY, -EYE_HEIGHT);
}

void drawPlayerModel(double x, double y, double yaw, double pitch, int32_t colour,
                     const uint32_t textures[2], bool fullBody) {
    glPushMatrix();
    glTranslated(x, y, 0);
    glRotated(yaw, 0, 0, 1);
    if (colour >= 0 && colour < 8) {
        const Tint& t = PLAYER_TINTS[colour];
        glColor3f(t.r, t.g, t.b);
    }
    if (fullBody) {
        drawModelBox(BASE, textures);
        drawModelBox(BODY, textures);
    }
    glTranslated(0, 0, fullBody ? 96.0 : 112.8);
    glRotated(-pitch, 0, 1, 0);
    const ModelBox* arms = fullBody ? FULL_ARMS : VIEW_ARMS;
    drawModelBox(arms[0], textures);
    drawModelBox(arms[1], textures);
    glColor3f(1, 1, 1);
    glPopMatrix();
}

void drawPlayers(const Jeu& jeu) {
    for (const Joueur& r : jeu.remotePlayers)
        if (r.state == PLAYER_PRESENT)
            drawPlayerModel(r.posX, r.posY, r.yaw, r.pitch, r.colour, jeu.playerTextures, true);
    const Joueur& me = jeu.localPlayer;
    drawPlayerModel(me.posX, me.posY, me.yaw, me.pitch, me.colour, jeu.playerTextures, false);
}

void drawDamageFlash(const Jeu& jeu) {
    glDisable(GL_TEXTURE_2D);
    glColor4d(1, 0, 0, jeu.localPlayer.damageFlash);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(640, 0);
    glVertex2i(640, 480);
    glVertex2i(0, 480);
    glEnd();
    glColor4d(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}

void drawReticle(const Jeu& jeu) {
    glBindTexture(GL_TEXTURE_2D, jeu.reticleTexture);
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

void drawHealthBar(const Jeu& jeu) {
    const double health = jeu.localPlayer.health;
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

bool isPlayerInView(double ownX, double ownY, double ownYaw, double otherX, double otherY) {
    const double dx = otherX - ownX;
    const double dy = otherY - ownY;
    const double c = cos(ownYaw * DEG_TO_RAD);
    const double s = sin(ownYaw * DEG_TO_RAD);
    const double distance2 = dx * dx + dy * dy;
    if (!(distance2 < NAME_RANGE_SQUARED)) return false;
    const double dot = c * dx + s * dy;
    if (!(dot > 0)) return false;
    return dot * dot / ((c * c + s * s) * distance2) > NAME_CONE;
}

void renderFrame(Jeu& jeu) {
    setupCamera(jeu);
    jeu.tir.draw();
    drawPlayers(jeu);
    jeu.map.render();
    begin2D();
    // At strength 0 the flash blends nothing in (alpha 0), yet it is a blended pass over the
    // whole window: skipping it leaves every pixel as it was and saves a good part of the frame.
    if (jeu.localPlayer.damageFlash > 0) drawDamageFlash(jeu);
    drawReticle(jeu);
    drawHealthBar(jeu);
    jeu.texte.drawMessages();
    drawNames(jeu);
    end2D();
    glFlush();
    SDL_GL_SwapBuffers();
}
