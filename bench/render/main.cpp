// Frames per second of renderFrame at 640 x 480, as the game starts it (initGame from the
// shipped game folder): the arena (map 0) and the stress map (map 3), beside an empty frame
// (clear and swap) measured in the same run, and the parts that explain the figure (the map
// alone, without textures, with message lines, with every element sent). Each is drawn from
// the map's first spawn point, turning a full circle over the frames.
//
//   bench_render [frames] [width height]   (under an X server: xvfb-run -a bench_render)

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#endif

#include "game/Frame.h"
#include "game/Jeu.h"
#include "net/Reseau.h"
#include "platform/Memory.h"
#include "platform/SoftwareRenderer.h"
#include "platform/Thread.h"
#include "platform/Window.h"
#include "render/ChampDeVision.h"
#include "render/MapRender.h"
#include "render/Texte.h"
#include "render/Texture.h"

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

void emptyFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    platform::showFrame();
}

// The map alone, as the frame draws it, without players, overlay or text.
void mapAlone() {
    setupCamera(cameraOf(jeu));
    drawMap(jeu.map, jeu.mapTextures);
    glFlush();
    platform::showFrame();
}

// Diagnostic, not the game's look: the same pixels filled without texture sampling.
void mapAloneUntextured() {
    glDisable(GL_TEXTURE_2D);
    mapAlone();
    glEnable(GL_TEXTURE_2D);
}

// Every element sent, as before the unseen ones were left out.
void mapAloneEveryElement() {
    ChampDeVision everything;
    makeWholeSpace(everything);
    setupCamera(cameraOf(jeu));
    drawMap(jeu.map, jeu.mapTextures, everything);
    glFlush();
    platform::showFrame();
}

void gameFrame() {
    renderFrame(jeu);
}

void standAtFirstSpawn() {
    initPlayers(jeu);
    if (jeu.map.spawnCount > 0) {
        jeu.localPlayer.posX = (jeu.map.spawns[0].x + 0.5) * 100.0;
        jeu.localPlayer.posY = (jeu.map.spawns[0].y + 0.5) * 100.0;
    }
}

// The frames a row counts, apart so that callgrind can count their instructions alone, a
// figure that whatever else the machine runs leaves unchanged:
//   valgrind --tool=callgrind --toggle-collect='*timedFrames*' bench_render 20
// writes one profile per row, numbered in the order the rows are measured.
[[gnu::noinline]] void timedFrames(int32_t frames, void (*draw)()) {
    for (int32_t i = 0; i < frames; ++i) {
        jeu.localPlayer.yaw = 360.0 * i / frames;
        for (int32_t slot = 0; slot < TEXTE_SLOTS; ++slot)
            jeu.texte.timeLeft[slot] = 5000;
        draw();
    }
    glFinish();
#ifdef CALLGRIND_DUMP_STATS
    CALLGRIND_DUMP_STATS;
#endif
}

// From the map's first spawn point, turning a full circle over the frames.
// `flash` 0 is the usual frame; a tiny positive strength draws the flash pass all the same
// (its colour is 0 as a float), as every frame did before that pass was skipped at 0.
Rate measure(int32_t frames, void (*draw)(), double flash = 0.0, int32_t messages = 0) {
    standAtFirstSpawn();
    jeu.localPlayer.damageFlash = flash;
    jeu.texte.initMessages();
    // Lines as long as an arrival's ("tireur tente sa chance!"), kept on screen throughout.
    for (int32_t i = 0; i < messages; ++i)
        jeu.texte.addMessage("joueur%d tente sa chance!", i);
    for (int32_t i = 0; i < WARM_UP; ++i)
        draw();
    glFinish();
    const Stopwatch watch;
    timedFrames(frames, draw);
    return watch.rate(frames);
}

struct Row {
    const char* name;
    Rate rate;
};

// Writes the game frame of every shipped map, from each spawn point, looking four ways and
// a little down, as BMP files in `folder`: two builds' pictures compared file by file
// (ImageMagick's `compare -metric AE`) tell whether a change to the drawing kept them.
int32_t savePictures(const char* folder) {
    const char* maps[] = {"maps\\arene.map", "maps\\salle.map", "maps\\labyrinthe.map",
                          "maps\\stress.map"};
    int32_t saved = 0;
    for (int32_t m = 0; m < 4; ++m) {
        if (loadPlayMap(jeu.map, jeu.mapTextures, maps[m], m) != 0) return -1;
        for (int32_t s = 0; s < jeu.map.spawnCount && s < 4; ++s)
            for (int32_t turn = 0; turn < 4; ++turn) {
                initPlayers(jeu);
                jeu.localPlayer.posX = (jeu.map.spawns[s].x + 0.5) * 100.0;
                jeu.localPlayer.posY = (jeu.map.spawns[s].y + 0.5) * 100.0;
                jeu.localPlayer.yaw = 90.0 * turn + 20.0;
                jeu.localPlayer.pitch = -10.0;
                renderFrame(jeu);
                char path[512];
                snprintf(path, sizeof path, "%s/map%d-spawn%d-turn%d.bmp", folder, m, s, turn);
                if (saveScreenshot(path) != 0) return -1;
                ++saved;
            }
    }
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    const char* pictures = argc > 2 && strcmp(argv[1], "--pictures") == 0 ? argv[2] : nullptr;
    const int32_t frames = pictures != nullptr ? 1 : argc > 1 ? atoi(argv[1]) : 600;
    if (frames <= 0 || (argc > 3 && (atoi(argv[2]) <= 0 || atoi(argv[3]) <= 0)) ||
        chdir(BV_SOURCE_DIR "/data") != 0) {
        fprintf(stderr,
                "usage: bench_render [frames] [width height] | --pictures FOLDER\n"
                "  (needs the game folder %s/data)\n",
                BV_SOURCE_DIR);
        return 2;
    }
    platform::keepFreedMemory(); // both as the game's main does
    platform::drawWithoutRendererThreads();
    Options options;
    fillDefaultOptions(options);
    options.width = argc > 3 && pictures == nullptr ? atoi(argv[2]) : 640;
    options.height = argc > 3 && pictures == nullptr ? atoi(argv[3]) : 480;
    reseau.host = 1; // loads the map as a host does, without starting the transport
    // The start-up's console lines go away; only the report stays on standard output.
    FILE* report = fdopen(dup(STDOUT_FILENO), "w");
    if (report == nullptr || freopen("/dev/null", "w", stdout) == nullptr) return 1;
    if (initGame(jeu, options, "maps\\arene.map", 0, &reseau) != 0) {
        fprintf(report, "bench_render: the game window could not start (no X display?)\n");
        return 1;
    }
    if (pictures != nullptr) {
        const int32_t saved = savePictures(pictures);
        fprintf(report, "bench_render: %d pictures in %s\n", saved, pictures);
        fclose(report);
        platform::exitProcess(saved > 0 ? 0 : 1);
    }
    Row rows[9];
    rows[0] = {"empty frame (clear+swap)", measure(frames, emptyFrame)};
    rows[1] = {"arena: map alone, untextured", measure(frames, mapAloneUntextured)};
    rows[2] = {"arena: map alone", measure(frames, mapAlone)};
    rows[3] = {"arena: game frame", measure(frames, gameFrame)};
    rows[4] = {"arena: + 2 message lines", measure(frames, gameFrame, 0.0, 2)};
    rows[5] = {"arena: + flash pass drawn at 0", measure(frames, gameFrame, 1e-300)};
    if (loadPlayMap(jeu.map, jeu.mapTextures, "maps\\stress.map", 3) != 0) {
        fprintf(report, "bench_render: the stress map could not be loaded\n");
        return 1;
    }
    rows[6] = {"stress: map alone, all sent", measure(frames, mapAloneEveryElement)};
    rows[7] = {"stress: map alone", measure(frames, mapAlone)};
    rows[8] = {"stress: game frame", measure(frames, gameFrame)};
    fprintf(report, "renderer: %s, LP_NUM_THREADS=%s, %dx%d, %d frames each\n",
            reinterpret_cast<const char*>(glGetString(GL_RENDERER)), getenv("LP_NUM_THREADS"),
            options.width, options.height, frames);
    const Rate& empty = rows[0].rate;
    for (const Row& row : rows)
        fprintf(report, "%-32s %7.0f fps = %.3f of empty   cpu %6.2f ms/frame = %5.2f x empty\n",
                row.name, row.rate.fps, row.rate.fps / empty.fps, row.rate.cpuMs,
                row.rate.cpuMs / empty.cpuMs);
    const Rate& arena = rows[3].rate;
    fprintf(report,
            "arena: %.0f fps (goal >= 300). Of its processor time per frame: texture sampling "
            "%.0f %%, two message lines add %.0f %%, the flash pass at 0 would add %.0f %%; on "
            "the stress map, leaving out unseen elements saves %.0f %%\n",
            arena.fps, (rows[2].rate.cpuMs - rows[1].rate.cpuMs) / arena.cpuMs * 100.0,
            (rows[4].rate.cpuMs / arena.cpuMs - 1.0) * 100.0,
            (rows[5].rate.cpuMs / arena.cpuMs - 1.0) * 100.0,
            (1.0 - rows[7].rate.cpuMs / rows[6].rate.cpuMs) * 100.0);
    fclose(report);
    // As the game leaves: at once, without tearing the renderer down under its own threads
    // (which now and then crashed this program on its way out).
    platform::exitProcess(0);
}
