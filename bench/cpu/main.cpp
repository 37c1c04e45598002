// Processor use of the game (user + system time of the whole process, all its threads, read
// from /proc) over a measuring window, as a share of one core: an idle console, an idle host
// (window open, nobody joined), and a host relaying seven raw protocol peers that each send
// a state every 3 ms, a client's frame at the default cap of 300.
//
//   bench_cpu [seconds] [width height]      (run under an X server: xvfb-run -a ...)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "BenchSupport.h"
#include "GameFolder.h"
#include "LiveProcess.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

namespace {

constexpr int STARTUP_MS = 30000;
constexpr int32_t PEERS = HOST_SLOTS;
constexpr uint32_t CLIENT_FRAME_MS = 3;
constexpr const char* WINDOW_READY = "Pas d'erreur durant l'initialisation de la fenetre";

using Clock = std::chrono::steady_clock;

// User + system time of process `pid` in seconds, or -1.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')'); // the command name may hold spaces
    if (close == std::string::npos) return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 3; i <= 13; ++i)
        fields >> skip;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Share of one core that `pid` used while `during` ran for `seconds`.
template <typename Work> double measure(pid_t pid, int32_t seconds, Work during) {
    const double before = cpuSeconds(pid);
    const Clock::time_point start = Clock::now();
    during(start + std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return (cpuSeconds(pid) - before) / wall * 100.0;
}

void idle(Clock::time_point until) {
    while (Clock::now() < until)
        platform::sleepMs(50);
}

// Reads what the host relays, as a client's receive thread would.
void drainEntry(void* params) {
    bench::Peer* peer = static_cast<bench::Peer*>(params);
    Message m;
    while (platform::receiveExactly(peer->socket, &m, FRAME_SIZE) == 0) {
    }
}

struct Crowd {
    bench::Peer peers[PEERS];
    bool join(uint16_t port) {
        for (int32_t i = 0; i < PEERS; ++i) {
            char name[16];
            snprintf(name, sizeof name, "robot%d", i);
            if (peers[i].join(port, name, i) < 0) return false;
        }
        for (bench::Peer& p : peers)
            if (platform::startThread(drainEntry, &p) != 0) return false;
        return true;
    }
    // Every peer sends its state once per client frame, walking in a circle.
    void play(Clock::time_point until) {
        uint8_t payload[PAYLOAD_SIZE];
        for (int32_t frame = 0; Clock::now() < until; ++frame) {
            for (int32_t i = 0; i < PEERS; ++i) {
                const double yaw = frame * 0.5 + i * 45.0;
                bench::statePayload(payload, platform::ticks(), 1500.0 + i * 100.0, 1500.0, yaw);
                peers[i].send(MSG_STATE, peers[i].id, payload);
            }
            platform::sleepMs(CLIENT_FRAME_MS);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    const int32_t seconds = argc > 1 ? atoi(argv[1]) : 10;
    kit::GameSettings settings;
    settings.pseudo = "hote";
    settings.maxFps = 300;
    settings.width = argc > 3 ? atoi(argv[2]) : 640;
    settings.height = argc > 3 ? atoi(argv[3]) : 480;
    if (seconds <= 0 || settings.width <= 0 || settings.height <= 0) {
        fprintf(stderr, "usage: bench_cpu [seconds] [width height]\n");
        return 2;
    }
    kit::GameFolder folder(settings);
    const uint16_t port = bench::freePort();
    kit::LiveProcess game;
    if (!folder.ok() || port == 0 ||
        !game.start(BV_GAME_EXE, {}, folder.path(), {"SDL_AUDIODRIVER=dummy"}) ||
        !game.waitFor("\n>>>", STARTUP_MS)) {
        fprintf(stderr, "bench_cpu: the game could not start\n");
        return 1;
    }
    const double console = measure(game.pid(), seconds, idle);
    game.send("start");
    game.send("s");
    game.send(std::to_string(port));
    game.send("0");
    if (!game.waitFor(WINDOW_READY, STARTUP_MS)) {
        fprintf(stderr, "bench_cpu: the host's window did not open (no X display?)\n");
        return 1;
    }
    const double host = measure(game.pid(), seconds, idle);
    Crowd crowd;
    if (!crowd.join(port)) {
        fprintf(stderr, "bench_cpu: the peers could not join\n");
        return 1;
    }
    platform::sleepMs(500);
    const double relaying =
        measure(game.pid(), seconds, [&](Clock::time_point until) { crowd.play(until); });
    printf("game CPU, share of one core over %d s (host: cap 300, window %dx%d, map 0)\n", seconds,
           settings.width, settings.height);
    printf("idle console:                         %6.1f %%\n", console);
    printf("idle host:                            %6.1f %%\n", host);
    printf("host relaying 7 peers, state / 3 ms:  %6.1f %%   = %.2f x idle host\n", relaying,
           host > 0 ? relaying / host : 0.0);
    return 0;
}
