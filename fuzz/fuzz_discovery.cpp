// Discovery datagrams: the whole input is one datagram, read as a probe and as an answer;
// then it is cut into records of a 4-byte sender address and DISCOVERY_SIZE bytes, whose
// answers go into one listing as a search files them.
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "net/Decouverte.h"
#include "platform/Socket.h"

namespace {

using fuzzsupport::require;

constexpr size_t RECORD = 4 + DISCOVERY_SIZE;

bool isPrintableText(const char* text, int32_t size) {
    const void* end = memchr(text, '\0', static_cast<size_t>(size));
    if (end == nullptr) return false;
    for (const char* c = text; c != end; ++c)
        if (*c < 32 || *c > 126) return false;
    return true;
}

void checkAnswer(const uint8_t* data, size_t size) {
    Annonce a;
    if (parseAnswer(data, static_cast<int32_t>(size), a) != 0) return;
    require(size == DISCOVERY_SIZE && memcmp(data, "BVLD", 4) == 0 && data[4] == 1 && data[5] == 2,
            "only a whole answer of this version is read");
    require(a.tcpPort != 0 && a.players >= 0 && a.players <= GAME_SEATS,
            "port and players bounded");
    require(isPrintableText(a.pseudo, ANNOUNCED_PSEUDO_SIZE) &&
                isPrintableText(a.mapName, ANNOUNCED_MAP_SIZE),
            "texts terminated and printable");
    // What a host would send back from these fields reads the same.
    uint8_t again[DISCOVERY_SIZE];
    encodeAnswer(again, a);
    Annonce b;
    require(parseAnswer(again, DISCOVERY_SIZE, b) == 0 && b.tcpPort == a.tcpPort &&
                b.nonce == a.nonce && b.instance == a.instance && b.players == a.players &&
                strcmp(b.pseudo, a.pseudo) == 0 && strcmp(b.mapName, a.mapName) == 0,
            "an answer encodes and parses back the same");
}

bool covers(const Partie& p, uint32_t ip, const Annonce& a) {
    return p.annonce.tcpPort == a.tcpPort && (p.ip == ip || p.annonce.instance == a.instance);
}

void checkListing(const uint8_t* data, size_t size) {
    ListeParties liste;
    for (size_t at = 0; at + RECORD <= size; at += RECORD) {
        uint32_t ip;
        memcpy(&ip, data + at, 4);
        Annonce a;
        if (parseAnswer(data + at + 4, DISCOVERY_SIZE, a) == 0) addGame(liste, ip, a);
    }
    require(liste.count >= 0 && liste.count <= MAX_GAMES_LISTED, "listing bounded");
    for (int32_t i = 0; i < liste.count; ++i) {
        const Partie& p = liste.games[i];
        char address[16];
        platform::formatAddress(p.ip, address);
        require(strcmp(address, p.address) == 0, "listed address is the sender's");
        for (int32_t j = 0; j < i; ++j)
            require(!covers(liste.games[j], p.ip, p.annonce), "each game listed once");
    }
    if (liste.count == MAX_GAMES_LISTED) return;
    // Every answer shows in the listing.
    for (size_t at = 0; at + RECORD <= size; at += RECORD) {
        uint32_t ip;
        memcpy(&ip, data + at, 4);
        Annonce a;
        if (parseAnswer(data + at + 4, DISCOVERY_SIZE, a) != 0) continue;
        bool covered = false;
        for (int32_t i = 0; i < liste.count; ++i)
            covered |= covers(liste.games[i], ip, a);
        require(covered, "every answer listed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t nonce;
    if (parseProbe(data, static_cast<int32_t>(size), nonce) == 0)
        require(size == DISCOVERY_SIZE && data[5] == 1, "only a whole probe is read");
    checkAnswer(data, size);
    checkListing(data, size);
    return 0;
}
