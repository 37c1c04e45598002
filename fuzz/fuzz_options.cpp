// The options file: the whole input is the file "options". It is loaded, saved and loaded
// again (the record must come back the same), then one frame of a windowless game runs
// with it, where the settings meet the mouse look and the frame pacing.
#include <cstdint>
#include <cstring>
#include <memory>

#include "kit/JeuFixture.h"
#include "FuzzSupport.h"
#include "game/Jeu.h"
#include "game/Simulation.h"
#include "options/Options.h"
#include "platform/Saisie.h"

namespace {

const kit::TempFolder* folder = nullptr;

// The pseudo as text: the bytes after its terminator mean nothing.
bool sameOptions(const Options& a, const Options& b) {
    return a.width == b.width && a.height == b.height && a.maxFps == b.maxFps &&
           a.visibility == b.visibility && a.fog == b.fog &&
           a.verticalSensitivity == b.verticalSensitivity &&
           a.horizontalSensitivity == b.horizontalSensitivity && a.doorSounds == b.doorSounds &&
           a.smoothRemotePlayers == b.smoothRemotePlayers && a.colour == b.colour &&
           strcmp(a.pseudo, b.pseudo) == 0;
}

// One simulation step with these settings and the mouse away from the fixed point.
void playOneFrame(const Options& o) {
    std::unique_ptr<Jeu> jeu = kit::blankJeu();
    jeu->options = o;
    jeu->maxFps = o.maxFps;
    jeu->mouseCaptured = 1;
    jeu->deathTimer = DEATH_TIMER_ALIVE;
    initPlayers(*jeu);
    jeu->localPlayer.posX = 500;
    jeu->localPlayer.posY = 500;
    jeu->frameTimer.elapsed = 16;
    platform::Saisie input;
    platform::clearSaisie(input);
    input.cursorX = 123;
    input.cursorY = 77;
    simulate(*jeu, input);
    frameBudget(jeu->maxFps);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietStdout();
    folder = &fuzzsupport::gameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using fuzzsupport::require;
    folder->write(OPTIONS_FILE_NAME, data, size);
    kit::WorkingFolder inside(folder->path());

    Options loaded;
    memset(&loaded, 0xA5, sizeof loaded);
    require(loadOptions(loaded) == 0, "a readable folder always yields options");
    require(memchr(loaded.pseudo, '\0', PSEUDO_SIZE) != nullptr, "pseudo terminated");
    require(loaded.smoothRemotePlayers == 1, "remote players always smoothed");

    require(saveOptions(loaded) == 0, "options saved");
    Options again;
    memset(&again, 0x5A, sizeof again);
    require(loadOptions(again) == 0, "saved options load");
    require(sameOptions(loaded, again), "saved options load back the same");

    playOneFrame(loaded);
    return 0;
}
