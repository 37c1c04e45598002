#include "net/Decouverte.h"

#include <cstdlib>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Random.h"

using platform::Guard;

namespace {

const uint8_t MAGIC[4] = {'B', 'V', 'L', 'D'};
constexpr uint8_t KIND_PROBE = 1;
constexpr uint8_t KIND_ANSWER = 2;
constexpr int32_t VERSION_AT = 4;
constexpr int32_t KIND_AT = 5;
constexpr int32_t PORT_AT = 6;
constexpr int32_t NONCE_AT = 8;
constexpr int32_t INSTANCE_AT = 12;
constexpr int32_t PLAYERS_AT = 16;
constexpr int32_t SEATS_AT = 17;
constexpr int32_t PSEUDO_AT = 20;
constexpr int32_t MAP_AT = PSEUDO_AT + ANNOUNCED_PSEUDO_SIZE;
static_assert(MAP_AT + ANNOUNCED_MAP_SIZE <= DISCOVERY_SIZE, "the answer fits its datagram");
constexpr int32_t MAX_INTERFACES = 16;
constexpr uint32_t SECOND_MS = 1000;

void writeU16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void writeU32(uint8_t* at, uint32_t v) {
    for (int32_t i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t readU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t readU32(const uint8_t* at) {
    uint32_t v = 0;
    for (int32_t i = 3; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

void writeHeader(uint8_t out[DISCOVERY_SIZE], uint8_t kind, uint32_t nonce) {
    memset(out, 0, DISCOVERY_SIZE);
    memcpy(out, MAGIC, sizeof MAGIC);
    out[VERSION_AT] = DISCOVERY_VERSION;
    out[KIND_AT] = kind;
    writeU32(out + NONCE_AT, nonce);
}

bool hasHeader(const uint8_t* data, int32_t length, uint8_t kind) {
    return data != nullptr && length == DISCOVERY_SIZE && memcmp(data, MAGIC, sizeof MAGIC) == 0 &&
           data[VERSION_AT] == DISCOVERY_VERSION && data[KIND_AT] == kind;
}

// Copies a text field, cut to `size` - 1 bytes, unprintable bytes as '?'.
void readField(const uint8_t* field, int32_t size, char* out) {
    int32_t i = 0;
    for (; i < size - 1 && field[i] != 0; ++i)
        out[i] = field[i] >= 32 && field[i] < 127 ? static_cast<char>(field[i]) : '?';
    memset(out + i, 0, static_cast<size_t>(size - i));
}

void writeField(uint8_t* field, int32_t size, const char* text) {
    memcpy(field, text, strnlen(text, static_cast<size_t>(size - 1)));
}

} // namespace

ReglageDecouverte discoverySettings() {
    const char* value = platform::environmentValue(TEST_PORT_VARIABLE);
    const long port = value != nullptr ? strtol(value, nullptr, 10) : 0;
    if (port >= 1 && port <= 65535) return {static_cast<uint16_t>(port), true};
    return {DISCOVERY_PORT, false};
}

void encodeProbe(uint8_t out[DISCOVERY_SIZE], uint32_t nonce) {
    writeHeader(out, KIND_PROBE, nonce);
}

int32_t parseProbe(const uint8_t* data, int32_t length, uint32_t& nonce) {
    if (!hasHeader(data, length, KIND_PROBE)) return 1;
    nonce = readU32(data + NONCE_AT);
    return 0;
}

void encodeAnswer(uint8_t out[DISCOVERY_SIZE], const Annonce& annonce) {
    writeHeader(out, KIND_ANSWER, annonce.nonce);
    writeU16(out + PORT_AT, annonce.tcpPort);
    writeU32(out + INSTANCE_AT, annonce.instance);
    const int32_t players = annonce.players < 0 ? 0 : annonce.players;
    out[PLAYERS_AT] = static_cast<uint8_t>(players > GAME_SEATS ? GAME_SEATS : players);
    out[SEATS_AT] = GAME_SEATS;
    writeField(out + PSEUDO_AT, ANNOUNCED_PSEUDO_SIZE, annonce.pseudo);
    writeField(out + MAP_AT, ANNOUNCED_MAP_SIZE, annonce.mapName);
}

int32_t parseAnswer(const uint8_t* data, int32_t length, Annonce& out) {
    if (!hasHeader(data, length, KIND_ANSWER)) return 1;
    const uint16_t port = readU16(data + PORT_AT);
    if (port == 0 || data[SEATS_AT] != GAME_SEATS || data[PLAYERS_AT] > GAME_SEATS) return 1;
    out.tcpPort = port;
    out.nonce = readU32(data + NONCE_AT);
    out.instance = readU32(data + INSTANCE_AT);
    out.players = data[PLAYERS_AT];
    readField(data + PSEUDO_AT, ANNOUNCED_PSEUDO_SIZE, out.pseudo);
    readField(data + MAP_AT, ANNOUNCED_MAP_SIZE, out.mapName);
    return 0;
}

bool allowAnswer(Limiteur& limiteur, uint32_t ip, uint32_t nowMs) {
    Limiteur::Expediteur* entry = nullptr;
    for (int32_t i = 0; i < limiteur.used && entry == nullptr; ++i)
        if (limiteur.senders[i].ip == ip) entry = &limiteur.senders[i];
    // A new sender takes a free entry, or one whose second is over.
    for (int32_t i = 0; i < LIMITED_SENDERS && entry == nullptr; ++i) {
        Limiteur::Expediteur& e = limiteur.senders[i];
        if (i >= limiteur.used || nowMs - e.since >= SECOND_MS) {
            if (i >= limiteur.used) limiteur.used = i + 1;
            e = {ip, nowMs, 0};
            entry = &e;
        }
    }
    if (entry == nullptr) return false;
    if (nowMs - entry->since >= SECOND_MS) *entry = {ip, nowMs, 0};
    if (entry->answers >= ANSWERS_PER_SECOND) return false;
    entry->answers++;
    return true;
}

void Vitrine::publish(const char* mapName, int32_t players) {
    Guard g(lock);
    memset(mapName_, 0, sizeof mapName_);
    writeField(reinterpret_cast<uint8_t*>(mapName_), ANNOUNCED_MAP_SIZE, mapName);
    players_ = players;
    shown = true;
}

void Vitrine::withdraw() {
    Guard g(lock);
    shown = false;
}

bool Vitrine::read(char mapName[ANNOUNCED_MAP_SIZE], int32_t& players) {
    Guard g(lock);
    if (!shown) return false;
    memcpy(mapName, mapName_, ANNOUNCED_MAP_SIZE);
    players = players_;
    return true;
}

void addGame(ListeParties& liste, uint32_t ip, const Annonce& annonce) {
    for (int32_t i = 0; i < liste.count; ++i) {
        const Partie& p = liste.games[i];
        if (p.annonce.tcpPort == annonce.tcpPort &&
            (p.ip == ip || p.annonce.instance == annonce.instance))
            return;
    }
    if (liste.count >= MAX_GAMES_LISTED) return;
    Partie& p = liste.games[liste.count++];
    p.ip = ip;
    platform::formatAddress(ip, p.address);
    p.annonce = annonce;
}

int32_t searchGames(ListeParties& liste, int32_t waitMs) {
    liste.count = 0;
    const ReglageDecouverte settings = discoverySettings();
    platform::UdpSocket socket;
    if (platform::openUdp(0, true, socket) != 0) return 1;
    // The loopback first: a game on this machine, heard through every interface, usually
    // answers there first and is listed at 127.0.0.1.
    uint32_t targets[MAX_INTERFACES + 1] = {platform::LOOPBACK_BROADCAST};
    int32_t targetCount = 1;
    if (!settings.loopbackOnly)
        targetCount += platform::broadcastAddresses(targets + 1, MAX_INTERFACES);
    const uint32_t nonce = platform::randomWord();
    uint8_t datagram[DISCOVERY_SIZE];
    encodeProbe(datagram, nonce);
    int32_t sent = 0;
    for (int32_t i = 0; i < targetCount; ++i)
        if (platform::sendDatagram(socket, datagram, DISCOVERY_SIZE, {targets[i], settings.port}) ==
            0)
            ++sent;
    const uint32_t start = platform::ticks();
    for (;;) {
        const uint32_t spent = platform::ticks() - start;
        if (sent == 0 || spent >= static_cast<uint32_t>(waitMs)) break;
        platform::Adresse from;
        const int32_t length = platform::receiveDatagram(
            socket, datagram, DISCOVERY_SIZE, waitMs - static_cast<int32_t>(spent), from);
        Annonce annonce;
        if (parseAnswer(datagram, length, annonce) == 0 && annonce.nonce == nonce)
            addGame(liste, from.ip, annonce);
    }
    platform::closeSocket(socket);
    return sent == 0 ? 1 : 0;
}
