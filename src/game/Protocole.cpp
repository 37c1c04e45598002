#include "game/Protocole.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "game/Jeu.h"
#include "map/Map.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Random.h"

const char* const VERSION_STAMP = "13:48:01";

namespace {

constexpr int32_t TEXT_MAX = PAYLOAD_SIZE - 1; // a payload text and its terminator
constexpr int32_t TAUNT_COUNT = 5;
// Far more than a frame ever sees; keeps the frame alive when a peer floods us.
constexpr int32_t MAX_MESSAGES_PER_FRAME = 1000;
// A player respawns 3 s of its own frame time after it died; its next death cannot be
// reported sooner. The margin allows for the two clocks and the network.
constexpr uint32_t RESPAWN_GRACE_MS = 2500;
const char* const PLACEHOLDER_NAME = "Nouveau joueur";

const char* const TAUNTS[TAUNT_COUNT] = {
    "%s n'etait pas assez fort\n", "%s admet son inferiorite\n",  "%s est vraiment un noob...\n",
    "Tu me decois %s\n",           "Prend pas la quinte %s...\n",
};

FILE* consoleOutput = nullptr;

// Console texts; those printed while the console waits end with its prompt ">>>".
__attribute__((format(printf, 1, 2))) void consolePrint(const char* format, ...) {
    FILE* out = consoleOutput != nullptr ? consoleOutput : stdout;
    va_list args;
    va_start(args, format);
    vfprintf(out, format, args);
    va_end(args);
    fflush(out);
}

// A received text, terminated whatever the peer sent.
struct Text {
    char chars[PAYLOAD_SIZE];
};

// ---- payload fields -----------------------------------------------------------------

double readDouble(const uint8_t* at) {
    double v;
    memcpy(&v, at, sizeof v);
    return v;
}

void writeDouble(uint8_t* at, double v) {
    memcpy(at, &v, sizeof v);
}

// Integer part of a received double, clamped so that NaN and huge values stay defined.
int32_t integerPart(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// A sender's tick count: the integer part wrapped into 32 bits like the counter it came
// from, so the snapshot buffer's wrapping arithmetic sees what the sender's clock said.
int32_t tickPart(double v) {
    constexpr double LIMIT = 9.0e15; // well inside int64, exact in a double
    if (std::isnan(v)) return 0;
    if (v > LIMIT) v = LIMIT;
    if (v < -LIMIT) v = -LIMIT;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

Text readText(const Message& m) {
    Text t;
    memcpy(t.chars, m.payload, PAYLOAD_SIZE);
    t.chars[TEXT_MAX] = '\0';
    // A peer's text reaches the console: no escape sequences or carriage returns that
    // could rewrite the terminal. Line breaks and tabs stay (taunts end with one).
    for (char* c = t.chars; *c != '\0'; ++c) {
        const unsigned char u = static_cast<unsigned char>(*c);
        if ((u < 32 && u != '\n' && u != '\t') || u == 127) *c = '?';
    }
    return t;
}

// A zeroed payload holding `text`, cut to 47 characters.
void writeText(uint8_t payload[PAYLOAD_SIZE], const char* text) {
    memset(payload, 0, PAYLOAD_SIZE);
    const size_t n = strnlen(text, TEXT_MAX);
    memcpy(payload, text, n);
}

void writeDoublePayload(uint8_t payload[PAYLOAD_SIZE], double v) {
    memset(payload, 0, PAYLOAD_SIZE);
    writeDouble(payload, v);
}

// ---- who is who ---------------------------------------------------------------------

bool isHost(const Jeu& jeu) {
    return jeu.reseau->host != 0;
}

// A windowed game has a player of its own; a dedicated server only referees and relays.
bool playsItself(const Jeu& jeu) {
    return jeu.dedicated == 0;
}

bool isClientNumber(int32_t n) {
    return n >= 0 && n < HOST_SLOTS;
}

// Remote slot n, or null for a number outside 0..7.
Joueur* slotOf(Jeu& jeu, int32_t n) {
    return isPlayerNumber(n) ? &jeu.remotePlayers[n] : nullptr;
}

bool isPresent(Jeu& jeu, int32_t n) {
    const Joueur* p = slotOf(jeu, n);
    return p != nullptr && p->state == PLAYER_PRESENT;
}

// The own pseudo, terminated even if the options record was not.
struct Pseudo {
    char chars[PSEUDO_SIZE];
};

Pseudo ownPseudo(const Jeu& jeu) {
    Pseudo p;
    memcpy(p.chars, jeu.options.pseudo, PSEUDO_SIZE);
    p.chars[PSEUDO_SIZE - 1] = '\0';
    return p;
}

void sendToAll(Jeu& jeu, int32_t type, int32_t argument, const uint8_t* payload) {
    jeu.reseau->sendMessage(type, argument, payload, -1);
}

// The host passes what it has handled on to every client, the sender included.
void relay(Jeu& jeu, const Message& m) {
    if (isHost(jeu)) sendToAll(jeu, m.type, m.argument, m.payload);
}

// ---- maps ---------------------------------------------------------------------------

void placeAtSpawn(Jeu& jeu) {
    int32_t cell[2] = {1, 1};
    jeu.map.pickSpawn(cell);
    jeu.localPlayer.posX = (cell[0] + 0.5) * 100;
    jeu.localPlayer.posY = (cell[1] + 0.5) * 100;
}

// Loads a map by a name that came from outside; a name leaving the game folder is refused
// and the current map stays. True when the load was attempted.
bool loadNamedMap(Jeu& jeu, const char* name, int32_t number) {
    if (!isSafeMapName(name)) {
        consolePrint(
            "\nErreur: la map \"%s\" est hors du dossier du jeu, elle n'est pas chargee\n\n>>>",
            name);
        return false;
    }
    // A map that fails to load leaves whatever the loader left; it reports on the console.
    loadGameMap(jeu, name, number);
    return true;
}

// ---- handlers -----------------------------------------------------------------------

bool onAssignId(Jeu& jeu, const Message& m) {
    if (isHost(jeu)) {
        consolePrint("Erreur: reception d'un message ID depuis client\n");
        return false;
    }
    const double number = readDouble(m.payload);
    // Only a client number makes sense here; anything else would impersonate the host.
    if (!(number >= 0 && number < HOST_SLOTS)) return false;
    const int32_t id = static_cast<int32_t>(number);
    jeu.localPlayer.id = id;
    const Pseudo me = ownPseudo(jeu);
    announcePlayer(jeu, id, 0, me.chars, jeu.options.colour, -1);
    return true;
}

void markPresent(Jeu& jeu, int32_t n) {
    Joueur& slot = jeu.remotePlayers[n];
    slot.id = n;
    slot.state = PLAYER_PRESENT;
}

// Host: a client announced itself. It learns who is here, everybody learns of it, and it
// is told which map to load.
void joinPlayer(Jeu& jeu, const Message& m) {
    const int32_t n = m.argument;
    if (!isClientNumber(n)) return;
    jeu.sieges[n].joined = 1;
    jeu.reseau->recognisePeer(m);
    consolePrint("\nNouveau joueur id: %d\n\n>>>", n);
    markPresent(jeu, n);
    const Pseudo me = ownPseudo(jeu);
    uint8_t payload[PAYLOAD_SIZE];
    if (playsItself(jeu)) {
        announcePlayer(jeu, HOST_ID, jeu.localPlayer.score, me.chars, jeu.options.colour, n);
    } else {
        // No player 7 to introduce; only the name its chat lines are shown with. The
        // pseudo is terminated and shorter than a payload.
        memset(payload, 0, PAYLOAD_SIZE);
        memcpy(payload, me.chars, sizeof me.chars);
        jeu.reseau->sendMessage(MSG_NAME, HOST_ID, payload, n);
    }
    for (int32_t k = 0; k < HOST_SLOTS; ++k) {
        if (k == n || !isPresent(jeu, k)) continue;
        const Joueur& other = jeu.remotePlayers[k];
        announcePlayer(jeu, k, other.score, other.name, other.colour, n);
    }
    announcePlayer(jeu, n, 0, PLACEHOLDER_NAME, 0, -1);
    writeText(payload, jeu.mapName);
    jeu.reseau->sendMessage(MSG_LOAD_MAP, jeu.mapNumber, payload, n);
}

bool onNewPlayer(Jeu& jeu, const Message& m) {
    const int32_t n = m.argument;
    if (isHost(jeu)) {
        joinPlayer(jeu, m);
        return false;
    }
    // A client never shows itself as a remote player.
    if (!isPlayerNumber(n) || n == jeu.localPlayer.id || jeu.localPlayer.id == -1) return false;
    consolePrint("\nNouveau joueur id: %d\n>>>", n);
    markPresent(jeu, n);
    return true;
}

bool onName(Jeu& jeu, const Message& m) {
    Joueur* slot = slotOf(jeu, m.argument);
    if (slot != nullptr) {
        const Text name = readText(m);
        memcpy(slot->name, name.chars, PAYLOAD_SIZE);
        if (strcmp(name.chars, PLACEHOLDER_NAME) != 0)
            jeu.texte.addMessage("%s tente sa chance!", name.chars);
    }
    return true;
}

bool onScore(Jeu& jeu, const Message& m) {
    Joueur* slot = slotOf(jeu, m.argument);
    if (slot != nullptr) slot->score = integerPart(readDouble(m.payload));
    return true;
}

bool onColour(Jeu& jeu, const Message& m) {
    Joueur* slot = slotOf(jeu, m.argument);
    if (slot != nullptr) slot->colour = integerPart(readDouble(m.payload));
    return true;
}

bool onVersion(Jeu& jeu, const Message& m) {
    Joueur* slot = slotOf(jeu, m.argument);
    if (slot == nullptr) return false;
    const Text stamp = readText(m);
    memcpy(slot->version, stamp.chars, PAYLOAD_SIZE);
    return true;
}

// Client: the host says which map everybody plays.
bool onLoadMap(Jeu& jeu, const Message& m) {
    if (isHost(jeu)) return false;
    const Text name = readText(m);
    if (loadNamedMap(jeu, name.chars, m.argument)) placeAtSpawn(jeu);
    return true;
}

// Host: its console chose another map; everybody follows.
bool onChangeMap(Jeu& jeu, const Message& m) {
    if (!isHost(jeu)) return false;
    const Text name = readText(m);
    if (!loadNamedMap(jeu, name.chars, m.argument)) return false;
    jeu.mapNumber = m.argument;
    snprintf(jeu.mapName, sizeof jeu.mapName, "%s", name.chars);
    uint8_t payload[PAYLOAD_SIZE];
    writeText(payload, jeu.mapName);
    sendToAll(jeu, MSG_LOAD_MAP, jeu.mapNumber, payload);
    placeAtSpawn(jeu);
    return true;
}

bool onTakeBox(Jeu& jeu, const Message& m) {
    jeu.map.markHealthBoxTaken(m.argument);
    return true;
}

// Host: a client whose stamp differs from ours is kicked after 20 states in a row.
void checkVersion(Jeu& jeu, int32_t n) {
    if (!isClientNumber(n)) return;
    const Joueur& slot = jeu.remotePlayers[n];
    if (strncmp(slot.version, VERSION_STAMP, sizeof slot.version) == 0) {
        jeu.versionMismatches[n] = 0;
        return;
    }
    if (jeu.versionMismatches[n] < INT32_MAX) jeu.versionMismatches[n]++;
    if (jeu.versionMismatches[n] > VERSION_MISMATCH_LIMIT) jeu.reseau->post(MSG_KICK, n, nullptr);
}

bool onState(Jeu& jeu, const Message& m) {
    const int32_t n = m.argument;
    if (isPresent(jeu, n)) {
        if (isHost(jeu)) checkVersion(jeu, n);
        const uint8_t* keys = m.payload + STATE_KEYS_AT;
        const double x = readDouble(m.payload + STATE_POS_X_AT);
        const double y = readDouble(m.payload + STATE_POS_Y_AT);
        const double yaw = readDouble(m.payload + STATE_YAW_AT);
        const double pitch = readDouble(m.payload + STATE_PITCH_AT);
        if (jeu.options.smoothRemotePlayers != 0) {
            const int32_t time = tickPart(readDouble(m.payload + STATE_TICKS_AT));
            pushSnapshot(jeu.joueurs, time, n, x, y, yaw, pitch, keys, platform::ticks());
        } else {
            applyRemoteState(jeu, n, x, y, yaw, pitch, keys);
        }
    }
    return true;
}

bool onShot(Jeu& jeu, const Message& m) {
    const int32_t n = m.argument;
    if (!isPresent(jeu, n)) return false;
    double v[6];
    for (int32_t i = 0; i < 6; ++i)
        v[i] = readDouble(m.payload + 8 * i);
    jeu.tir.fire(v[0], v[1], v[2], v[3], v[4], v[5], n);
    return true;
}

// This process killed player `victim`: a point, the new score for everybody, a taunt.
void creditFrag(Jeu& jeu, int32_t victim) {
    const char* name = jeu.remotePlayers[victim].name;
    consolePrint("Vous gagnez un point!\n>>>");
    jeu.texte.addMessage("Vous venez d'occire %s", name);
    Joueur& me = jeu.localPlayer;
    if (me.score < INT32_MAX) me.score++;
    uint8_t payload[PAYLOAD_SIZE];
    writeDoublePayload(payload, me.score);
    sendToAll(jeu, MSG_SCORE, me.id, payload);

    int32_t t = integerPart(platform::randomUpTo(TAUNT_COUNT));
    if (t < 0) t = 0;
    if (t > TAUNT_COUNT - 1) t = TAUNT_COUNT - 1;
    char taunt[PAYLOAD_SIZE] = {};
    // The payload holds 47 characters: a long pseudo cuts the taunt there.
    snprintf(taunt, sizeof taunt, TAUNTS[t], name);
    jeu.reseau->post(MSG_SAY, 0, taunt);
}

bool onFrag(Jeu& jeu, const Message& m) {
    const double killer = readDouble(m.payload);
    if (playsItself(jeu) && killer == static_cast<double>(jeu.localPlayer.id) &&
        isPlayerNumber(m.argument))
        creditFrag(jeu, m.argument);
    return true;
}

bool onKicked(Jeu& jeu, const Message&) {
    if (!isHost(jeu)) stopRequested = 1;
    return true;
}

bool onSay(Jeu& jeu, const Message& m) {
    const Text text = readText(m);
    uint8_t payload[PAYLOAD_SIZE];
    writeText(payload, text.chars);
    sendToAll(jeu, MSG_CHAT, jeu.localPlayer.id, payload);
    // A client sees its own line when the host's relay comes back.
    if (!isHost(jeu)) return false;
    const Pseudo me = ownPseudo(jeu);
    jeu.texte.addMessage("%s:%s", me.chars, text.chars);
    consolePrint("\n%s:%s\n\n>>>", me.chars, text.chars);
    return true;
}

bool onChat(Jeu& jeu, const Message& m) {
    const Joueur* slot = slotOf(jeu, m.argument);
    if (slot != nullptr) {
        const Text text = readText(m);
        jeu.texte.addMessage("%s:%s", slot->name, text.chars);
        consolePrint("\n%s:%s\n\n>>>", slot->name, text.chars);
    }
    return true;
}

bool onShowScores(Jeu& jeu, const Message&) {
    consolePrint("Score:");
    for (int32_t k = 0; k < MAX_PLAYERS; ++k) {
        if (k == jeu.localPlayer.id || !isPresent(jeu, k)) continue;
        const Joueur& p = jeu.remotePlayers[k];
        consolePrint("\nScore de %s(%d)=%d", p.name, k, p.score);
        jeu.texte.addMessage("Score de %s=%d", p.name, p.score);
    }
    if (!playsItself(jeu)) {
        consolePrint("\n\n>>>");
        return true;
    }
    consolePrint("\nMon score (%d)=%d!!\n\n>>>", jeu.localPlayer.id, jeu.localPlayer.score);
    jeu.texte.addMessage("Mon score=%d!!", jeu.localPlayer.score);
    return true;
}

// The kicked client's connection stays open: its receive thread and slot end only when
// the client goes away, so it cannot come straight back into the same slot.
bool onKick(Jeu& jeu, const Message& m) {
    const int32_t n = m.argument;
    Joueur* slot = slotOf(jeu, n);
    if (slot != nullptr) slot->state = PLAYER_ABSENT;
    // Any other peer number would mean "everybody".
    if (isHost(jeu) && isClientNumber(n)) {
        jeu.reseau->forgoRelays(n);
        jeu.reseau->sendMessage(MSG_KICKED, 0, nullptr, n);
    }
    return true;
}

bool onHit(Jeu& jeu, const Message& m) {
    if (m.argument == jeu.localPlayer.id) jeu.son.playSound(SON_TOUCHE);
    return true;
}

bool onPlayerLeft(Jeu& jeu, const Message& m) {
    if (isHost(jeu) && isClientNumber(m.argument)) {
        Siege& seat = jeu.sieges[m.argument];
        // A connection that never announced itself had no player to lose.
        if (seat.joined == 0) return false;
        seat = Siege();
    }
    Joueur* slot = slotOf(jeu, m.argument);
    if (slot != nullptr) {
        slot->state = PLAYER_ABSENT;
        jeu.texte.addMessage("%s a pris la quinte...", slot->name);
    }
    return true;
}

bool onHostLost(Jeu& jeu, const Message&) {
    jeu.texte.addMessage("L'hote a pris la quinte...");
    return true;
}

bool onResetScores(Jeu& jeu, const Message& m) {
    consolePrint("Remise a 0 des scores\n");
    if (!playsItself(jeu)) return true;
    jeu.localPlayer.score = 0;
    uint8_t payload[PAYLOAD_SIZE];
    writeDoublePayload(payload, 0.0);
    sendToAll(jeu, MSG_SCORE, jeu.localPlayer.id, payload);
    return true;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

} // namespace

void setConsoleOutput(FILE* out) {
    consoleOutput = out;
}

namespace {

// ---- who may say what ---------------------------------------------------------------

// The protocol in one table: for each type, who may put it into the queue (a peer, only
// this process, or only this process on the host, which then relays it), whether its
// argument must be the sender's own number, whether the host relays it once acted on, and
// its handler. A handler says whether it acted on the message; types without one mean
// nothing. Adding a message type is one row.
enum : uint8_t { FROM_PEER, POSTED, POSTED_ON_HOST };
using Handler = bool (*)(Jeu&, const Message&);
struct TypeRule {
    uint8_t from;
    bool namesSender;
    bool relayed;
    Handler handle;
};
constexpr int32_t TYPE_COUNT = MSG_RESET_SCORES + 1;
constexpr TypeRule TYPE_RULES[TYPE_COUNT] = {
    {FROM_PEER, false, false, onAssignId},        // MSG_ASSIGN_ID
    {FROM_PEER, true, false, onNewPlayer},        // MSG_NEW_PLAYER
    {FROM_PEER, true, true, onName},              // MSG_NAME
    {FROM_PEER, true, true, onScore},             // MSG_SCORE
    {FROM_PEER, false, false, nullptr},           // 4
    {FROM_PEER, false, false, onLoadMap},         // MSG_LOAD_MAP
    {FROM_PEER, true, true, onColour},            // MSG_COLOUR
    {FROM_PEER, true, false, onVersion},          // MSG_VERSION
    {POSTED, false, false, onChangeMap},          // MSG_CHANGE_MAP
    {FROM_PEER, false, true, onTakeBox},          // MSG_TAKE_BOX: a box
    {FROM_PEER, true, true, onState},             // MSG_STATE
    {FROM_PEER, false, false, nullptr},           // 11
    {FROM_PEER, true, true, onShot},              // MSG_SHOT
    {FROM_PEER, true, true, onFrag},              // MSG_FRAG: the victim's own death
    {FROM_PEER, false, false, onKicked},          // MSG_KICKED
    {POSTED, false, false, onSay},                // MSG_SAY
    {FROM_PEER, true, true, onChat},              // MSG_CHAT
    {POSTED, false, false, onShowScores},         // MSG_SHOW_SCORES
    {POSTED, false, false, onKick},               // MSG_KICK
    {FROM_PEER, false, true, onHit},              // MSG_HIT: the shooter, named by its victim
    {POSTED_ON_HOST, false, true, onPlayerLeft},  // MSG_PLAYER_LEFT
    {POSTED, false, false, onHostLost},           // MSG_HOST_LOST
    {POSTED_ON_HOST, false, true, onResetScores}, // MSG_RESET_SCORES
};

// A peer sending what only this process may post (a kick, a map change...) is ignored.
bool isPostedOnly(const Jeu& jeu, const TypeRule& rule) {
    return rule.from == POSTED || (rule.from == POSTED_ON_HOST && isHost(jeu));
}

// Host: each connection speaks for its own player only, joins once, and reports at most one
// death per respawn; one that has not announced itself speaks for nobody. A refused frame
// is neither acted on nor relayed, and costs nothing more. Clients take the host's word.
bool refusedFromClient(Jeu& jeu, const TypeRule& rule, const Message& m) {
    const int32_t s = originOf(m);
    if (!isHost(jeu) || !isClientNumber(s)) return false;
    Siege& seat = jeu.sieges[s];
    if (m.type == MSG_NEW_PLAYER) return seat.joined != 0 || m.argument != s;
    if (seat.joined == 0) return true;
    if (rule.namesSender && m.argument != s) return true;
    if (m.type != MSG_FRAG) return false;
    const uint32_t now = platform::ticks();
    if (seat.died != 0 && now - seat.diedAt < RESPAWN_GRACE_MS) return true;
    seat.died = 1;
    seat.diedAt = now;
    return false;
}

} // namespace

void handleMessage(Jeu& jeu, const Message& m) {
    if (m.type < 0 || m.type >= TYPE_COUNT) return;
    const TypeRule& rule = TYPE_RULES[m.type];
    if (rule.handle == nullptr) return;
    if (m.reserved != FROM_THIS_PROCESS &&
        (isPostedOnly(jeu, rule) || refusedFromClient(jeu, rule, m)))
        return;
    if (rule.handle(jeu, m) && rule.relayed && !wasRelayedOnReceipt(m)) relay(jeu, m);
}

bool relaysOnReceipt(const Message& frame, int32_t slot) {
    return (frame.type == MSG_STATE || frame.type == MSG_SHOT) && frame.argument == slot;
}

// Every 500 ms of frame time, or at once when the simulation forced it (500).
void sendStateIfDue(Jeu& jeu) {
    if (!playsItself(jeu)) return;
    Joueur& me = jeu.localPlayer;
    const uint32_t elapsed = jeu.frameTimer.elapsed;
    const int64_t timer = static_cast<int64_t>(me.stateSendTimer) + elapsed;
    me.stateSendTimer = timer > INT32_MAX ? INT32_MAX : static_cast<int32_t>(timer);
    if (me.stateSendTimer < STATE_SEND_PERIOD) return;
    me.stateSendTimer = 0;
    uint8_t payload[PAYLOAD_SIZE] = {};
    memcpy(payload + STATE_KEYS_AT, me.keys, 4);
    writeDouble(payload + STATE_TICKS_AT, static_cast<double>(platform::ticks()));
    writeDouble(payload + STATE_POS_X_AT, me.posX);
    writeDouble(payload + STATE_POS_Y_AT, me.posY);
    writeDouble(payload + STATE_YAW_AT, me.yaw);
    writeDouble(payload + STATE_PITCH_AT, me.pitch);
    sendToAll(jeu, MSG_STATE, me.id, payload);
}

bool isSafeMapName(const char* name) {
    if (isSeparator(name[0])) return false;
    // "C:..." names a drive, not the game folder.
    if (name[0] != '\0' && name[1] == ':') return false;
    const char* part = name;
    for (const char* c = name;; ++c) {
        if (*c != '\0' && !isSeparator(*c)) continue;
        if (c - part == 2 && part[0] == '.' && part[1] == '.') return false;
        if (*c == '\0') return true;
        part = c + 1;
    }
}

void announcePlayer(Jeu& jeu, int32_t n, int32_t score, const char name[48], int32_t colour,
                    int32_t peer) {
    Reseau& r = *jeu.reseau;
    uint8_t payload[PAYLOAD_SIZE];
    r.sendMessage(MSG_NEW_PLAYER, n, nullptr, peer);
    writeText(payload, name);
    r.sendMessage(MSG_NAME, n, payload, peer);
    writeText(payload, VERSION_STAMP);
    r.sendMessage(MSG_VERSION, jeu.localPlayer.id, payload, peer);
    writeDoublePayload(payload, score);
    r.sendMessage(MSG_SCORE, n, payload, peer);
    writeDoublePayload(payload, colour);
    r.sendMessage(MSG_COLOUR, n, payload, peer);
}

void dispatchMessages(Jeu& jeu) {
    if (jeu.reseau == nullptr) return;
    if (isHost(jeu)) {
        jeu.localPlayer.id = HOST_ID;
        // States and shots need no turn of the game loop: they go on as they arrive.
        jeu.reseau->relayOnReceipt(relaysOnReceipt);
    }
    // A busy host relays dozens of frames here: they leave together at the end, one
    // system call per peer.
    jeu.reseau->holdSends();
    Message m;
    for (int32_t i = 0; i < MAX_MESSAGES_PER_FRAME && jeu.reseau->nextMessage(m) == 0; ++i) {
        handleMessage(jeu, m);
        jeu.reseau->handled(m);
    }
    sendStateIfDue(jeu);
    // Once a frame, so that every map change, join, kick and leave shows without a call of
    // its own; before the frames leave, so that a peer who got them finds the host up to date.
    if (isHost(jeu)) showGameOnLan(jeu);
    jeu.reseau->releaseSends();
}

void showGameOnLan(Jeu& jeu) {
    // The host's own player counts when it plays.
    jeu.reseau->vitrine.publish(jeu.mapName, countPresentPlayers(jeu) + (playsItself(jeu) ? 1 : 0));
}
