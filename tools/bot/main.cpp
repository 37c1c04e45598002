// A headless player. It joins a host through the game's own transport and protocol, walks
// in circles through the game's own simulation, shoots at a chosen player, says what it
// reads on its standard input, and writes one line per message it receives.
//
//   bot <address> <port> [--name NAME] [--colour N] [--shoot-at N] [--fps N] [--seconds S]
//       [--chat] [--quiet]
//
// Standard output holds the record (see tools/bot/README.md); the protocol's console texts
// go to standard error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/Serveur.h"
#include "game/Input.h"
#include "game/Jeu.h"
#include "game/Protocole.h"
#include "game/Simulation.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/GameFolders.h"
#include "platform/Saisie.h"
#include "platform/Socket.h"
#include "platform/Thread.h"

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180; // the game's own factor, so shots fly true
constexpr double TURN_RATE = 0.045;         // degrees per ms: a circle about 380 units wide
constexpr uint32_t TURN_FLIP_MS = 5000;     // then the other way round, so it wanders
constexpr int32_t BOT_FIRE_PERIOD = 1000;   // ms; slower than a player, so it can be beaten
constexpr int32_t WINDOW_W = 800;           // what the simulation takes as the window size
constexpr int32_t WINDOW_H = 600;

struct BotOptions {
    const char* address = nullptr;
    int32_t port = 0;
    char name[PSEUDO_SIZE] = "bot";
    int32_t colour = 0;
    int32_t target = -1; // player to shoot at, -1 for none
    int32_t fps = 30;
    int32_t seconds = 0; // 0: until the host goes or kicks us
    bool chat = false;
    bool quiet = false;
};

enum class End { Running, Seconds, Kicked, HostLost };

// The game record is large and lives as long as the process.
Jeu game;
Reseau reseau;
platform::Saisie input;
// Until the host names the map, nobody's position means anything: no shooting.
bool mapArrived = false;

void printUsage() {
    fprintf(stderr, "usage: bot <address> <port> [--name NAME] [--colour 0-7] [--shoot-at 0-7] "
                    "[--fps 1-1000] [--seconds S] [--chat] [--quiet]\n");
}

// The value that follows option `i`, or null when there is none.
const char* valueOf(int argc, char** argv, int& i) {
    return i + 1 < argc ? argv[++i] : nullptr;
}

bool parseOption(int argc, char** argv, int& i, BotOptions& o) {
    const char* option = argv[i];
    if (strcmp(option, "--chat") == 0 || strcmp(option, "--quiet") == 0) {
        (option[2] == 'c' ? o.chat : o.quiet) = true;
        return true;
    }
    const char* v = valueOf(argc, argv, i);
    if (v == nullptr) return false;
    if (strcmp(option, "--name") == 0) {
        snprintf(o.name, sizeof o.name, "%s", v);
        return true;
    }
    if (strcmp(option, "--colour") == 0) return parseWholeNumber(v, 0, 7, o.colour);
    if (strcmp(option, "--shoot-at") == 0) return parseWholeNumber(v, 0, 7, o.target);
    if (strcmp(option, "--fps") == 0) return parseWholeNumber(v, 1, 1000, o.fps);
    if (strcmp(option, "--seconds") == 0) return parseWholeNumber(v, 0, 2000000, o.seconds);
    return false;
}

bool parseArguments(int argc, char** argv, BotOptions& o) {
    if (argc < 3) return false;
    o.address = argv[1];
    if (!parseWholeNumber(argv[2], 1, 65535, o.port)) return false;
    for (int i = 3; i < argc; ++i) {
        if (!parseOption(argc, argv, i, o)) return false;
    }
    return true;
}

// ---- the record ---------------------------------------------------------------------

double doubleAt(const Message& m, int32_t at) {
    double v;
    memcpy(&v, m.payload + at, sizeof v);
    return v;
}

// A payload text on one line: printable ASCII as is, '\' doubled, other bytes as \xHH.
void printText(const Message& m) {
    printf(" text=");
    for (int32_t i = 0; i < PAYLOAD_SIZE - 1 && m.payload[i] != 0; ++i) {
        const uint8_t c = m.payload[i];
        if (c == '\\')
            printf("\\\\");
        else if (c >= 32 && c <= 126)
            putchar(c);
        else
            printf("\\x%02X", c);
    }
}

void printDetails(const Message& m) {
    switch (m.type) {
    case MSG_NAME:
    case MSG_LOAD_MAP:
    case MSG_VERSION:
    case MSG_CHANGE_MAP:
    case MSG_SAY:
    case MSG_CHAT:
        printText(m);
        break;
    case MSG_ASSIGN_ID:
    case MSG_SCORE:
    case MSG_COLOUR:
    case MSG_FRAG:
        printf(" value=%g", doubleAt(m, 0));
        break;
    case MSG_STATE:
        printf(" keys=%d%d%d%d x=%.1f y=%.1f yaw=%.1f pitch=%.1f", m.payload[0] != 0,
               m.payload[1] != 0, m.payload[2] != 0, m.payload[3] != 0, doubleAt(m, STATE_POS_X_AT),
               doubleAt(m, STATE_POS_Y_AT), doubleAt(m, STATE_YAW_AT), doubleAt(m, STATE_PITCH_AT));
        break;
    case MSG_SHOT:
        printf(" x=%.1f y=%.1f z=%.1f dx=%.1f dy=%.1f dz=%.1f", doubleAt(m, 0), doubleAt(m, 8),
               doubleAt(m, 16), doubleAt(m, 24), doubleAt(m, 32), doubleAt(m, 40));
        break;
    default:
        break;
    }
}

void recordMessage(const Message& m, const BotOptions& o) {
    if (o.quiet) return;
    printf("recv type=%d arg=%d", m.type, m.argument);
    printDetails(m);
    printf("\n");
}

// ---- the game -----------------------------------------------------------------------

// What initGame leaves, without window, textures or sound: the map comes from the host.
void setUpGame(Jeu& jeu, const BotOptions& o) {
    Options opt;
    memset(&opt, 0, sizeof opt);
    opt.width = WINDOW_W;
    opt.height = WINDOW_H;
    opt.maxFps = o.fps;
    opt.visibility = 100;
    opt.verticalSensitivity = 100;
    opt.horizontalSensitivity = 100;
    opt.smoothRemotePlayers = 1;
    snprintf(opt.pseudo, sizeof opt.pseudo, "%s", o.name);
    opt.colour = o.colour;
    prepareGame(jeu, opt, "", -1, &reseau);
    initPlayers(jeu);
}

// The bot holds Z and never touches the mouse; it turns by itself.
void holdKeys() {
    platform::clearSaisie(input);
    input.keysHeld[platform::KEY_Z] = 1;
    input.cursorX = WINDOW_W / 2;
    input.cursorY = WINDOW_H / 2;
}

void turn(Jeu& jeu, uint32_t now) {
    const double direction = (now / TURN_FLIP_MS) % 2 == 0 ? 1.0 : -1.0;
    jeu.localPlayer.yaw += direction * TURN_RATE * jeu.frameTimer.elapsed;
}

// Faces the target's last known position and fires one bullet at it as a click does; then
// waits longer than a player must.
void shootAt(Jeu& jeu, int32_t target) {
    Joueur& me = jeu.localPlayer;
    const Joueur& other = jeu.remotePlayers[target];
    me.yaw = std::atan2(other.posY - me.posY, other.posX - me.posX) / DEG_TO_RAD;
    me.pitch = 0;
    if (shoot(jeu)) jeu.fireCooldown = BOT_FIRE_PERIOD;
}

bool canShoot(const Jeu& jeu, int32_t target) {
    const Joueur& me = jeu.localPlayer;
    return mapArrived && target >= 0 && target != me.id && me.id >= 0 && me.dead == 0 &&
           jeu.fireCooldown < 0 && jeu.remotePlayers[target].state == PLAYER_PRESENT;
}

// What a player does with keyboard and mouse, once per frame before the simulation.
void play(Jeu& jeu, const BotOptions& o, uint32_t now) {
    turn(jeu, now);
    if (!canShoot(jeu, o.target)) return;
    shootAt(jeu, o.target);
    const Joueur& me = jeu.localPlayer;
    if (!o.quiet) printf("shot target=%d x=%.1f y=%.1f\n", o.target, me.posX, me.posY);
}

// Takes every queued message, records it and acts on it as a client's game does.
End receive(Jeu& jeu, const BotOptions& o) {
    Message m;
    while (reseau.nextMessage(m) == 0) {
        recordMessage(m, o);
        if (m.type == MSG_LOAD_MAP) mapArrived = true;
        const int32_t before = jeu.localPlayer.id;
        handleMessage(jeu, m);
        if (before < 0 && jeu.localPlayer.id >= 0) printf("joined id=%d\n", jeu.localPlayer.id);
        if (stopRequested != 0) return End::Kicked;
        if (m.type == MSG_HOST_LOST) return End::HostLost;
    }
    return End::Running;
}

void reportDeath(const Jeu& jeu, uint8_t wasDead, const BotOptions& o) {
    if (o.quiet || jeu.localPlayer.dead == wasDead) return;
    printf(wasDead == 0 ? "died\n" : "respawned\n");
}

// One pass of the game loop: pace, input, simulation, messages, state.
End frame(Jeu& jeu, const BotOptions& o) {
    paceFrame(jeu);
    play(jeu, o, platform::ticks());
    const uint8_t wasDead = jeu.localPlayer.dead;
    simulate(jeu, input);
    reportDeath(jeu, wasDead, o);
    const End end = receive(jeu, o);
    sendStateIfDue(jeu);
    return end;
}

const char* reasonOf(End end) {
    switch (end) {
    case End::Kicked:
        return "kicked";
    case End::HostLost:
        return "host-lost";
    default:
        return "seconds";
    }
}

// Each line read is said in the game, as the console's "dire" does.
void chatLoop(void*) {
    char line[256];
    while (fgets(line, sizeof line, stdin) != nullptr) {
        line[strcspn(line, "\r\n")] = '\0';
        if (line[0] == '\0') continue;
        uint8_t payload[PAYLOAD_SIZE] = {};
        memcpy(payload, line, strnlen(line, PAYLOAD_SIZE - 1));
        reseau.post(MSG_SAY, 0, payload);
    }
}

int run(const BotOptions& o) {
    platform::TcpSocket socket;
    if (platform::connectTcp(o.address, static_cast<uint16_t>(o.port), socket) != 0) {
        fprintf(stderr, "bot: cannot connect to %s:%d\n", o.address, o.port);
        platform::closeSocket(socket);
        return 1;
    }
    setConsoleOutput(stderr);
    setUpGame(game, o);
    holdKeys();
    reseau.startNetwork(0, socket, -1);
    if (o.chat && platform::startThread(chatLoop, nullptr) != 0)
        fprintf(stderr, "bot: cannot read standard input\n");
    const uint32_t start = platform::ticks();
    const uint32_t limit = static_cast<uint32_t>(o.seconds) * 1000u;
    End end = End::Running;
    while (end == End::Running) {
        end = frame(game, o);
        if (o.seconds > 0 && platform::ticks() - start >= limit && end == End::Running)
            end = End::Seconds;
    }
    printf("end reason=%s\n", reasonOf(end));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0); // whole lines, at once, even through a pipe
    platform::findGameFolders();         // installed, it walks the installed maps
    BotOptions options;
    if (!parseArguments(argc, argv, options)) {
        printUsage();
        return 2;
    }
    // Threads may still run: leave without running destructors under their feet.
    platform::exitProcess(run(options));
}
