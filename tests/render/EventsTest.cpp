// The game window's events pushed into a real SDL queue and read into the input record:
// function keys, the chat line and its characters, firing, focus, quitting and the host's
// kick.
#include "GlWindow.h"

#include "game/Input.h"
#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Saisie.h"

#include "../support/JeuFixture.h"
#include "../support/StdoutCapture.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Pushes one event of `type`, its other fields set by `fill`.
template <class F> void push(uint8_t type, F fill) {
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    fill(e);
    ASSERT_EQ(SDL_PushEvent(&e), 0) << SDL_GetError();
}

// Keys pressed, Shift held or not as each went down.
void pushKeys(std::initializer_list<int32_t> syms, bool shift = false) {
    for (int32_t sym : syms)
        push(SDL_KEYDOWN, [&](SDL_Event& e) {
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = static_cast<SDLKey>(sym);
            e.key.keysym.mod = shift ? KMOD_LSHIFT : KMOD_NONE;
        });
}

void pushClick(uint8_t button) {
    push(SDL_MOUSEBUTTONDOWN, [&](SDL_Event& e) {
        e.button.button = button;
        e.button.state = SDL_PRESSED;
    });
}

void pushFocus(uint8_t gain, uint8_t state) {
    push(SDL_ACTIVEEVENT, [&](SDL_Event& e) {
        e.active.gain = gain;
        e.active.state = state;
    });
}

class Events : public GlWindowTest {
  protected:
    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped()) return;
        // The window's own focus changes must not mix with the events a test pushes.
        SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
        dropWindowEvents();
        jeu->reseau = reseau.get();
        stopRequested = 0;
        platform::clearSaisie(input);
    }
    void TearDown() override {
        stopRequested = 0;
        GlWindowTest::TearDown();
    }

    // The game loop's event step: the window's queue into the record, then the handling.
    bool handleEvents(Jeu& game) {
        platform::readEvents(input);
        return ::handleEvents(game, input);
    }

    static void dropWindowEvents() {
        SDL_Event e;
        for (int i = 0; i < 1000 && SDL_PollEvent(&e); ++i) {
        }
    }

    // Types of the messages the game posted to itself, oldest first.
    std::vector<int32_t> posted() {
        std::vector<int32_t> types;
        Message m;
        for (int i = 0; i < QUEUE_SLOTS && reseau->nextMessage(m) == 0; ++i) {
            types.push_back(m.type);
            last = m;
        }
        return types;
    }

    std::unique_ptr<Jeu> jeu = testsupport::makeTestJeu();
    std::unique_ptr<Reseau> reseau{new Reseau()};
    platform::Saisie input;
    Message last = {};
};

using Types = std::vector<int32_t>;

} // namespace

TEST_F(Events, FunctionKeysToggleTheMouseShowScoresAndStop) {
    EXPECT_TRUE(handleEvents(*jeu)); // nothing queued
    pushKeys({SDLK_ESCAPE});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 0);
    pushKeys({SDLK_F2, SDLK_ESCAPE, SDLK_ESCAPE});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 1);

    pushKeys({SDLK_TAB, SDLK_F1, SDLK_a}); // a letter without the chat line does nothing
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(posted(), (Types{MSG_SHOW_SCORES, MSG_SHOW_SCORES}));
    EXPECT_EQ(last.argument, 0);
    EXPECT_EQ(jeu->texte.chatActive, 0);

    // F6 and the window's close button stop at once; what follows waits in the queue.
    pushKeys({SDLK_F6, SDLK_TAB});
    EXPECT_FALSE(handleEvents(*jeu));
    EXPECT_EQ(posted(), Types{});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(posted(), Types{MSG_SHOW_SCORES});
    push(SDL_QUIT, [](SDL_Event&) {});
    pushKeys({SDLK_ESCAPE});
    EXPECT_FALSE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 1);
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 0);
}

TEST_F(Events, ChatLineTakesTheCharacterTableAndSaysItsText) {
    pushKeys({SDLK_RETURN});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->chatOpen, 1);
    EXPECT_EQ(jeu->mouseCaptured, 0);
    EXPECT_EQ(jeu->texte.chatActive, 1);

    pushKeys({SDLK_h, SDLK_e, SDLK_SPACE, SDLK_4, SDLK_2, SDLK_1, SDLK_COMMA, SDLK_BACKQUOTE,
              SDLK_PERIOD, SDLK_KP7, SDLK_MINUS, SDLK_UP});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_STREQ(jeu->texte.chatText, "he '$?!.7");
    pushKeys({SDLK_a, SDLK_1, SDLK_4, SDLK_SPACE, SDLK_COMMA, SDLK_KP0, SDLK_z, SDLK_BACKSPACE},
             true);
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_STREQ(jeu->texte.chatText, "he '$?!.7A14 ?0");

    // The key table still acts while typing: the mouse toggles, the line stays open.
    pushKeys({SDLK_ESCAPE, SDLK_TAB});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 1);
    EXPECT_EQ(jeu->chatOpen, 1);
    EXPECT_EQ(posted(), Types{MSG_SHOW_SCORES});

    pushKeys({SDLK_RETURN});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->chatOpen, 0);
    EXPECT_EQ(jeu->mouseCaptured, 1);
    EXPECT_EQ(jeu->texte.chatActive, 0);
    EXPECT_EQ(posted(), Types{MSG_SAY});
    EXPECT_EQ(last.argument, jeu->localPlayer.id);
    EXPECT_STREQ(reinterpret_cast<const char*>(last.payload), "he '$?!.7A14 ?0");

    // An empty line closes without a word and takes the mouse back.
    pushKeys({SDLK_RETURN, SDLK_BACKSPACE, SDLK_RETURN});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->chatOpen, 0);
    EXPECT_EQ(jeu->mouseCaptured, 1);
    EXPECT_EQ(posted(), Types{});

    // A full line keeps its first 39 characters.
    pushKeys({SDLK_RETURN});
    for (int i = 0; i < 45; ++i)
        pushKeys({SDLK_b}, true); // Shift still held
    pushKeys({SDLK_RETURN});
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(posted(), Types{MSG_SAY});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(last.payload)), std::string(39, 'B'));
}

TEST_F(Events, LeftClickFiresOnlyOnceTheCooldownIsBelowZero) {
    testsupport::FramePeer host;
    ASSERT_TRUE(host.connect(*reseau));
    Joueur& me = jeu->localPlayer;
    me.yaw = 90;
    me.pitch = 10;
    const int32_t slot = jeu->tir.nextSlot;

    jeu->fireCooldown = 0;
    pushClick(SDL_BUTTON_LEFT);
    EXPECT_TRUE(handleEvents(*jeu));
    jeu->fireCooldown = -1;
    pushClick(SDL_BUTTON_RIGHT);
    pushClick(SDL_BUTTON_MIDDLE);
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->tir.nextSlot, slot);
    EXPECT_TRUE(host.quiet());

    // Neither the chat line, nor a free mouse, nor death holds a shot back; the cooldown does.
    jeu->chatOpen = 1;
    jeu->mouseCaptured = 0;
    me.dead = 1;
    pushClick(SDL_BUTTON_LEFT);
    pushClick(SDL_BUTTON_LEFT);
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->tir.nextSlot, (slot + 1) % TIR_SLOTS);
    EXPECT_EQ(jeu->fireCooldown, FIRE_COOLDOWN);

    const double a = 90 * 3.1418 / 180, b = 10 * 3.1418 / 180;
    const double expected[6] = {1000, 1000, 117, cos(a) * 10000, sin(a) * 10000, tan(b) * 10000};
    const Balle& bullet = jeu->tir.balles[slot];
    const double got[6] = {bullet.x, bullet.y, bullet.z, bullet.dx, bullet.dy, bullet.dz};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-6) << i;
    EXPECT_EQ(bullet.owner, HOST_ID);

    Message frame;
    ASSERT_TRUE(host.read(frame));
    EXPECT_EQ(frame.type, MSG_SHOT);
    EXPECT_EQ(frame.argument, HOST_ID);
    double sent[6];
    memcpy(sent, frame.payload, sizeof sent);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(sent[i], expected[i], 1e-6) << i;
    EXPECT_TRUE(host.quiet()) << "one shot for two clicks";
}

TEST_F(Events, InputFocusOrActivitySetTheCaptureMouseFocusAloneDoesNot) {
    SDL_EventState(SDL_ACTIVEEVENT, SDL_ENABLE);
    const struct {
        uint8_t gain, state;
        int32_t captured;
    } steps[] = {{0, SDL_APPINPUTFOCUS, 0},
                 {1, SDL_APPMOUSEFOCUS, 0},
                 {1, SDL_APPACTIVE, 1},
                 {0, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS, 0}};
    for (const auto& step : steps) {
        pushFocus(step.gain, step.state);
        EXPECT_TRUE(handleEvents(*jeu));
        EXPECT_EQ(jeu->mouseCaptured, step.captured) << int(step.gain) << " " << int(step.state);
    }
    // Focus back while typing: captured again, and the chat line stays open.
    jeu->chatOpen = 1;
    pushFocus(1, SDL_APPINPUTFOCUS | SDL_APPACTIVE);
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(jeu->mouseCaptured, 1);
    EXPECT_EQ(jeu->chatOpen, 1);
}

TEST_F(Events, KickedClientSaysSoAndStopsBeforeReadingEvents) {
    stopRequested = 1;
    pushKeys({SDLK_TAB});
    testsupport::StdoutCapture capture;
    capture.start();
    const bool goesOn = handleEvents(*jeu);
    EXPECT_EQ(capture.stop(), "L'hote vous a expulse de la partie\n");
    EXPECT_FALSE(goesOn);
    EXPECT_EQ(posted(), Types{});
    stopRequested = 0;
    EXPECT_TRUE(handleEvents(*jeu));
    EXPECT_EQ(posted(), Types{MSG_SHOW_SCORES});
}
