// What the benchmarks share: a raw protocol peer that joins a host the way a client does,
// a game folder for a spawned game, and the order statistics that the reports print.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/Protocole.h"
#include "map/Map.h"
#include "net/Reseau.h"
#include "options/Options.h"
#include "platform/Socket.h"
#include "render/TexturesMap.h"

namespace bench {

// One end of a connection to a host, speaking whole frames with rising sequence words.
struct Peer {
    platform::TcpSocket socket;
    int32_t sequence = 0;
    int32_t id = -1;

    ~Peer() { platform::closeSocket(socket); }

    int32_t send(int32_t type, int32_t argument, const void* payload = nullptr) {
        Message m = {};
        m.sequence = ++sequence;
        m.type = type;
        m.argument = argument;
        if (payload != nullptr) memcpy(m.payload, payload, PAYLOAD_SIZE);
        return platform::sendAll(socket, &m, FRAME_SIZE);
    }
    // The next frame within `waitMs`; false when none came.
    bool read(Message& m, int32_t waitMs) {
        return platform::waitReadable(socket, waitMs) == 0 &&
               platform::receiveExactly(socket, &m, FRAME_SIZE) == 0;
    }
    // Reads whatever is waiting, without blocking.
    void drain() {
        Message m;
        for (int32_t i = 0; i < 100000 && read(m, 0); ++i) {
        }
    }
    // Connects, takes the welcome and announces itself as a real client does. True when
    // the host gave it a number.
    bool join(uint16_t port, const char* name, int32_t colour) {
        if (platform::connectTcp("127.0.0.1", port, socket) != 0) return false;
        // A broadcast sent just as we were let in may come before the welcome.
        Message welcome = {};
        welcome.type = -1;
        for (int32_t i = 0; i < 1000 && welcome.type != MSG_ASSIGN_ID; ++i)
            if (!read(welcome, 5000)) return false;
        if (welcome.type != MSG_ASSIGN_ID) return false;
        double number;
        memcpy(&number, welcome.payload, sizeof number);
        id = static_cast<int32_t>(number);
        uint8_t payload[PAYLOAD_SIZE] = {};
        send(MSG_NEW_PLAYER, id);
        snprintf(reinterpret_cast<char*>(payload), PAYLOAD_SIZE, "%s", name);
        send(MSG_NAME, id, payload);
        memset(payload, 0, sizeof payload);
        snprintf(reinterpret_cast<char*>(payload), PAYLOAD_SIZE, "%s", VERSION_STAMP);
        send(MSG_VERSION, id, payload);
        const double values[2] = {0.0, static_cast<double>(colour)};
        for (int32_t i = 0; i < 2; ++i) {
            memset(payload, 0, sizeof payload);
            memcpy(payload, &values[i], sizeof(double));
            send(i == 0 ? MSG_SCORE : MSG_COLOUR, id, payload);
        }
        return true;
    }
};

// A state payload as a game builds it.
inline void statePayload(uint8_t payload[PAYLOAD_SIZE], double ticks, double x, double y,
                         double yaw) {
    memset(payload, 0, PAYLOAD_SIZE);
    payload[STATE_KEYS_AT] = 1; // walking forward
    const double fields[4] = {x, y, yaw, 0.0};
    memcpy(payload + STATE_TICKS_AT, &ticks, sizeof ticks);
    memcpy(payload + STATE_POS_X_AT, fields, sizeof fields);
}

// Loads a map for play without a window: the loader reports every texture it cannot load,
// which would bury the report, so its console lines go nowhere.
inline int32_t loadQuietly(Map& map, const char* name, int32_t number) {
    fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    FILE* sink = fopen("/dev/null", "w");
    if (sink != nullptr) dup2(fileno(sink), STDOUT_FILENO);
    static TexturesMap none; // no window: nothing is uploaded
    const int32_t result = loadPlayMap(map, none, name, number);
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    if (sink != nullptr) fclose(sink);
    return result;
}

// A free TCP port on this machine right now (the system's choice), or 0.
inline uint16_t freePort() {
    platform::TcpSocket s;
    if (platform::listenTcp(0, 1, s) != 0) return 0;
    const int32_t port = platform::localPort(s);
    platform::closeSocket(s);
    return port > 0 ? static_cast<uint16_t>(port) : 0;
}

// The value below which `share` (0..1) of the samples lie.
inline double percentile(std::vector<double> samples, double share) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t at = static_cast<size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

} // namespace bench
