// The snapshot buffer that plays other players' states out with their sender's timing,
// shifted by a per-player anchor, so that movement looks smooth despite uneven delays.
#pragma once
#include <cstdint>

struct Joueur;

constexpr int32_t SNAPSHOT_RING = 50;
constexpr int32_t RESYNC_PERIOD = 15000;
constexpr int32_t MAX_LEAD = 350;
constexpr int32_t SNAPSHOT_CONSUMED = 10000000;
constexpr int32_t ANCHOR_DROPPED = -100000000;

struct Instantane {
    double posX, posY;
    uint8_t keys[4];
    double yaw, pitch;
    int32_t delay;  // ms until due; due at 0 or less
    int32_t serial; // filing number, -1 when empty
};

struct Joueurs {
    Instantane snapshots[8][SNAPSHOT_RING];
    int32_t writeIndex[8];
    int32_t nextSerial;
    int32_t resyncCountdown;
    int32_t baseTime[8]; // local ticks minus the sender's ticks
};

void initSnapshots(Joueurs& j);
// Files a state stamped `time` (sender's ticks) for player n, received at local time `now`.
void pushSnapshot(Joueurs& j, int32_t time, int32_t n, double posX, double posY, double yaw,
                  double pitch, const uint8_t keys[4], uint32_t now);
void storeSnapshot(Joueurs& j, int32_t delay, int32_t n, double posX, double posY, double yaw,
                   double pitch, const uint8_t keys[4]);
void ageSnapshots(Joueurs& j, int32_t frameTime);
// Copies the newest due snapshot of slot r's player into r; consumes every due one.
void showSnapshot(Joueurs& j, Joueur& r);
