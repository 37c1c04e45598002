// Incoming network frames: queued through the transport as received frames and handled by
// the protocol's dispatch on a real, windowless game record, as the host or as a client;
// each dispatch is followed by a simulation step, where what arrived (positions, shots,
// maps) meets the map and the snapshot buffer. The transport is not started: what the game
// sends goes nowhere.
//
// Input: a 4-byte header, then 64-byte frames as they travel (a last partial frame is
// dropped). Header: byte 0 bit 0 set: host; byte 1: the client's own number (0..6, other
// values: not assigned yet); byte 2: the frame time in ms; byte 3: frames per dispatch
// (1..8). A frame whose reserved word is odd is posted by this process (console commands,
// taunts) instead of arriving from the network; otherwise the word's next bits pick the
// connection slot it arrives on.
#include <cstdint>
#include <cstring>
#include <memory>

#include "kit/JeuFixture.h"
#include "FuzzSupport.h"
#include "GameData.h"
#include "game/Jeu.h"
#include "game/Protocole.h"
#include "game/Simulation.h"
#include "net/Reseau.h"
#include "platform/Saisie.h"

namespace {

constexpr size_t HEADER_SIZE = 4;
constexpr int32_t BATCH_MAX = 8;

const kit::TempFolder* folder = nullptr;
Map* arena = nullptr;   // salle.map loaded once, copied into every game
platform::Saisie still; // no key, the cursor on the fixed point of an 800 x 600 window: no look

std::unique_ptr<Jeu> makeGame(Reseau& reseau, bool host, int32_t ownNumber) {
    std::unique_ptr<Jeu> jeu = kit::blankJeu();
    jeu->reseau = &reseau;
    snprintf(jeu->options.pseudo, sizeof jeu->options.pseudo, "moi");
    jeu->options.colour = 2;
    jeu->options.smoothRemotePlayers = 1;
    jeu->options.doorSounds = 1;
    jeu->options.width = 800;
    jeu->options.height = 600;
    jeu->options.verticalSensitivity = 100;
    jeu->options.horizontalSensitivity = 100;
    jeu->mouseCaptured = 1;
    jeu->mapNumber = 0;
    snprintf(jeu->mapName, sizeof jeu->mapName, "salle.map");
    jeu->map = *arena;
    jeu->deathTimer = DEATH_TIMER_ALIVE;
    stopRequested = 0;
    initPlayers(*jeu);
    jeu->localPlayer.posX = 250;
    jeu->localPlayer.posY = 250;
    if (!host && ownNumber >= 0 && ownNumber < HOST_SLOTS) jeu->localPlayer.id = ownNumber;
    return jeu;
}

bool terminated(const char* text, size_t size) {
    return memchr(text, '\0', size) != nullptr;
}

void checkGame(const Jeu& jeu) {
    using fuzzsupport::require;
    const Joueur& me = jeu.localPlayer;
    require(me.id >= -1 && me.id <= HOST_ID, "own number");
    for (const Joueur& r : jeu.remotePlayers) {
        require(r.state == PLAYER_PRESENT || r.state == PLAYER_ABSENT, "slot state");
        require(terminated(r.name, sizeof r.name), "remote name terminated");
        require(terminated(r.version, sizeof r.version), "remote version terminated");
    }
    for (int32_t i = 0; i < TEXTE_SLOTS; ++i)
        require(terminated(jeu.texte.lines[i], TEXTE_LINE_SIZE), "message terminated");
    require(jeu.tir.nextSlot >= 0 && jeu.tir.nextSlot < TIR_SLOTS, "next shot slot");
}

// One frame of the game thread, without the window: messages, then the simulation.
void frame(Jeu& jeu, uint32_t frameTime) {
    dispatchMessages(jeu);
    jeu.frameTimer.elapsed = frameTime;
    simulate(jeu, still);
    checkGame(jeu);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietStdout();
    folder = &fuzzsupport::gameFolder();
    fuzzsupport::writeGameData(*folder);
    platform::clearSaisie(still);
    still.cursorX = 400;
    still.cursorY = 300;
    arena = new Map();
    kit::WorkingFolder inside(folder->path());
    TexturesMap none; // no window: nothing is uploaded
    if (loadPlayMap(*arena, none, "salle.map", 0) != 0) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < HEADER_SIZE) return 0;
    const bool host = (data[0] & 1) != 0;
    const int32_t ownNumber = data[1];
    const uint32_t frameTime = data[2];
    const int32_t batch = 1 + data[3] % BATCH_MAX;

    kit::WorkingFolder inside(folder->path());
    std::unique_ptr<Reseau> reseau(new Reseau());
    reseau->host = host ? 1 : 0;
    std::unique_ptr<Jeu> jeu = makeGame(*reseau, host, ownNumber);

    const size_t frames = (size - HEADER_SIZE) / FRAME_SIZE;
    int32_t waiting = 0;
    for (size_t i = 0; i < frames; ++i) {
        Message m;
        memcpy(&m, data + HEADER_SIZE + i * FRAME_SIZE, FRAME_SIZE);
        // The queue holds 100: a batch never fills it, so enqueue never waits.
        if ((m.reserved & 1) != 0)
            reseau->post(m.type, m.argument, m.payload);
        else
            reseau->enqueue(
                m, static_cast<int32_t>((static_cast<uint32_t>(m.reserved) >> 1) % HOST_SLOTS));
        if (++waiting == batch) {
            frame(*jeu, frameTime);
            waiting = 0;
        }
    }
    frame(*jeu, frameTime);
    return 0;
}
