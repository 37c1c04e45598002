// What the benchmarks share besides the kit: state payloads, quiet map loads, free ports and
// the order statistics that the reports print.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/Protocole.h"
#include "kit/JeuFixture.h"
#include "map/Map.h"
#include "net/Reseau.h"
#include "options/Options.h"
#include "platform/Socket.h"
#include "render/TexturesMap.h"

namespace bench {

using Peer = kit::FramePeer;

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
