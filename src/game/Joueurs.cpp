#include "game/Joueurs.h"

#include "game/Joueur.h"

#include <cstring>

namespace {

// Time arithmetic wraps like the 32-bit tick counter it comes from.
int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

void emptySlot(Instantane& s) {
    memset(&s, 0, sizeof s);
    s.delay = SNAPSHOT_CONSUMED;
    s.serial = -1;
}

} // namespace

void initSnapshots(Joueurs& j) {
    j.nextSerial = 0;
    j.resyncCountdown = RESYNC_PERIOD;
    for (int32_t n = 0; n < 8; ++n) {
        j.baseTime[n] = ANCHOR_DROPPED;
        j.writeIndex[n] = 0;
        for (Instantane& s : j.snapshots[n])
            emptySlot(s);
    }
}

void pushSnapshot(Joueurs& j, int32_t time, int32_t n, double posX, double posY, double yaw,
                  double pitch, const uint8_t keys[4], uint32_t now) {
    if (n < 0 || n > 7) return;
    const int32_t local = static_cast<int32_t>(now);
    int32_t d = wrapSub(wrapAdd(j.baseTime[n], time), local);
    if (d < 0 || d > MAX_LEAD) j.baseTime[n] = wrapSub(local, time);
    d = wrapSub(wrapAdd(j.baseTime[n], time), local);
    storeSnapshot(j, d, n, posX, posY, yaw, pitch, keys);
}

void storeSnapshot(Joueurs& j, int32_t delay, int32_t n, double posX, double posY, double yaw,
                   double pitch, const uint8_t keys[4]) {
    if (n < 0 || n > 7) return;
    int32_t& w = j.writeIndex[n];
    if (w < 0 || w >= SNAPSHOT_RING) w = 0;
    Instantane& s = j.snapshots[n][w];
    s.posX = posX;
    s.posY = posY;
    s.yaw = yaw;
    s.pitch = pitch;
    memcpy(s.keys, keys, 4);
    s.delay = delay;
    s.serial = j.nextSerial;
    j.nextSerial = wrapAdd(j.nextSerial, 1);
    w = (w + 1) % SNAPSHOT_RING;
}

void ageSnapshots(Joueurs& j, int32_t frameTime) {
    for (auto& ring : j.snapshots)
        for (Instantane& s : ring)
            s.delay = wrapSub(s.delay, frameTime);
    j.resyncCountdown = wrapSub(j.resyncCountdown, frameTime);
    if (j.resyncCountdown < 0) {
        j.resyncCountdown = RESYNC_PERIOD;
        for (int32_t& b : j.baseTime)
            b = ANCHOR_DROPPED;
    }
}

void showSnapshot(Joueurs& j, Joueur& r) {
    if (r.state != PLAYER_PRESENT || !isPlayerNumber(r.id)) return;
    int32_t best = -1;
    int32_t chosen = -1;
    Instantane* ring = j.snapshots[r.id];
    for (int32_t i = 0; i < SNAPSHOT_RING; ++i) {
        if (ring[i].delay > 0) continue;
        ring[i].delay = SNAPSHOT_CONSUMED;
        const int32_t serial = ring[i].serial;
        // A consumed slot is also marked empty, so that it cannot fall due again
        // hours later (after its consumed mark has aged away) and show a stale state.
        ring[i].serial = -1;
        if (serial > best) {
            best = serial;
            chosen = i;
        }
    }
    if (chosen < 0) return;
    const Instantane& s = ring[chosen]; // its fields other than serial are intact
    r.posX = s.posX;
    r.posY = s.posY;
    r.yaw = s.yaw;
    r.pitch = s.pitch;
    memcpy(r.keys, s.keys, 4);
}
