// The game thread's record and its life: start-up, the paced frame loop, the end.
#pragma once
#include <atomic>
#include <cstdint>

#include "game/Joueur.h"
#include "game/Joueurs.h"
#include "game/Tir.h"
#include "map/Map.h"
#include "media/Son.h"
#include "options/Options.h"
#include "platform/Chrono.h"
#include "render/Texte.h"
#include "render/TexturesMap.h"

class Reseau;

constexpr int32_t FIRE_COOLDOWN = 333;
constexpr int32_t DEATH_TIMER_ALIVE = 3100;
constexpr int32_t DEATH_TIMER_DEAD = 3000;

// Host: what it has seen of the connection in one client slot. Cleared when that
// connection ends, so the next one in the slot starts afresh.
struct Siege {
    uint8_t joined;  // its player has announced itself (one join per connection)
    uint8_t died;    // it has reported a death...
    uint32_t diedAt; // ...at this tick of the host's clock
};

// Everything the game owns; one instance, created once and never copied.
struct Jeu {
    uint8_t dedicated; // 1 on a dedicated server: no window and no player of its own
    int32_t maxFps;
    int32_t mouseCaptured; // 1 while the mouse steers the view
    uint8_t chatOpen;
    int32_t mapNumber;
    int32_t fireCooldown; // ms; a shot may leave while below 0
    int32_t deathTimer;   // ms; above 3000 means alive
    int32_t versionMismatches[7];
    Siege sieges[7]; // host, per client slot
    char mapName[64];
    int32_t cursorPos[2];
    int32_t mouseDx, mouseDy;
    uint32_t playerTextures[2];
    uint32_t fontTexture;
    uint32_t reticleTexture;
    platform::Chrono frameTimer; // whole frames, sleep included
    platform::Chrono workTimer;  // the working part of a frame
    Tir tir;
    Map map;
    TexturesMap mapTextures;
    Texte texte;
    Options options;
    Reseau* reseau;
    Son son;
    Joueurs joueurs;
    Joueur localPlayer;
    Joueur remotePlayers[MAX_PLAYERS];
};

// What the console hands to the game thread when it starts it.
struct ParametresJeu {
    int32_t mapNumber; // -1 for a client
    Options options;
    const char* mapName; // entry of the console's map table; empty for a client
    Reseau* reseau;
};

// Set by the message dispatch when the host kicks this client; ends the frame loop.
extern std::atomic<uint8_t> stopRequested;

// Thread entry: runs a whole game on `params` (a ParametresJeu) and returns 0.
uint32_t gameThreadMain(void* params);

// Opens the window, sets the GL state, loads textures, font, map (host) and sounds.
// 0 on success, 1 at the first failure.
int32_t initGame(Jeu& jeu, Options options, const char* mapName, int32_t mapNumber, Reseau* reseau);
// What initGame sets up apart from the window, its textures and the sounds: the settings,
// timers, message list, an empty map, shots, snapshots, the living player's timers. Prints
// nothing. Windowless games (the bot, the dedicated server) start from here.
void prepareGame(Jeu& jeu, const Options& options, const char* mapName, int32_t mapNumber,
                 Reseau* reseau);
// Loads map file `name` for play as number `number`: with its textures where there is a
// window; a dedicated server, which draws nothing, reads the elements alone. 0 or 1.
int32_t loadGameMap(Jeu& jeu, const char* name, int32_t number);

// The dedicated server's game: prepared without a window, map `mapNumber` loaded, no
// player of its own. 0, or 1 (after the loader's messages) when the map does not load.
int32_t initServerGame(const ParametresJeu& params);
// Starts the server's frame loop on a thread of its own: pacing and the messages, nothing
// drawn, nothing simulated; at the frame cap while somebody plays, at 10 frames a second
// while nobody does. It runs until the process ends. 0, or 1 when it cannot start.
int32_t startServerLoop();

// First step of every frame: sleeps what is left of the frame budget.
void paceFrame(Jeu& jeu);

// Frame budget in ms for a frame-rate cap; 0 (no sleep) for a cap of 0 or less.
int32_t frameBudget(int32_t maxFps);

// Places the local player (host), marks every remote slot absent and every client slot
// unseen.
void initPlayers(Jeu& jeu);
// Remote slots whose player is present.
int32_t countPresentPlayers(const Jeu& jeu);
// Stores a received state into remote slot n; numbers outside 0..7 store nothing.
void applyRemoteState(Jeu& jeu, int32_t n, double posX, double posY, double yaw, double pitch,
                      const uint8_t keys[4]);
