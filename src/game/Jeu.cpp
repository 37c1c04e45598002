#include "game/Jeu.h"

#include "game/Frame.h"
#include "game/Input.h"
#include "game/Protocole.h"
#include "game/Simulation.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "platform/Saisie.h"
#include "platform/Thread.h"
#include "platform/Window.h"
#include "render/GlState.h"
#include "render/Texture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

std::atomic<uint8_t> stopRequested{0};

namespace {

const char* const WINDOW_CAPTION = "Brumevoltigeante 4 - Multijoueur";

// The game record is large and lives as long as the game thread: one static instance.
Jeu theGame;
platform::Saisie theInput;

// Prints the path, loads it; 0 (after the error line) when it cannot be loaded.
uint32_t loadGameTexture(const char* path, bool mipmapped) {
    printf("%s\n", path);
    uint32_t t = loadTexture(path, mipmapped);
    if (t == 0) printf("Erreur: Impossible de charger la texture %s\n", path);
    return t;
}

int32_t loadImages(Jeu& jeu) {
    printf("Chargement des texture des joueurs...\n");
    jeu.playerTextures[0] = loadGameTexture("donnees\\joueur\\j1.jpg", true);
    if (jeu.playerTextures[0] == 0) return 1;
    jeu.playerTextures[1] = loadGameTexture("donnees\\joueur\\j2.jpg", true);
    if (jeu.playerTextures[1] == 0) return 1;
    printf("Chargement des texture de l'arme...\n");
    jeu.reticleTexture = loadGameTexture("donnees\\arme\\reticule.gif", true);
    if (jeu.reticleTexture == 0) return 1;
    printf("Initialisation du texte...\n");
    jeu.fontTexture = loadGameTexture("donnees\\police\\police.tga", false);
    if (jeu.fontTexture == 0) {
        printf("Initialisation du texte impossible\n");
        return 1;
    }
    return 0;
}

const char* const SOUND_FILES[7] = {
    "donnees\\son\\pan.wav",         "donnees\\son\\touche.wav", "donnees\\son\\mal.wav",
    "donnees\\son\\teleporteur.wav", "donnees\\son\\ouvre.wav",  "donnees\\son\\ferme.wav",
    "donnees\\son\\caisse.wav",
};

void copyName(char (&dst)[64], const char* src) {
    snprintf(dst, sizeof dst, "%s", src != nullptr ? src : "");
}

// While the mouse steers the view the cursor stays hidden at the fixed point, so the next
// frame reads only the motion made since.
void placeCursor(const Jeu& jeu) {
    int32_t x = 0;
    int32_t y = 0;
    if (heldCursorPoint(jeu, x, y)) {
        platform::showCursor(false);
        platform::warpCursor(x, y);
    } else {
        platform::showCursor(true);
    }
}

} // namespace

int32_t frameBudget(int32_t maxFps) {
    return maxFps > 0 ? 1000 / maxFps : 0;
}

void prepareGame(Jeu& jeu, const Options& options, const char* mapName, int32_t mapNumber,
                 Reseau* reseau) {
    jeu.mapNumber = mapNumber;
    copyName(jeu.mapName, mapName);
    jeu.options = options;
    jeu.reseau = reseau;
    jeu.maxFps = options.maxFps;
    jeu.mouseCaptured = 1;
    jeu.chatOpen = 0;
    jeu.frameTimer.clear();
    jeu.workTimer.clear();
    jeu.texte.initMessages();
    jeu.map.clear();
    jeu.tir.init();
    jeu.fireCooldown = 0;
    stopRequested = 0;
    initSnapshots(jeu.joueurs);
    jeu.deathTimer = DEATH_TIMER_ALIVE;
    for (int32_t& m : jeu.versionMismatches)
        m = 0;
}

int32_t loadGameMap(Jeu& jeu, const char* name, int32_t number) {
    if (jeu.dedicated == 0) return loadPlayMap(jeu.map, jeu.mapTextures, name, number);
    printf("On charge la map %s de numero %d\n", name, number);
    return jeu.map.loadElements(name);
}

int32_t initGame(Jeu& jeu, Options options, const char* mapName, int32_t mapNumber,
                 Reseau* reseau) {
    prepareGame(jeu, options, mapName, mapNumber, reseau);

    printf("\nInitialisation de SDL\n");
    if (platform::startVideo() != 0) return 1;
    printf("Changement du titre de la fenetre\n");
    platform::setWindowCaption(WINDOW_CAPTION);
    printf("Initialisation d'opengl\n");
    if (options.width <= 0 || options.height <= 0) return 1; // no window of that size
    if (platform::openGlWindow(options.width, options.height) != 0) return 1;
    initGlutOnce();
    setGlState(options);

    if (loadImages(jeu) != 0) return 1;
    buildFont(jeu.fontTexture);

    printf("Chargement de la map...\n");
    if (reseau != nullptr && reseau->host != 0 && loadGameMap(jeu, jeu.mapName, mapNumber) != 0) {
        printf("Erreur lors du chargement de la map");
        return 1;
    }

    printf("Initialisation des sons\n");
    jeu.son.initSounds();
    for (const char* file : SOUND_FILES)
        jeu.son.loadSound(file);
    platform::repeatKeys(500, 50);
    return 0;
}

void paceFrame(Jeu& jeu) {
    // A long time without a shot must not wrap the cooldown round to a large positive value.
    const int64_t cooldown =
        static_cast<int64_t>(jeu.fireCooldown) - static_cast<int64_t>(jeu.frameTimer.elapsed);
    jeu.fireCooldown = cooldown < INT32_MIN ? INT32_MIN : static_cast<int32_t>(cooldown);
    jeu.workTimer.tick();
    const int64_t left =
        static_cast<int64_t>(frameBudget(jeu.maxFps)) - static_cast<int64_t>(jeu.workTimer.elapsed);
    platform::sleepMs(left >= 0 ? static_cast<uint32_t>(left) : 0);
    jeu.frameTimer.tick();
    jeu.workTimer.tick();
}

void initPlayers(Jeu& jeu) {
    int32_t cell[2] = {1, 1};
    jeu.map.pickSpawn(cell);
    Joueur& me = jeu.localPlayer;
    memset(&me, 0, sizeof me);
    me.id = -1;
    me.health = 75.0;
    me.colour = jeu.options.colour;
    if (jeu.reseau != nullptr && jeu.reseau->host != 0) {
        me.posX = (cell[0] + 0.5) * 100;
        me.posY = (cell[1] + 0.5) * 100;
    }
    me.score = 0;
    me.stateSendTimer = 0;
    me.state = 0;
    for (Joueur& r : jeu.remotePlayers) {
        memset(&r, 0, sizeof r);
        r.state = PLAYER_ABSENT;
    }
    memset(jeu.sieges, 0, sizeof jeu.sieges);
}

int32_t countPresentPlayers(const Jeu& jeu) {
    int32_t n = 0;
    for (const Joueur& p : jeu.remotePlayers)
        if (p.state == PLAYER_PRESENT) ++n;
    return n;
}

void applyRemoteState(Jeu& jeu, int32_t n, double posX, double posY, double yaw, double pitch,
                      const uint8_t keys[4]) {
    if (!isPlayerNumber(n)) return;
    Joueur& r = jeu.remotePlayers[n];
    r.posX = posX;
    r.posY = posY;
    r.yaw = yaw;
    r.pitch = pitch;
    memcpy(r.keys, keys, 4);
}

uint32_t gameThreadMain(void* params) {
    const ParametresJeu& p = *static_cast<const ParametresJeu*>(params);
    const Options options = p.options;
    Jeu& jeu = theGame;
    bool running = initGame(jeu, options, p.mapName, p.mapNumber, p.reseau) == 0;
    initPlayers(jeu);
    if (!running) {
        printf("\nErreur lors de l'initialisation de la fenetre\n\n>>>");
    } else {
        // A host is found by searches from the moment it says it is ready.
        if (jeu.reseau != nullptr && jeu.reseau->host != 0) showGameOnLan(jeu);
        printf("\n\tPas d'erreur durant l'initialisation de la fenetre\n\n>>>");
    }
    platform::Saisie& saisie = theInput;
    platform::clearSaisie(saisie);
    while (running) {
        paceFrame(jeu);
        // A kicked game stops without taking the window's events.
        if (stopRequested == 0) platform::readEvents(saisie);
        running = handleEvents(jeu, saisie);
        platform::readDevices(saisie);
        simulate(jeu, saisie);
        placeCursor(jeu);
        renderFrame(jeu);
        dispatchMessages(jeu);
    }
    // The console and the network live on; nobody will read the queue any more.
    if (jeu.reseau != nullptr) jeu.reseau->detachConsumer();
    platform::stopVideo();
    return 0;
}

int32_t initServerGame(const ParametresJeu& params) {
    Jeu& jeu = theGame;
    jeu.dedicated = 1;
    prepareGame(jeu, params.options, params.mapName, params.mapNumber, params.reseau);
    // A cap of 0 or above 1000 would leave no sleep in the frame: a server never spins.
    if (frameBudget(jeu.maxFps) == 0) jeu.maxFps = 1000;
    if (loadGameMap(jeu, jeu.mapName, jeu.mapNumber) != 0) {
        printf("Erreur lors du chargement de la map\n");
        return 1;
    }
    initPlayers(jeu);
    return 0;
}

namespace {

// While nobody plays, a few frames a second are enough to take in newcomers, and an idle
// server costs next to nothing.
constexpr int32_t IDLE_FPS = 10;

// The windowed loop without its window: no events, no simulation of a player it does not
// have, nothing drawn.
void serverLoop(void*) {
    Jeu& jeu = theGame;
    const int32_t cap = jeu.maxFps;
    for (;;) {
        jeu.maxFps = countPresentPlayers(jeu) > 0 ? cap : IDLE_FPS;
        paceFrame(jeu);
        dispatchMessages(jeu);
    }
}

} // namespace

int32_t startServerLoop() {
    return platform::startThread(serverLoop, nullptr) == 0 ? 0 : 1;
}
