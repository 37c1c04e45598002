// The options record against its 72-byte file: loading, defaults, saving and their messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "options/Options.h"

namespace {

using testsupport::StdoutCapture;
using testsupport::TempFolder;

const char* const LOAD = "Chargement des options\n";
const char* const DEFAULTS =
    "Chargement des options par defaut\nCreation d'un nouveau fichier option\n";

std::string le32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return std::string{char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

// Ten integers in file order, then a 32-byte pseudo field.
std::string optionsFile(const int32_t (&values)[10], const std::string& pseudo) {
    std::string bytes;
    for (int32_t v : values)
        bytes += le32(v);
    std::string field = pseudo;
    field.resize(32, '\0');
    return bytes + field;
}

const int32_t DEFAULT_VALUES[10] = {640, 480, 300, 100, 1, 100, 100, 0, 0, 1};

// Each test runs in a folder of its own, where "options" is looked for.
class OptionsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(folder.path()), 0);
        memset(&o, 0x5A, sizeof o);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous), 0); }

    int32_t loadCapturing(std::string& printed) {
        StdoutCapture capture;
        capture.start();
        const int32_t result = loadOptions(o);
        printed = capture.stop();
        return result;
    }

    void expectDefaults() const {
        EXPECT_EQ(o.width, 640);
        EXPECT_EQ(o.height, 480);
        EXPECT_EQ(o.maxFps, 300);
        EXPECT_EQ(o.visibility, 100);
        EXPECT_EQ(o.fog, 1);
        EXPECT_EQ(o.verticalSensitivity, 100);
        EXPECT_EQ(o.horizontalSensitivity, 100);
        EXPECT_EQ(o.doorSounds, 0);
        EXPECT_EQ(o.smoothRemotePlayers, 1);
        EXPECT_STREQ(o.pseudo, "noob");
        EXPECT_EQ(o.colour, 0);
    }

    TempFolder folder;
    char previous[4096];
    Options o;
};

TEST_F(OptionsFile, MissingFileIsCreatedWithTheDefaults) {
    std::string printed;
    EXPECT_EQ(loadCapturing(printed), 0);
    EXPECT_EQ(printed, std::string(LOAD) + "Fichier option inexistant\n" + DEFAULTS);
    expectDefaults();
    const std::string file = folder.read("options");
    ASSERT_EQ(file.size(), 72u);
    // The bytes after "noob\0" are those the record held before.
    EXPECT_EQ(file.substr(0, 45), optionsFile(DEFAULT_VALUES, "noob").substr(0, 45));
    EXPECT_EQ(file.substr(45), std::string(27, '\x5A'));
}

TEST_F(OptionsFile, ShortFilesFallBackToDefaultsAndAreRewritten) {
    const std::string full = optionsFile({800, 600, 60, 50, 0, 30, 40, 5, 1, 1}, "Zorglub");
    struct Case {
        size_t length;
        const char* failure;
    } cases[] = {
        {40, "Erreur: fin de fichier inatendue\n"}, // integers only: fails at the pseudo
        {50, "Erreur: fin de fichier inatendue\n"},
        {10, "Erreur: fin du fichier inatendue\n"}, // fails inside the integers
        {0, "Erreur: fin du fichier inatendue\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        folder.write("options", full.substr(0, c.length));
        std::string printed;
        EXPECT_EQ(loadCapturing(printed), 0);
        EXPECT_EQ(printed, std::string(LOAD) + c.failure +
                               "Erreur lors du chargement des options\n" + DEFAULTS);
        expectDefaults();
        const std::string file = folder.read("options");
        ASSERT_EQ(file.size(), 72u);
        EXPECT_EQ(file.substr(0, 45), optionsFile(DEFAULT_VALUES, "noob").substr(0, 45));
    }
}

TEST_F(OptionsFile, ReadsFileOrderAndIgnoresBytesAfter72) {
    std::string bytes = optionsFile({1024, 768, -5, 70, 0, 120, 80, 6, 1, 1}, "Vorpal");
    folder.write("options", bytes + std::string(28, 'x'));
    std::string printed;
    EXPECT_EQ(loadCapturing(printed), 0);
    EXPECT_EQ(printed, LOAD);
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 768);
    EXPECT_EQ(o.maxFps, -5);
    EXPECT_EQ(o.visibility, 70);
    EXPECT_EQ(o.fog, 0);
    EXPECT_EQ(o.verticalSensitivity, 120);
    EXPECT_EQ(o.horizontalSensitivity, 80);
    EXPECT_EQ(o.colour, 6);
    EXPECT_EQ(o.doorSounds, 1);
    EXPECT_STREQ(o.pseudo, "Vorpal");
    // A good file is left alone.
    EXPECT_EQ(folder.read("options").size(), 100u);
}

TEST_F(OptionsFile, SmoothingAlwaysLoadsAsOne) {
    folder.write("options", optionsFile({640, 480, 300, 100, 1, 100, 100, 0, 0, 0}, "a"));
    std::string printed;
    EXPECT_EQ(loadCapturing(printed), 0);
    EXPECT_EQ(o.smoothRemotePlayers, 1);
}

TEST_F(OptionsFile, PseudoWithoutZeroIsCutAt31) {
    folder.write("options", optionsFile(DEFAULT_VALUES, std::string(32, 'P')));
    std::string printed;
    EXPECT_EQ(loadCapturing(printed), 0);
    EXPECT_EQ(std::string(o.pseudo), std::string(31, 'P'));
}

TEST_F(OptionsFile, SaveWritesFileOrderLittleEndianAndWholePseudoField) {
    o = Options{};
    o.width = 1;
    o.height = 2;
    o.maxFps = 3;
    o.visibility = 4;
    o.fog = 5;
    o.verticalSensitivity = 6;
    o.horizontalSensitivity = 7;
    o.doorSounds = 8;
    o.smoothRemotePlayers = -2;
    memcpy(o.pseudo, "ab\0cd", 5);
    o.colour = 9;
    StdoutCapture capture;
    capture.start();
    EXPECT_EQ(saveOptions(o), 0);
    EXPECT_EQ(capture.stop(), "");
    EXPECT_EQ(folder.read("options"),
              optionsFile({1, 2, 3, 4, 5, 6, 7, 9, 8, -2}, std::string("ab\0cd", 5)));
}

TEST_F(OptionsFile, UncreatableFileFailsWithItsMessage) {
    // A folder named "options" can be neither read nor replaced.
    ASSERT_EQ(mkdir("options", 0755), 0);
    StdoutCapture capture;
    capture.start();
    EXPECT_EQ(saveOptions(o), 1);
    EXPECT_EQ(capture.stop(), "Erreur: impossible d'enregistrer les options\n");

    std::string printed;
    EXPECT_EQ(loadCapturing(printed), 1);
    EXPECT_EQ(printed, std::string(LOAD) + "Fichier option inexistant\n" + DEFAULTS +
                           "Erreur: impossible d'enregistrer les options\n");
    // The record keeps the defaults even though they could not be stored.
    expectDefaults();
}

} // namespace
