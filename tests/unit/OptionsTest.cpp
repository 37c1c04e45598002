// The options record against its 72-byte file: loading, defaults, saving and their messages.
#include "../support/OptionsBytes.h"
#include "../support/StdoutCapture.h"
#include "kit/TempFolder.h"
#include "options/Options.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <sys/stat.h>

using namespace kit;

const std::string LOAD = "Chargement des options\n";
const std::string DEFAULTS =
    "Chargement des options par defaut\nCreation d'un nouveau fichier option\n";
const std::string CANNOT_SAVE = "Erreur: impossible d'enregistrer les options\n";

// The record as the file would hold it, so whole records compare in one assertion.
static std::string asFile(const Options& o) {
    return optionsFile({o.width, o.height, o.maxFps, o.visibility, o.fog, o.verticalSensitivity,
                        o.horizontalSensitivity, o.colour, o.doorSounds, o.smoothRemotePlayers},
                       std::string(o.pseudo, strnlen(o.pseudo, sizeof o.pseudo)));
}

// Each test runs in a folder of its own, where "options" is looked for.
class OptionsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(inFolder.ok());
        memset(&o, 'Z', sizeof o);
    }
    int32_t load() {
        int32_t result = -1;
        printed = printedBy([&] { result = loadOptions(o); });
        return result;
    }
    TempFolder folder;
    WorkingFolder inFolder{folder.path()};
    Options o;
    std::string printed;
};

TEST_F(OptionsFile, MissingAndShortFilesFallBackToDefaultsAndAreRewritten) {
    const std::string full = optionsFile({800, 600, 60, 50, 0, 30, 40, 5, 1, 1}, "Zorglub");
    const std::string atPseudo = "Erreur: fin de fichier inatendue\n",
                      inIntegers = "Erreur: fin du fichier inatendue\n",
                      failed = "Erreur lors du chargement des options\n";
    const struct {
        size_t length; // npos: no file
        std::string failure;
    } cases[] = {
        {std::string::npos, "Fichier option inexistant\n"},
        {40, atPseudo + failed}, // integers only: fails at the pseudo
        {50, atPseudo + failed},
        {10, inIntegers + failed}, // fails inside the integers
        {0, inIntegers + failed},
    };
    const std::string defaults = optionsFile(DEFAULT_OPTIONS, "noob");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        if (c.length != std::string::npos) folder.write("options", full.substr(0, c.length));
        EXPECT_EQ(load(), 0);
        EXPECT_EQ(printed, LOAD + c.failure + DEFAULTS);
        EXPECT_EQ(asFile(o), defaults);
        // The file holds them to "noob\0"; the bytes after it are those the record held.
        const std::string file = folder.read("options");
        EXPECT_EQ(std::make_pair(file.size(), file.substr(0, 45)),
                  std::make_pair(size_t(72), defaults.substr(0, 45)));
        EXPECT_TRUE(c.length != std::string::npos || file.substr(45) == std::string(27, 'Z'));
    }
}

TEST_F(OptionsFile, ReadsFileOrderIgnoresBytesAfter72AndForcesSmoothing) {
    const struct {
        int32_t values[10];
        std::string pseudo, expectedPseudo;
    } cases[] = {
        {{1024, 768, -5, 70, 0, 120, 80, 6, 1, 1}, "Vorpal", "Vorpal"},
        {{640, 480, 300, 100, 1, 100, 100, 0, 0, 0}, "a", "a"}, // smoothing always loads as 1
        {{640, 480, 300, 100, 1, 100, 100, 0, 0, 1}, std::string(32, 'P'), std::string(31, 'P')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pseudo);
        folder.write("options", optionsFile(c.values, c.pseudo) + std::string(28, 'x'));
        EXPECT_EQ(load(), 0);
        EXPECT_EQ(printed, LOAD);
        EXPECT_EQ(o.smoothRemotePlayers, 1);
        o.smoothRemotePlayers = c.values[9];
        EXPECT_EQ(asFile(o), optionsFile(c.values, c.expectedPseudo));
        EXPECT_EQ(folder.read("options").size(), 100u) << "a good file is left alone";
    }
}

TEST_F(OptionsFile, UncreatableFileFailsWithItsMessage) {
    // A folder named "options" can be neither read nor replaced.
    ASSERT_EQ(mkdir("options", 0755), 0);
    EXPECT_EQ(printedBy([&] { EXPECT_EQ(saveOptions(o), 1); }), CANNOT_SAVE);
    EXPECT_EQ(load(), 1);
    EXPECT_EQ(printed, LOAD + "Fichier option inexistant\n" + DEFAULTS + CANNOT_SAVE);
    // The record keeps the defaults even though they could not be stored.
    EXPECT_EQ(asFile(o), optionsFile(DEFAULT_OPTIONS, "noob"));
}
