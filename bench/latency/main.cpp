// Relay latency of a shot: one raw protocol peer sends MSG_SHOT to a host at the default
// frame cap of 300, which relays it to another raw peer; the time from the send to the
// arrival, beside a raw TCP round trip on loopback measured in the same run. Sends are
// spread at random inside the frame. The host is the real game executable, started through
// its console (its window needs an X server: xvfb-run -a ...), or with "headless" the
// game's own loop without a window in this process: pacing, simulation, dispatch.
//
//   bench_latency [samples] [width height | headless]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "GameFolder.h"
#include "LiveProcess.h"
#include "game/Jeu.h"
#include "game/Simulation.h"
#include "platform/Clock.h"
#include "platform/Saisie.h"
#include "platform/Thread.h"

namespace {

constexpr int STARTUP_MS = 30000;
constexpr int32_t FRAME_WAIT_MS = 1000;
constexpr const char* WINDOW_READY = "Pas d'erreur durant l'initialisation de la fenetre";

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Sends back every frame it reads, until the connection closes.
void echoEntry(void* params) {
    platform::TcpSocket* s = static_cast<platform::TcpSocket*>(params);
    Message m;
    while (platform::receiveExactly(*s, &m, FRAME_SIZE) == 0 &&
           platform::sendAll(*s, &m, FRAME_SIZE) == 0) {
    }
}

struct Pause {
    std::mt19937 random{12345u};
    std::uniform_int_distribution<int32_t> ms{1, 9};
    void between() { platform::sleepMs(static_cast<uint32_t>(ms(random))); }
};

std::vector<double> roundTrips(int32_t samples) {
    std::vector<double> times;
    platform::TcpSocket listener, server;
    bench::Peer client;
    if (platform::listenTcp(0, 1, listener) != 0) return times;
    const uint16_t port = static_cast<uint16_t>(platform::localPort(listener));
    if (platform::connectTcp("127.0.0.1", port, client.socket) != 0) return times;
    server = platform::acceptTcp(listener);
    platform::closeSocket(listener);
    if (platform::startThread(echoEntry, &server) != 0) return times;
    Pause pause;
    Message m;
    for (int32_t i = 0; i < samples; ++i) {
        pause.between();
        const Clock::time_point start = Clock::now();
        client.send(MSG_SHOT, 0);
        if (!client.read(m, FRAME_WAIT_MS)) break;
        times.push_back(millisecondsSince(start));
    }
    platform::shutdownSocket(server);
    return times;
}

// Waits until `peer` has seen the end of its join (the map to load).
bool awaitMap(bench::Peer& peer) {
    Message m;
    for (int32_t i = 0; i < 1000 && peer.read(m, 5000); ++i)
        if (m.type == MSG_LOAD_MAP) return true;
    return false;
}

// One shot from `from`, straight up so it leaves the play box at once; `mark` tells it apart.
void sendShot(bench::Peer& from, double mark) {
    const double shot[6] = {mark, 50.0, 117.0, 0.0, 0.0, 10000.0};
    uint8_t payload[PAYLOAD_SIZE] = {};
    memcpy(payload, shot, sizeof shot);
    from.send(MSG_SHOT, from.id, payload);
}

bool awaitShot(bench::Peer& to, int32_t shooter, double mark) {
    Message m;
    for (int32_t i = 0; i < 10000 && to.read(m, FRAME_WAIT_MS); ++i) {
        double x;
        memcpy(&x, m.payload, sizeof x);
        if (m.type == MSG_SHOT && m.argument == shooter && x == mark) return true;
    }
    return false;
}

std::vector<double> relays(uint16_t port, int32_t samples) {
    std::vector<double> times;
    bench::Peer shooter, watcher;
    if (shooter.join(port, "tireur", 1) < 0 || watcher.join(port, "temoin", 2) < 0 ||
        !awaitMap(shooter) || !awaitMap(watcher)) {
        fprintf(stderr, "bench_latency: the peers could not join the host\n");
        return times;
    }
    Pause pause;
    for (int32_t i = -50; i < samples; ++i) { // the first 50 warm up
        pause.between();
        shooter.drain(0);
        const double mark = 1000.0 + i;
        const Clock::time_point start = Clock::now();
        sendShot(shooter, mark);
        if (!awaitShot(watcher, shooter.id, mark)) {
            fprintf(stderr, "bench_latency: shot %d never arrived\n", i);
            break;
        }
        if (i >= 0) times.push_back(millisecondsSince(start));
    }
    return times;
}

// The headless host: large, and alive until the process ends.
Jeu headlessGame;
Reseau headlessNetwork;
platform::Saisie headlessInput; // no key, the mouse still

void headlessLoop(void*) {
    for (;;) {
        paceFrame(headlessGame);
        simulate(headlessGame, headlessInput);
        dispatchMessages(headlessGame);
    }
}

// The game as initGame leaves a host on the arena, without window, textures or sound, its
// loop started. The port it listens on, or 0.
uint16_t startHeadlessHost() {
    Jeu& jeu = headlessGame;
    if (chdir(BV_SOURCE_DIR "/data") != 0) return 0;
    setConsoleOutput(fopen("/dev/null", "w"));
    fillDefaultOptions(jeu.options);
    jeu.reseau = &headlessNetwork;
    jeu.maxFps = jeu.options.maxFps;
    jeu.mouseCaptured = 1;
    jeu.mapNumber = 0;
    snprintf(jeu.mapName, sizeof jeu.mapName, "maps\\arene.map");
    jeu.texte.initMessages();
    jeu.tir.init();
    initSnapshots(jeu.joueurs);
    jeu.deathTimer = DEATH_TIMER_ALIVE;
    platform::clearSaisie(headlessInput);
    headlessInput.cursorX = jeu.options.width / 2;
    headlessInput.cursorY = jeu.options.height / 2;
    headlessNetwork.startNetwork(1, platform::TcpSocket(), 0);
    const int32_t port = headlessNetwork.listeningPort(2000);
    if (port <= 0 || bench::loadQuietly(jeu.map, jeu.mapName, 0) != 0) return 0;
    initPlayers(jeu);
    if (platform::startThread(headlessLoop, nullptr) != 0) return 0;
    return static_cast<uint16_t>(port);
}

// The real game, hosting from its console in a game folder of its own.
uint16_t startGameHost(kit::LiveProcess& game, const kit::GameFolder& folder) {
    const uint16_t port = bench::freePort();
    if (!folder.ok() || port == 0 ||
        !game.start(BV_GAME_EXE, {}, folder.path(), {"SDL_AUDIODRIVER=dummy"}) ||
        !game.waitFor("\n>>>", STARTUP_MS)) {
        fprintf(stderr, "bench_latency: the game could not start\n");
        return 0;
    }
    game.send("start");
    game.send("s");
    game.send(std::to_string(port));
    game.send("0");
    if (!game.waitFor(WINDOW_READY, STARTUP_MS)) {
        fprintf(stderr, "bench_latency: the host's window did not open (no X display?)\n");
        return 0;
    }
    return port;
}

void printLine(const char* what, const std::vector<double>& t) {
    printf("%-34s median %6.3f  p90 %6.3f  p99 %6.3f  max %7.3f ms  (%zu samples)\n", what,
           bench::percentile(t, 0.5), bench::percentile(t, 0.9), bench::percentile(t, 0.99),
           bench::percentile(t, 1.0), t.size());
}

} // namespace

int main(int argc, char** argv) {
    const int32_t samples = argc > 1 ? atoi(argv[1]) : 1000;
    const bool headless = argc == 3 && strcmp(argv[2], "headless") == 0;
    kit::GameSettings settings;
    settings.pseudo = "hote";
    settings.maxFps = 300;
    settings.width = argc > 3 ? atoi(argv[2]) : 160;
    settings.height = argc > 3 ? atoi(argv[3]) : 120;
    if (samples <= 0 || settings.width <= 0 || settings.height <= 0 || (argc == 3 && !headless)) {
        fprintf(stderr, "usage: bench_latency [samples] [width height | headless]\n");
        return 2;
    }
    kit::GameFolder folder(settings);
    kit::LiveProcess game;
    const uint16_t port = headless ? startHeadlessHost() : startGameHost(game, folder);
    if (port == 0) return 1;
    const std::vector<double> raw = roundTrips(samples);
    const std::vector<double> relayed = relays(port, samples);
    if (raw.empty() || relayed.empty()) return 1;
    if (headless)
        printf("host: the game loop without a window (pacing, simulation, dispatch), frame cap "
               "300 (3 ms budget), map 0\n");
    else
        printf("host: the game, frame cap 300 (3 ms budget), window %dx%d, map 0\n", settings.width,
               settings.height);
    printLine("raw TCP round trip (loopback):", raw);
    printLine("shot relayed peer -> host -> peer:", relayed);
    // States and shots are relayed as they arrive, whatever the frame rate: the goal is 1 ms.
    printf("relay p99 / 1 ms = %.2f (goal <= 1.00)   relay p99 - raw p99 = %.2f ms   "
           "relay median / raw median = %.1f\n",
           bench::percentile(relayed, 0.99),
           bench::percentile(relayed, 0.99) - bench::percentile(raw, 0.99),
           bench::percentile(relayed, 0.5) / bench::percentile(raw, 0.5));
    fflush(stdout);
    // The headless host's threads still run: leave without tearing down what they use.
    platform::exitProcess(0);
}
