// Window events pushed into a real SDL queue, read into the input record and handled: keys,
// focus, the chat line, firing, quitting and the host's kick.
#include "RenderSupport.h"

#include "game/Input.h"
#include "game/Protocole.h"

#include "kit/JeuFixture.h"

#include <cmath>

namespace {

using Types = std::vector<int32_t>;

// An event as the window queues it: a key (Shift held or not), a click, a focus change
// (value: gain << 8 | state) or the close button.
struct Ev {
    uint8_t type;
    int32_t value;
    bool shift = false;
};
// Keys pressed one after the other; the printable ones are their own characters.
std::vector<Ev> typed(const std::vector<int32_t>& syms, bool shift = false) {
    std::vector<Ev> keys;
    for (int32_t sym : syms)
        keys.push_back({SDL_KEYDOWN, sym, shift});
    return keys;
}

struct Events : GlWindowTest {
    std::unique_ptr<Jeu> jeu = kit::makeTestJeu();
    std::unique_ptr<Reseau> reseau{new Reseau()};
    platform::Saisie input = kit::stillInput();
    Message last = {};

    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped()) return;
        // The window's own focus changes must not mix with those a test pushes (which SDL
        // queues whatever this setting).
        SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
        for (SDL_Event e; SDL_PollEvent(&e);) {
        }
        jeu->reseau = reseau.get();
        stopRequested = 0;
    }
    // The game loop's event step: the window's queue into the record, then the handling.
    bool handle(const std::vector<Ev>& events) {
        for (const Ev& ev : events) {
            SDL_Event e;
            memset(&e, 0, sizeof e);
            e.type = ev.type;
            e.key.keysym.sym = SDLKey(ev.value);
            e.key.keysym.mod = ev.shift ? KMOD_LSHIFT : KMOD_NONE;
            if (ev.type == SDL_MOUSEBUTTONDOWN) e.button.button = uint8_t(ev.value);
            if (ev.type == SDL_ACTIVEEVENT)
                e.active = {SDL_ACTIVEEVENT, uint8_t(ev.value >> 8), uint8_t(ev.value)};
            EXPECT_EQ(SDL_PushEvent(&e), 0) << SDL_GetError();
        }
        platform::readEvents(input);
        return handleEvents(*jeu, input);
    }
    // Types of the messages the game posted to itself, oldest first.
    Types posted() {
        Types types;
        for (int i = 0; i < QUEUE_SLOTS && reseau->nextMessage(last) == 0; ++i)
            types.push_back(last.type);
        return types;
    }
};

TEST_F(Events, KeysAndFocusSteerTheMouseTheScoresTheChatLineAndTheEnd) {
    const Ev tab = {SDL_KEYDOWN, SDLK_TAB}, ret = {SDL_KEYDOWN, SDLK_RETURN};
    const char* said = "he '$?!.7A14 ?0";
    const auto plain =
        typed({SDLK_RETURN, 'h', 'e', ' ', '4', '2', '1', ',', '`', '.', SDLK_KP7, '-', SDLK_UP});
    const auto shifted = typed({'a', '1', '4', ' ', ',', SDLK_KP0, 'z', SDLK_BACKSPACE}, true);
    const struct {
        std::vector<Ev> events;
        bool goesOn;
        int32_t captured;
        uint8_t chat;
        Types posted;
        const char* line; // the chat line so far
    } steps[] = {
        {{}, true, 1, 0, {}, ""},
        {typed({SDLK_ESCAPE}), true, 0, 0, {}, ""},
        {typed({SDLK_F2, SDLK_ESCAPE, SDLK_ESCAPE}), true, 1, 0, {}, ""},
        {typed({SDLK_TAB, SDLK_F1, SDLK_a}), true, 1, 0, {MSG_SHOW_SCORES, MSG_SHOW_SCORES}, ""},
        // F6 and the close button stop at once; what follows waits in the record.
        {typed({SDLK_F6, SDLK_TAB}), false, 1, 0, {}, ""},
        {{}, true, 1, 0, {MSG_SHOW_SCORES}, ""},
        {{{SDL_QUIT, 0}, {SDL_KEYDOWN, SDLK_ESCAPE}}, false, 1, 0, {}, ""},
        {{}, true, 0, 0, {}, ""},
        // Keyboard focus or activity set the capture; the mouse entering alone does not.
        {{{SDL_ACTIVEEVENT, 1 << 8 | SDL_APPMOUSEFOCUS}}, true, 0, 0, {}, ""},
        {{{SDL_ACTIVEEVENT, 1 << 8 | SDL_APPACTIVE}}, true, 1, 0, {}, ""},
        {{{SDL_ACTIVEEVENT, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS}}, true, 0, 0, {}, ""},
        // The chat line frees the mouse; Shift counts as each key went down.
        {plain, true, 0, 1, {}, "he '$?!.7"},
        {shifted, true, 0, 1, {}, said},
        // The key table still acts while typing; focus back keeps the line open.
        {typed({SDLK_ESCAPE, SDLK_TAB}), true, 1, 1, {MSG_SHOW_SCORES}, said},
        {{{SDL_ACTIVEEVENT, 0 << 8 | SDL_APPINPUTFOCUS}}, true, 0, 1, {}, said},
        {{ret}, true, 1, 0, {MSG_SAY}, said}, // kept until the line opens again
        // An empty line is not said; either way the mouse is taken back.
        {typed({SDLK_RETURN, SDLK_BACKSPACE, SDLK_RETURN}), true, 1, 0, {}, ""},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&s - steps));
        EXPECT_EQ(handle(s.events), s.goesOn);
        EXPECT_EQ(std::make_pair(jeu->mouseCaptured, jeu->chatOpen),
                  std::make_pair(s.captured, s.chat));
        EXPECT_EQ(posted(), s.posted);
        EXPECT_STREQ(jeu->texte.chatText, s.line);
    }
    // What was said, and a full line keeps 39 characters.
    handle({ret});
    handle(typed(std::vector<int32_t>(45, SDLK_b), true));
    handle({ret});
    EXPECT_EQ(posted(), Types{MSG_SAY});
    EXPECT_EQ(std::string((const char*)last.payload), std::string(39, 'B'));

    // A kicked client says so and stops before reading anything.
    stopRequested = 1;
    EXPECT_EQ(kit::printedBy([&] { EXPECT_FALSE(handle({tab})); }),
              "L'hote vous a expulse de la partie\n");
    EXPECT_EQ(posted(), Types{});
}

TEST_F(Events, LeftClickFiresOnlyOnceTheCooldownIsBelowZero) {
    kit::FramePeer host;
    ASSERT_TRUE(host.connect(*reseau));
    Joueur& me = jeu->localPlayer;
    me.yaw = 90;
    me.pitch = 10;
    jeu->fireCooldown = 0;
    handle({{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT}});
    jeu->fireCooldown = -1;
    handle({{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT}, {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE}});
    EXPECT_TRUE(host.quiet());
    // Neither the chat line, nor a free mouse, nor death holds a shot back; the cooldown does.
    jeu->chatOpen = 1;
    jeu->mouseCaptured = 0;
    me.dead = 1;
    handle({{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT}, {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT}});
    EXPECT_EQ(std::make_pair(jeu->tir.nextSlot, jeu->fireCooldown),
              std::make_pair(1, FIRE_COOLDOWN));
    const double a = 90 * 3.1418 / 180, b = 10 * 3.1418 / 180;
    const double expected[6] = {1000, 1000, 117, cos(a) * 10000, sin(a) * 10000, tan(b) * 10000};
    const Balle& bullet = jeu->tir.balles[0];
    const double got[6] = {bullet.x, bullet.y, bullet.z, bullet.dx, bullet.dy, bullet.dz};
    Message frame;
    ASSERT_TRUE(host.read(frame));
    EXPECT_EQ(std::make_tuple(frame.type, frame.argument, bullet.owner),
              std::make_tuple(int32_t(MSG_SHOT), HOST_ID, HOST_ID));
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(got[i], expected[i], 1e-6) << i;
        EXPECT_NEAR(kit::doubleAt(frame, 8 * i), expected[i], 1e-6) << i;
    }
    EXPECT_TRUE(host.quiet()) << "one shot for two clicks";
}

} // namespace
