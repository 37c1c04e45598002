#include "render/Texte.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t GLYPHS = 95; // characters 32..126
constexpr int32_t FIRST_GLYPH = 32;
constexpr int32_t LAST_GLYPH = 126;

// One font per process, used by the game thread only.
struct Police {
    uint32_t texture;
    uint32_t listBase; // glyph list of character 32
    uint8_t fontReady;
};
Police police = {0, 0, 0};

struct Couleur {
    const char* name;
    float red, green, blue;
};
const Couleur colours[] = {
    {"white", 1, 1, 1},  {"red", 1, 0, 0},  {"green", 0, 1, 0},  {"blue", 0, 0, 1},
    {"yellow", 1, 1, 0}, {"cyan", 0, 1, 1}, {"purple", 1, 0, 1},
};

void recordGlyph(int32_t i) {
    const int32_t column = i % 16;
    const int32_t row = i / 16;
    const double s0 = column / 16.0;
    const double s1 = s0 + 0.0625;
    const double t1 = 1.0 - row / 8.0;
    // The bottom of each cell row is left out so the glyph below never bleeds in.
    const double t0 = t1 - 0.12;
    glNewList(police.listBase + i, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2d(s0, t0);
    glVertex2i(0, 0);
    glTexCoord2d(s1, t0);
    glVertex2i(16, 0);
    glTexCoord2d(s1, t1);
    glVertex2i(16, 16);
    glTexCoord2d(s0, t1);
    glVertex2i(0, 16);
    glEnd();
    glTranslated(10, 0, 0);
    glEndList();
}

void setColour(const char* name) {
    if (name == nullptr) return;
    for (const Couleur& c : colours) {
        if (std::strcmp(c.name, name) == 0) {
            glColor3f(c.red, c.green, c.blue);
            return;
        }
    }
}

// Draws a terminated line glyph by glyph in one call; unprintable bytes are dropped
// so they neither draw nor advance.
void drawGlyphs(const char* line) {
    uint8_t glyphs[TEXTE_LINE_SIZE];
    GLsizei count = 0;
    for (int32_t i = 0; i < TEXTE_LINE_SIZE - 1 && line[i] != '\0'; i++) {
        const uint8_t c = static_cast<uint8_t>(line[i]);
        if (c >= FIRST_GLYPH && c <= LAST_GLYPH)
            glyphs[count++] = static_cast<uint8_t>(c - FIRST_GLYPH);
    }
    glListBase(police.listBase);
    glCallLists(count, GL_UNSIGNED_BYTE, glyphs);
    glListBase(0);
}

void drawLine(int32_t x, int32_t y, const char* colour, double scale, const char* line) {
    glBindTexture(GL_TEXTURE_2D, police.texture);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    setColour(colour);
    glTranslated(x, y, 0);
    glScaled(scale, scale, 1);
    drawGlyphs(line);
    glEnable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
}

} // namespace

void buildFont(uint32_t texture) {
    police.texture = texture;
    police.listBase = glGenLists(GLYPHS);
    if (police.listBase == 0) {
        // No GL context: stay unready so drawText says so instead of drawing nothing.
        std::printf("Erreur: Impossible de creer la police\n");
        return;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    for (int32_t i = 0; i < GLYPHS; i++)
        recordGlyph(i);
    police.fontReady = 1;
}

bool isFontReady() {
    return police.fontReady != 0;
}

void begin2D() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND); // the 3D scene may have left it off (see useTexture)
}

void end2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

void drawText(int32_t x, int32_t y, const char* colour, double scale, const char* format, ...) {
    if (!police.fontReady) {
        std::printf("Erreur: Affichage du texte impossible, l'initialisation n'a pas ete faite\n");
        return;
    }
    char line[TEXTE_LINE_SIZE];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) line[0] = '\0';
    drawLine(x, y, colour, scale, line);
}

void Texte::initMessages() {
    clock.clear();
    for (int32_t i = 0; i < TEXTE_SLOTS; i++)
        rows[i] = -1;
    next = 0;
    chatActive = 0;
    // Not required by the list, but keeps takeChat safe before any openChat.
    chatLength = 0;
    chatText[0] = '\0';
}

void Texte::addMessage(const char* format, ...) {
    if (next < 0 || next >= TEXTE_SLOTS) next = 0;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(lines[next], TEXTE_LINE_SIZE, format, args);
    va_end(args);
    if (n < 0) lines[next][0] = '\0';
    for (int32_t i = 0; i < TEXTE_SLOTS; i++) {
        if (rows[i] != -1) rows[i]++;
    }
    rows[next] = 0;
    timeLeft[next] = TEXTE_LIFETIME;
    next = (next + 1) % TEXTE_SLOTS;
}

void Texte::expireMessages(uint32_t elapsed) {
    for (int32_t i = 0; i < TEXTE_SLOTS; i++) {
        if (rows[i] == -1) continue;
        // 64 bits: a long pause between drawings must not wrap the count.
        const int64_t left = static_cast<int64_t>(timeLeft[i]) - elapsed;
        if (left < 0) {
            rows[i] = -1;
        } else {
            timeLeft[i] = static_cast<int32_t>(left);
        }
    }
}

void Texte::drawMessages() {
    clock.tick();
    expireMessages(clock.elapsed);
    for (int32_t i = 0; i < TEXTE_SLOTS; i++) {
        if (rows[i] != -1) drawText(10, 30 + 20 * rows[i], "white", 1.3, "%s", lines[i]);
    }
    if (chatActive) drawText(10, 10, "white", 1.3, "%s|", chatText);
}

void Texte::openChat() {
    chatLength = 0;
    chatText[0] = '\0';
    chatActive = 1;
}

void Texte::appendChat(uint8_t c) {
    if (!chatActive || chatLength < 0 || chatLength >= TEXTE_CHAT_MAX) return;
    chatText[chatLength] = static_cast<char>(c);
    chatText[chatLength + 1] = '\0';
    chatLength++;
}

void Texte::deleteChat() {
    if (!chatActive || chatLength <= 0 || chatLength > TEXTE_CHAT_MAX) return;
    chatLength--;
    chatText[chatLength] = '\0';
}

char* Texte::takeChat() {
    if (chatLength < 0 || chatLength > TEXTE_CHAT_MAX) chatLength = 0;
    chatText[chatLength] = '\0';
    chatActive = 0;
    char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(chatLength) + 1));
    if (copy != nullptr) std::memcpy(copy, chatText, static_cast<size_t>(chatLength) + 1);
    return copy;
}
