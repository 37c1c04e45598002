// The command reader and the bounded input reads, fed from a scripted standard input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "console/Commande.h"
#include "console/Input.h"

namespace {

using testsupport::StdoutCapture;
using testsupport::TempFolder;

// Standard input becomes `text`, followed by the end of input.
class ScriptedInput : public ::testing::Test {
  protected:
    void feed(const std::string& text) {
        ASSERT_TRUE(folder.ok());
        folder.write("stdin", text);
        ASSERT_NE(freopen(folder.file("stdin").c_str(), "r", stdin), nullptr);
    }
    // Reads one command, keeping the prompt off the test's output.
    int32_t read(Commande& c) {
        capture.start();
        const int32_t result = readCommand(c);
        prompts += capture.stop();
        return result;
    }
    TempFolder folder;
    StdoutCapture capture;
    std::string prompts;
};

TEST_F(ScriptedInput, WordsArgumentsAndEndMarker) {
    feed("  \n\n listemap 4 -7 12abc abc +3\naide\nAide\noptions\nexpulse\n");
    Commande c;
    ASSERT_EQ(read(c), 0);
    EXPECT_EQ(c.number, CMD_LISTEMAP);
    const int32_t expected[] = {4, -7, 12, 0, 3, END_MARKER};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(c.arguments[i], expected[i]) << i;

    // Case matters, and the banner's word "options" is not a command.
    const int32_t next[][2] = {{CMD_AIDE, END_MARKER},
                               {CMD_UNKNOWN, END_MARKER},
                               {CMD_UNKNOWN, END_MARKER},
                               {CMD_EXPULSE, -2147483647}};
    for (const auto& n : next) {
        ASSERT_EQ(read(c), 0);
        EXPECT_EQ(c.number, n[0]);
        EXPECT_EQ(c.arguments[0], n[1]);
    }
    EXPECT_EQ(read(c), 1);
    EXPECT_EQ(prompts, "\n>>>\n>>>\n>>>\n>>>\n>>>\n>>>");
}

TEST_F(ScriptedInput, TwentyArgumentsFillTheTableUpToTheMarker) {
    std::string line = "option";
    for (int i = 1; i <= 20; ++i)
        line += " " + std::to_string(i);
    feed(line + " aide 99\n");
    Commande c;
    ASSERT_EQ(read(c), 0);
    for (int32_t i = 0; i < MAX_ARGUMENTS; ++i)
        EXPECT_EQ(c.arguments[i], i + 1);
    EXPECT_EQ(c.arguments[MAX_ARGUMENTS], END_MARKER);
    ASSERT_EQ(read(c), 0);
    EXPECT_EQ(c.number, CMD_AIDE);
    EXPECT_EQ(c.arguments[0], 99);
}

TEST_F(ScriptedInput, EndOfInputInsideACommandStillGivesTheCommand) {
    feed("chargemap 2");
    Commande c;
    ASSERT_EQ(read(c), 0);
    EXPECT_EQ(c.number, CMD_CHARGEMAP);
    EXPECT_EQ(c.arguments[0], 2);
    EXPECT_EQ(read(c), 1);
    feed("reset ");
    ASSERT_EQ(read(c), 0);
    EXPECT_EQ(c.number, CMD_RESET);
    EXPECT_EQ(c.arguments[0], END_MARKER);
}

TEST_F(ScriptedInput, OverLongWordsKeep99AndDropTheRest) {
    feed(std::string(99, 'a') + "b quitter\n" + std::string(150, '7') + " " + std::string(99, '9') +
         "\n");
    char word[WORD_SIZE];
    ASSERT_EQ(readWord(word, WORD_SIZE), 0);
    EXPECT_EQ(std::string(word), std::string(99, 'a'));
    ASSERT_EQ(readWord(word, WORD_SIZE), 0);
    EXPECT_STREQ(word, "quitter");
    // Huge numbers saturate instead of overflowing.
    int32_t value = 0;
    ASSERT_EQ(readDecimal(value), 0);
    EXPECT_EQ(value, INT32_MAX);
    ASSERT_EQ(readWord(word, WORD_SIZE), 0);
    EXPECT_EQ(toInteger(word), INT32_MAX);
    EXPECT_EQ(toInteger(("-" + std::string(30, '9')).c_str()), INT32_MIN);
    EXPECT_EQ(readWord(word, WORD_SIZE), 1);
    EXPECT_STREQ(word, "");
}

TEST_F(ScriptedInput, NumberReadLeavesAWordInPlace) {
    feed(" 42\n-17 x abc\n");
    int32_t value = 0;
    ASSERT_EQ(readDecimal(value), 0);
    EXPECT_EQ(value, 42);
    ASSERT_EQ(readDecimal(value), 0);
    EXPECT_EQ(value, -17);
    EXPECT_EQ(readDecimal(value), 1);
    EXPECT_EQ(readDecimal(value), 1);
    EXPECT_EQ(value, -17);
    char word[8];
    ASSERT_EQ(readWord(word, sizeof word), 0);
    EXPECT_STREQ(word, "x");
    EXPECT_EQ(readDecimal(value), 1);
    ASSERT_EQ(readWord(word, sizeof word), 0);
    EXPECT_STREQ(word, "abc");
    EXPECT_EQ(readDecimal(value), 1);
}

TEST_F(ScriptedInput, LinesAreCutAt47AndTheRestDropped) {
    feed("bonjour a tous\n\n" + std::string(60, 'z') + "\ncrlf\r\nfin");
    char line[48];
    const std::string lines[] = {"bonjour a tous", "", std::string(47, 'z'), "crlf", "fin"};
    for (const std::string& expected : lines) {
        ASSERT_EQ(readLine(line, 48), 0);
        EXPECT_EQ(expected, line);
    }
    EXPECT_EQ(readLine(line, 48), 1);
}

} // namespace
