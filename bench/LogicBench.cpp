// Game logic of one host frame on the stress map (every element table at its limit) with
// 100 bullets in flight and eight players: the simulation step, the shot update, and the
// dispatch of the frame's messages (1: one client's state; 8: every client's state and a
// shot), each relayed to the seven clients over loopback. Reported as a share of the 3 ms
// budget, by wall time and by the game thread's own processor time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <ctime>
#include <unistd.h>

#include "BenchSupport.h"
#include "game/Jeu.h"
#include "game/Simulation.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Saisie.h"
#include "platform/Thread.h"

namespace {

constexpr int32_t FRAME_MS = 3; // the budget at the default cap of 300 frames a second
constexpr int32_t CLIENTS = HOST_SLOTS;
constexpr double SHOT_SPEED = 10000.0;
constexpr double DEG_TO_RAD = 3.1418 / 180;

// Everything a frame changes that must be put back so each frame sees the same scene.
struct Scene {
    Tir tir;
    Joueur local;
    Joueur remote[MAX_PLAYERS];
    int32_t deathTimer;
};

struct Host {
    Reseau reseau;
    std::unique_ptr<Jeu> jeu{new Jeu()};
    bench::Peer peers[CLIENTS];
    platform::Saisie input;
    Scene scene;
    int32_t sequence = 0;
    bool ready = false;
};

Host* host = nullptr;

// Reads a client's socket until it closes, as a client's receive thread would.
void drainEntry(void* params) {
    bench::Peer* peer = static_cast<bench::Peer*>(params);
    Message m;
    while (platform::receiveExactly(peer->socket, &m, FRAME_SIZE) == 0) {
    }
}

// The game as initGame leaves it on a host, without window, textures or sound.
void setUpGame(Host& h) {
    Jeu& jeu = *h.jeu;
    fillDefaultOptions(jeu.options);
    jeu.reseau = &h.reseau;
    jeu.maxFps = jeu.options.maxFps;
    jeu.mouseCaptured = 1;
    jeu.mapNumber = 3;
    snprintf(jeu.mapName, sizeof jeu.mapName, "maps\\stress.map");
    jeu.map.clear();
    jeu.tir.init();
    jeu.texte.initMessages();
    initSnapshots(jeu.joueurs);
    jeu.deathTimer = DEATH_TIMER_ALIVE;
    stopRequested = 0;
    // Z held, the mouse still.
    platform::clearSaisie(h.input);
    h.input.keysHeld[platform::KEY_Z] = 1;
    h.input.cursorX = jeu.options.width / 2;
    h.input.cursorY = jeu.options.height / 2;
}

bool joinClients(Host& h) {
    const int32_t port = h.reseau.listeningPort(2000);
    if (port <= 0) return false;
    for (int32_t i = 0; i < CLIENTS; ++i) {
        char name[16];
        snprintf(name, sizeof name, "client%d", i);
        if (h.peers[i].join(port, name, i) < 0) return false;
    }
    Jeu& jeu = *h.jeu;
    for (int32_t round = 0; round < 400; ++round) {
        dispatchMessages(jeu);
        int32_t present = 0;
        for (int32_t i = 0; i < CLIENTS; ++i)
            present += jeu.remotePlayers[i].state == PLAYER_PRESENT ? 1 : 0;
        if (present == CLIENTS) return true;
        platform::sleepMs(5);
    }
    return false;
}

// Players at spawn points, walking; 100 bullets anywhere on the map, in every direction.
void placeScene(Host& h) {
    Jeu& jeu = *h.jeu;
    const Map& map = jeu.map;
    auto cellCentre = [](int32_t c) { return (c + 0.5) * 100.0; };
    jeu.localPlayer.posX = cellCentre(map.spawns[0].x);
    jeu.localPlayer.posY = cellCentre(map.spawns[0].y);
    // Z has been held for a while: no key change forces a state out every frame.
    jeu.localPlayer.keys[KEY_FORWARD] = 1;
    for (int32_t i = 0; i < CLIENTS; ++i) {
        Joueur& r = jeu.remotePlayers[i];
        r.posX = cellCentre(map.spawns[i + 1].x);
        r.posY = cellCentre(map.spawns[i + 1].y);
        r.yaw = 45.0 * i;
        r.keys[KEY_FORWARD] = 1;
    }
    std::mt19937 random(20240611u);
    std::uniform_real_distribution<double> where(50.0, 6350.0);
    std::uniform_real_distribution<double> heading(0.0, 360.0);
    for (int32_t i = 0; i < TIR_SLOTS; ++i) {
        const double a = heading(random) * DEG_TO_RAD;
        jeu.tir.fire(where(random), where(random), 117.0, std::cos(a) * SHOT_SPEED,
                     std::sin(a) * SHOT_SPEED, 0.0, i % MAX_PLAYERS);
    }
    h.scene.tir = jeu.tir;
    h.scene.local = jeu.localPlayer;
    memcpy(h.scene.remote, jeu.remotePlayers, sizeof h.scene.remote);
    h.scene.deathTimer = jeu.deathTimer;
}

Host* setUpHost() {
    if (chdir(BV_SOURCE_DIR "/data") != 0) return nullptr;
    // The protocol's console texts (new players) would clutter the report.
    setConsoleOutput(fopen("/dev/null", "w"));
    Host* h = new Host();
    setUpGame(*h);
    if (bench::loadQuietly(h->jeu->map, "maps\\stress.map", 3) != 0) return nullptr;
    h->reseau.startNetwork(1, platform::TcpSocket(), 0);
    initPlayers(*h->jeu);
    if (!joinClients(*h)) return nullptr;
    for (bench::Peer& p : h->peers)
        platform::startThread(drainEntry, &p);
    placeScene(*h);
    h->jeu->frameTimer.elapsed = FRAME_MS;
    h->ready = true;
    return h;
}

void restoreScene(Host& h) {
    Jeu& jeu = *h.jeu;
    jeu.tir = h.scene.tir;
    jeu.localPlayer = h.scene.local;
    memcpy(jeu.remotePlayers, h.scene.remote, sizeof jeu.remotePlayers);
    jeu.deathTimer = h.scene.deathTimer;
}

// A frame's received frames: `count` of them, the states of the first clients, and with
// eight a shot as well. One state is a busy game's usual frame at 300 frames a second
// (seven players turning send a few dozen states a second between them); eight is every
// client sending every frame.
void queueFrameMessages(Host& h, int64_t count) {
    const Jeu& jeu = *h.jeu;
    Message m = {};
    for (int32_t i = 0; i < CLIENTS && i < count; ++i) {
        const Joueur& r = h.scene.remote[i];
        m.sequence = ++h.sequence;
        m.type = MSG_STATE;
        m.argument = i;
        bench::statePayload(m.payload, platform::ticks(), r.posX, r.posY, r.yaw);
        h.reseau.enqueue(m, i);
    }
    if (count <= CLIENTS) return;
    const double shot[6] = {
        jeu.remotePlayers[0].posX, jeu.remotePlayers[0].posY, 117.0, SHOT_SPEED, 0.0, 0.0};
    memset(m.payload, 0, sizeof m.payload);
    memcpy(m.payload, shot, sizeof shot);
    m.sequence = ++h.sequence;
    m.type = MSG_SHOT;
    m.argument = 0;
    h.reseau.enqueue(m, 0);
}

double threadCpuSeconds() {
    timespec t = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and processor time of the whole timed loop, for the share of the budget that one
// pass takes. Processor time is the game thread's own: other programs on the machine and
// the clients' reading threads do not count, the kernel's work for our sends does.
struct LoopClock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double cpuStart = threadCpuSeconds();
};

// Time per pass as a percentage of the 3 ms frame budget.
void reportBudgetShare(benchmark::State& state, const LoopClock& clock) {
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - clock.start).count();
    const double cpu = threadCpuSeconds() - clock.cpuStart;
    const double passes = state.iterations() > 0 ? static_cast<double>(state.iterations()) : 1.0;
    const double budget = FRAME_MS / 1000.0;
    state.counters["wall_pct_of_3ms"] = wall / passes / budget * 100.0;
    state.counters["cpu_pct_of_3ms"] = cpu / passes / budget * 100.0;
}

bool prepare(benchmark::State& state) {
    if (host == nullptr) host = setUpHost();
    if (host == nullptr || !host->ready) {
        state.SkipWithError("cannot set up the host game (data folder, loopback)");
        return false;
    }
    return true;
}

// Runs `pass` on a freshly restored scene each iteration and reports its budget share.
template <typename Pass> void measurePasses(benchmark::State& state, Pass pass) {
    if (!prepare(state)) return;
    Jeu& jeu = *host->jeu;
    const LoopClock clock;
    for (auto _ : state) {
        restoreScene(*host);
        pass(jeu);
        benchmark::ClobberMemory();
    }
    reportBudgetShare(state, clock);
}

void BM_RestoreOnly(benchmark::State& state) {
    measurePasses(state, [](Jeu&) {});
}

void BM_ShotUpdate(benchmark::State& state) {
    int32_t hits[MAX_PLAYERS];
    measurePasses(state, [&](Jeu& jeu) {
        jeu.tir.update(jeu.localPlayer.posX, jeu.localPlayer.posY, FRAME_MS, jeu.map, hits);
        benchmark::DoNotOptimize(hits);
    });
}

void BM_Simulate(benchmark::State& state) {
    measurePasses(state, [](Jeu& jeu) { simulate(jeu, host->input); });
}

void BM_Dispatch(benchmark::State& state) {
    measurePasses(state, [&](Jeu& jeu) {
        queueFrameMessages(*host, state.range(0));
        dispatchMessages(jeu);
    });
}

// The whole game logic of a frame, in the loop's order.
void BM_Frame(benchmark::State& state) {
    measurePasses(state, [&](Jeu& jeu) {
        queueFrameMessages(*host, state.range(0));
        simulate(jeu, host->input);
        dispatchMessages(jeu);
    });
}

} // namespace

BENCHMARK(BM_RestoreOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShotUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Simulate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dispatch)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
