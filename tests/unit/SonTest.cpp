// The sound bank over the real mixer: slot numbering, failed loads, plays that must not harm.
#include "media/Son.h"

#include "../support/StdoutCapture.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const std::string kSounds = std::string(BV_SOURCE_DIR) + "/data/donnees/son/";

// The game thread starts SDL's video before the bank; here SDL starts with nothing, and the
// driver is chosen per test: "dummy" mixes into nowhere, an unknown name has no device.
class SoundBank : public ::testing::Test {
  protected:
    void start(const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        ASSERT_EQ(SDL_Init(0), 0);
        son.initSounds();
    }
    void TearDown() override {
        son.closeSounds();
        SDL_Quit();
    }
    Son son;
};

TEST_F(SoundBank, MissingFileKeepsItsSlotAndTheNumbersAfterIt) {
    testsupport::StdoutCapture out;
    out.start();
    start("dummy");
    const std::string pan = kSounds + "pan.wav", mal = kSounds + "absent.wav",
                      tele = kSounds + "teleporteur.wav";
    son.loadSound(pan.c_str());
    son.loadSound(mal.c_str());
    son.loadSound(tele.c_str());
    EXPECT_EQ(out.stop(), "Initialisation de FMOD\n" + pan + "\n" + mal +
                              "\nErreur lors du chargement de " + mal + "\n" + tele + "\n");
    EXPECT_EQ(son.count, 3);
    EXPECT_NE(son.samples[0], nullptr);
    EXPECT_EQ(son.samples[1], nullptr);
    EXPECT_NE(son.samples[2], nullptr) << "slot 2 is still the teleporter";
}

TEST_F(SoundBank, ShippedSoundsLoadWithBackslashPathsAndOverlap) {
    start("dummy");
    const char* names[] = {"pan", "touche", "mal", "teleporteur", "ouvre", "ferme", "caisse"};
    for (const char* name : names)
        son.loadSound(
            (std::string(BV_SOURCE_DIR) + "\\data\\donnees\\son\\" + name + ".wav").c_str());
    ASSERT_EQ(son.count, 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_NE(son.samples[i], nullptr) << names[i];
    // Three shots in a row play side by side on three channels.
    son.playSound(SON_PAN);
    son.playSound(SON_PAN);
    son.playSound(SON_PAN);
    EXPECT_EQ(Mix_Playing(-1), 3);
    // More plays than channels: the extra ones are simply not heard.
    for (int i = 0; i < 40; ++i)
        son.playSound(SON_CAISSE);
    EXPECT_EQ(Mix_Playing(-1), 32);
}

TEST_F(SoundBank, HundredSlotsAtMostAndStrayPlaysAreHarmless) {
    start("dummy");
    const std::string hit = kSounds + "touche.wav";
    son.loadSound((kSounds + "nothing-here.wav").c_str());
    for (int i = 1; i < SON_SLOTS; ++i)
        son.loadSound(hit.c_str());
    EXPECT_EQ(testsupport::printedBy([&] { son.loadSound(hit.c_str()); }),
              hit + "\nErreur lors du chargement de " + hit + "\n");
    EXPECT_EQ(son.count, SON_SLOTS);
    for (int32_t slot : {0, SON_SLOTS, 1000000, -1, -1000000, SON_SLOTS - 1})
        son.playSound(slot);
    EXPECT_EQ(Mix_Playing(-1), 1) << "only the last slot was played with a sound in it";
}

TEST_F(SoundBank, WithoutAudioDeviceTheGameRunsSilently) {
    testsupport::StdoutCapture out;
    out.start();
    start("no-such-audio-driver");
    const std::string ouvre = kSounds + "ouvre.wav", gone = kSounds + "gone.wav";
    const std::string notWav = std::string(BV_SOURCE_DIR) + "/data/liste des maps.list";
    son.loadSound(ouvre.c_str());
    son.loadSound(gone.c_str());
    son.loadSound(notWav.c_str());
    // Only the files that are really missing or no WAV are reported.
    EXPECT_EQ(out.stop(), "Initialisation de FMOD\n" + ouvre + "\n" + gone +
                              "\nErreur lors du chargement de " + gone + "\n" + notWav +
                              "\nErreur lors du chargement de " + notWav + "\n");
    EXPECT_NE(son.samples[0], nullptr);
    EXPECT_EQ(son.samples[1], nullptr);
    EXPECT_EQ(son.samples[2], nullptr);
    // The mixer is not open: its own queries would be meaningless, so only survival counts.
    son.playSound(0);
    son.playSound(1);
}

} // namespace
