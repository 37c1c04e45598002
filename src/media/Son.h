// The sound bank: samples in numbered slots, in load order, played by number.
#pragma once
#include <cstdint>

#include "platform/SoundDevice.h"

constexpr int32_t SON_SLOTS = 100;

// Slot numbers as the game start-up loads them.
enum : int32_t {
    SON_PAN = 0,
    SON_TOUCHE = 1,
    SON_MAL = 2,
    SON_TELEPORTEUR = 3,
    SON_OUVRE = 4,
    SON_FERME = 5,
    SON_CAISSE = 6
};

class Son {
  public:
    int32_t count = 0;                              // slots filled so far, failed loads included
    platform::SoundSample* samples[SON_SLOTS] = {}; // null where the load failed

    // Starts the sound output; without an audio device the bank stays silent but usable.
    void initSounds();
    // Loads a WAV into the next slot; a failure leaves that slot null but still takes it,
    // so later sounds keep their numbers. Beyond the last slot nothing is loaded.
    void loadSound(const char* path);
    // Plays a slot on any free channel; unknown or empty slots play nothing.
    void playSound(int32_t slot);
    // Frees every sample and stops the output.
    void closeSounds();

  private:
    platform::SoundDevice device_;
};
