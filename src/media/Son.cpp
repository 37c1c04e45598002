#include "media/Son.h"

#include <cstdio>

void Son::initSounds() {
    printf("Initialisation de FMOD\n");
    count = 0;
    for (int32_t i = 0; i < SON_SLOTS; ++i)
        samples[i] = nullptr;
    // Without an audio device the game goes on silently; the result is not needed here.
    device_.open();
}

void Son::loadSound(const char* path) {
    if (path == nullptr) path = "";
    printf("%s\n", path);
    if (count >= SON_SLOTS) { // no slot left to number it
        printf("Erreur lors du chargement de %s\n", path);
        return;
    }
    samples[count] = device_.load(path);
    if (samples[count] == nullptr) printf("Erreur lors du chargement de %s\n", path);
    ++count;
}

void Son::playSound(int32_t slot) {
    if (slot < 0 || slot >= count) return;
    device_.play(samples[slot]);
}

void Son::closeSounds() {
    for (int32_t i = 0; i < count; ++i) {
        device_.release(samples[i]);
        samples[i] = nullptr;
    }
    count = 0;
    device_.close();
}
