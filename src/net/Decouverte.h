// Finding games on the LAN: a console broadcasts a probe on a fixed UDP port and every host
// there answers with its TCP port, pseudo, map and player count.
//
// Both datagrams are DISCOVERY_SIZE bytes, integers little-endian:
//   0  magic "BVLD"      4  version (1)      5  kind (1 probe, 2 answer)
//   6  u16 TCP port      8  u32 nonce        12 u32 instance
//   16 u8 players        17 u8 seats (8)     18 two zero bytes
//   20 pseudo, 32 bytes  52 map name, 64 bytes   116 twelve zero bytes
// A probe fills only the first 12 bytes (port 0); the rest is zero and not read. An answer
// echoes the probe's nonce, so a search takes only answers to itself; the instance is drawn
// once per host, so a host heard through two interfaces is listed once. The probe is as
// long as the answer: a forged sender address never gets more bytes sent to it than it sent.
#pragma once
#include <cstdint>

#include "platform/Socket.h"
#include "platform/Sync.h"

constexpr uint16_t DISCOVERY_PORT = 2303;
constexpr int32_t DISCOVERY_SIZE = 128;
constexpr uint8_t DISCOVERY_VERSION = 1;
constexpr int32_t GAME_SEATS = 8;
constexpr int32_t ANNOUNCED_PSEUDO_SIZE = 32;
constexpr int32_t ANNOUNCED_MAP_SIZE = 64;
// For tests only: BRUME_TEST_DISCOVERY_PORT=P moves hosts and searches to UDP port P, and
// searches then probe the loopback alone, so tests never bind the real port nor reach the LAN.
constexpr const char* TEST_PORT_VARIABLE = "BRUME_TEST_DISCOVERY_PORT";

struct ReglageDecouverte {
    uint16_t port;
    bool loopbackOnly;
};
// The port and reach of discovery in this process: DISCOVERY_PORT and every interface,
// unless the test variable holds a port from 1 to 65535.
ReglageDecouverte discoverySettings();

// What a host says about its game. Texts are terminated and printable once parsed.
struct Annonce {
    uint16_t tcpPort;
    uint32_t nonce;
    uint32_t instance;
    int32_t players;
    char pseudo[ANNOUNCED_PSEUDO_SIZE];
    char mapName[ANNOUNCED_MAP_SIZE];
};

void encodeProbe(uint8_t out[DISCOVERY_SIZE], uint32_t nonce);
// 0 with the nonce of a well-formed probe; 1 for anything else (wrong size, magic, version
// or kind).
int32_t parseProbe(const uint8_t* data, int32_t length, uint32_t& nonce);
// Texts are cut to their field and the players kept within 0..GAME_SEATS.
void encodeAnswer(uint8_t out[DISCOVERY_SIZE], const Annonce& annonce);
// 0 with the fields of a well-formed answer (right size, magic, version and kind, a TCP port,
// at most GAME_SEATS players); 1 for anything else. Texts are cut at their field's last byte
// and unprintable bytes become '?', since they reach the console.
int32_t parseAnswer(const uint8_t* data, int32_t length, Annonce& out);

// Per-sender answer limit: at most ANSWERS_PER_SECOND answers a second to one address, for
// at most LIMITED_SENDERS addresses at once; a probe from a further one is ignored until an
// entry's second is over, which also bounds the answers of all senders together.
constexpr int32_t LIMITED_SENDERS = 16;
constexpr int32_t ANSWERS_PER_SECOND = 8;
struct Limiteur {
    struct Expediteur {
        uint32_t ip;
        uint32_t since; // ms; start of its current second
        int32_t answers;
    };
    Expediteur senders[LIMITED_SENDERS] = {};
    int32_t used = 0;
};
// Whether an answer to `ip` may leave at `nowMs` (a wrapping millisecond clock); counts it.
bool allowAnswer(Limiteur& limiteur, uint32_t ip, uint32_t nowMs);

// What a host shows to probes: written by its game thread, read by its responder thread.
class Vitrine {
  public:
    // The current map and players (the host's own included).
    void publish(const char* mapName, int32_t players);
    // The game has ended: nothing to show any more.
    void withdraw();
    // False while nothing is published; otherwise the map and the players.
    bool read(char mapName[ANNOUNCED_MAP_SIZE], int32_t& players);

  private:
    platform::Lock lock;
    bool shown = false;
    char mapName_[ANNOUNCED_MAP_SIZE] = {};
    int32_t players_ = 0;
};

// The games of one search, in the order their first answers came.
constexpr int32_t MAX_GAMES_LISTED = 32;
struct Partie {
    uint32_t ip;
    char address[16]; // dotted decimal
    Annonce annonce;
};
struct ListeParties {
    int32_t count = 0;
    Partie games[MAX_GAMES_LISTED];
};

// Adds what `ip` answered, unless the list already holds that address and TCP port, or the
// same host (instance and TCP port) heard through another interface: the first answer is
// kept. A full list takes no more.
void addGame(ListeParties& liste, uint32_t ip, const Annonce& annonce);
// Probes the loopback and, unless the settings say otherwise, every interface's broadcast
// address, then lists the answers that come within `waitMs`. 0, or 1 when no probe could be
// sent; the list is emptied first either way.
int32_t searchGames(ListeParties& liste, int32_t waitMs);
