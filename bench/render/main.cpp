// Frames per second of renderFrame at 640 x 480, as the game starts it (initGame from the
// shipped game folder): the arena (map 0) and the stress map (map 3), beside an empty frame
// (clear and swap) measured in the same run. Each map is drawn from its first spawn point,
// turning a full circle over the frames so every direction counts.
//
//   bench_render [frames]      (run under an X server: xvfb-run -a bench_render)
#include <GL/gl.h>
#include <SDL/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

#include "game/Frame.h"
#include "game/Jeu.h"
#include "net/Reseau.h"

namespace {

constexpr int32_t WARM_UP = 20;

Jeu jeu;
Reseau reseau;

// Frames per second by the wall clock, and processor time per frame in ms (every thread of
// the process: Mesa rasterises on threads of its own), which a busy machine disturbs less.
struct Rate {
    double fps;
    double cpuMs;
};

double processCpuSeconds() {
    timespec t = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Stopwatch {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double cpuStart = processCpuSeconds();
    Rate rate(int32_t frames) const {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return {frames / wall, (processCpuSeconds() - cpuStart) * 1000.0 / frames};
    }
};

Rate emptyFrames(int32_t frames) {
    for (int32_t i = 0; i < WARM_UP; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
    glFinish();
    const Stopwatch watch;
    for (int32_t i = 0; i < frames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
    glFinish();
    return watch.rate(frames);
}

void standAtFirstSpawn() {
    initPlayers(jeu);
    if (jeu.map.spawnCount > 0) {
        jeu.localPlayer.posX = (jeu.map.spawns[0].x + 0.5) * 100.0;
        jeu.localPlayer.posY = (jeu.map.spawns[0].y + 0.5) * 100.0;
    }
}

// `flash` 0 is the usual frame; a tiny positive strength draws the flash pass all the same
// (its colour is 0 as a float), as every frame did before that pass was skipped at 0.
Rate mapFrames(int32_t frames, double flash) {
    standAtFirstSpawn();
    jeu.localPlayer.damageFlash = flash;
    for (int32_t i = 0; i < WARM_UP; ++i)
        renderFrame(jeu);
    glFinish();
    const Stopwatch watch;
    for (int32_t i = 0; i < frames; ++i) {
        jeu.localPlayer.yaw = 360.0 * i / frames;
        renderFrame(jeu);
    }
    glFinish();
    return watch.rate(frames);
}

} // namespace

int main(int argc, char** argv) {
    const int32_t frames = argc > 1 ? atoi(argv[1]) : 600;
    if (frames <= 0 || chdir(BV_SOURCE_DIR "/data") != 0) {
        fprintf(stderr, "usage: bench_render [frames]  (needs the game folder %s/data)\n",
                BV_SOURCE_DIR);
        return 2;
    }
    Options options;
    fillDefaultOptions(options);
    options.width = 640;
    options.height = 480;
    reseau.host = 1; // loads the map as a host does, without starting the transport
    // The start-up's console lines go away; only the report stays on standard output.
    FILE* report = fdopen(dup(STDOUT_FILENO), "w");
    if (report == nullptr || freopen("/dev/null", "w", stdout) == nullptr) return 1;
    if (initGame(jeu, options, "maps\\arene.map", 0, &reseau) != 0) {
        fprintf(report, "bench_render: the game window could not start (no X display?)\n");
        return 1;
    }
    const Rate empty = emptyFrames(frames);
    const Rate arena = mapFrames(frames, 0.0);
    const Rate arenaFlash = mapFrames(frames, 1e-300);
    if (jeu.map.load("maps\\stress.map", 1, 3) != 0) {
        fprintf(report, "bench_render: the stress map could not be loaded\n");
        return 1;
    }
    const Rate stress = mapFrames(frames, 0.0);
    fprintf(report, "renderer: %s, %dx%d, %d frames each\n",
            reinterpret_cast<const char*>(glGetString(GL_RENDERER)), options.width, options.height,
            frames);
    const struct {
        const char* name;
        Rate rate;
    } rows[4] = {{"empty frame (clear+swap)", empty},
                 {"arena (map 0)", arena},
                 {"arena, flash pass drawn at 0", arenaFlash},
                 {"stress (map 3)", stress}};
    for (const auto& row : rows)
        fprintf(report, "%-30s %7.0f fps = %.3f of empty   cpu %6.2f ms/frame = %5.2f x empty\n",
                row.name, row.rate.fps, row.rate.fps / empty.fps, row.rate.cpuMs,
                row.rate.cpuMs / empty.cpuMs);
    fprintf(report,
            "arena: %.0f fps (goal >= 300); skipping the flash pass at 0 saves %.0f %% of "
            "its processor time per frame\n",
            arena.fps, (1.0 - arena.cpuMs / arenaFlash.cpuMs) * 100.0);
    fclose(report);
    SDL_Quit();
    return 0;
}
