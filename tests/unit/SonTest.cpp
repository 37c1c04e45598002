// The sound bank over the real mixer: slot numbering, failed loads, plays that must not harm.
#include "media/Son.h"
#include "../support/StdoutCapture.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>

const std::string kSounds = BV_SOURCE_DIR "/data/donnees/son/";

// SDL starts with nothing (the game thread starts video first); the driver is chosen per
// test: "dummy" mixes into nowhere, an unknown name has no device.
struct SoundBank : ::testing::Test {
    Son son;
    std::string start(const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        EXPECT_EQ(SDL_Init(0), 0);
        return kit::printedBy([&] { son.initSounds(); });
    }
    // Loads each file; what the bank printed.
    std::string load(std::initializer_list<std::string> files) {
        return kit::printedBy([&] {
            for (const std::string& f : files)
                son.loadSound(f.c_str());
        });
    }
    void TearDown() override {
        son.closeSounds();
        SDL_Quit();
    }
};

TEST_F(SoundBank, MissingFilesKeepTheirSlotShippedOnesLoadAndPlaysShareThirtyTwoChannels) {
    EXPECT_EQ(start("dummy"), "Initialisation de FMOD\n");
    const std::string pan = kSounds + "pan.wav", mal = kSounds + "absent.wav",
                      tele = kSounds + "teleporteur.wav";
    EXPECT_EQ(load({pan, mal, tele}),
              pan + "\n" + mal + "\nErreur lors du chargement de " + mal + "\n" + tele + "\n");
    EXPECT_EQ(std::make_tuple(son.count, !son.samples[0], !son.samples[1], !son.samples[2]),
              std::make_tuple(3, false, true, false)); // slot 2 is still the teleporter
    // The shipped sounds, named with backslashes as the game does, in slots 3 to 9.
    for (const char* name : {"pan", "touche", "mal", "teleporteur", "ouvre", "ferme", "caisse"})
        load({std::string(BV_SOURCE_DIR) + "\\data\\donnees\\son\\" + name + ".wav"});
    EXPECT_EQ(std::count(son.samples + 3, son.samples + 10, nullptr), 0);
    // A hundred slots at most; plays of unknown or empty slots are harmless.
    for (int i = 10; i < SON_SLOTS; ++i)
        load({pan});
    EXPECT_EQ(load({pan}), pan + "\nErreur lors du chargement de " + pan + "\n");
    EXPECT_EQ(son.count, SON_SLOTS);
    for (int32_t slot : {1, SON_SLOTS, 1000000, -1, -1000000, SON_SLOTS - 1})
        son.playSound(slot);
    EXPECT_EQ(Mix_Playing(-1), 1) << "only the last slot was played with a sound in it";
    for (int i = 0; i < 40; ++i) // more plays than channels: the extra ones are not heard
        son.playSound(9);
    EXPECT_EQ(Mix_Playing(-1), 32);
}

TEST_F(SoundBank, WithoutAudioDeviceTheGameRunsSilently) {
    EXPECT_EQ(start("no-such-audio-driver"), "Initialisation de FMOD\n");
    const std::string ouvre = kSounds + "ouvre.wav", gone = kSounds + "gone.wav";
    const std::string notWav = BV_SOURCE_DIR "/data/liste des maps.list";
    // Only the files that are really missing or no WAV are reported.
    EXPECT_EQ(load({ouvre, gone, notWav}), ouvre + "\n" + gone + "\nErreur lors du chargement de " +
                                               gone + "\n" + notWav +
                                               "\nErreur lors du chargement de " + notWav + "\n");
    EXPECT_EQ(std::make_tuple(!son.samples[0], !son.samples[1], !son.samples[2]),
              std::make_tuple(false, true, true));
    son.playSound(0); // the mixer is not open: only survival counts
}
