// The message ring, the chat line and the stopwatch behind them, without a window.
#include "render/Texte.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class TexteRing : public ::testing::Test {
  protected:
    void SetUp() override { texte.initMessages(); }
    // Rows of the slots that are shown, in slot order.
    std::string shownRows() const {
        std::string out;
        for (int i = 0; i < TEXTE_SLOTS; i++) {
            if (texte.rows[i] != -1) out += std::to_string(texte.rows[i]) + " ";
        }
        return out;
    }
    Texte texte;
};

} // namespace

TEST_F(TexteRing, NewestAtRowZeroOlderOnesClimbAndTheSixteenthReplacesTheFirst) {
    EXPECT_EQ(shownRows(), "");
    texte.addMessage("%s a tue %s", "Ana", "Bob");
    EXPECT_STREQ(texte.lines[0], "Ana a tue Bob");
    EXPECT_EQ(texte.timeLeft[0], TEXTE_LIFETIME);
    texte.addMessage("second");
    EXPECT_EQ(shownRows(), "1 0 ");
    for (int i = 3; i <= 16; i++)
        texte.addMessage("m%d", i);
    EXPECT_STREQ(texte.lines[0], "m16");
    EXPECT_EQ(texte.next, 1);
    EXPECT_EQ(shownRows(), "0 14 13 12 11 10 9 8 7 6 5 4 3 2 1 "); // "second" on the top row
}

TEST_F(TexteRing, MessageLastsWhileTimeLeftIsZeroAndGoesBelowIt) {
    texte.addMessage("old");
    texte.expireMessages(3000);
    texte.addMessage("new");
    texte.expireMessages(2000);
    EXPECT_EQ(shownRows(), "1 0 "); // exactly 0 left: still shown
    EXPECT_EQ(texte.timeLeft[0], 0);
    texte.expireMessages(1);
    EXPECT_EQ(shownRows(), "0 ");
    // A very long pause removes everything without wrapping the count.
    texte.expireMessages(0xFFFFFFFFu);
    EXPECT_EQ(shownRows(), "");
}

TEST_F(TexteRing, LongAndHostileLinesStayBoundedAndUnformatted) {
    const std::string longLine(1000, 'x');
    texte.addMessage("%s", longLine.c_str());
    EXPECT_EQ(std::strlen(texte.lines[0]), 255u);
    texte.addMessage("%s", "100% %s %n");
    EXPECT_STREQ(texte.lines[1], "100% %s %n");
}

TEST(TexteText, DrawingBeforeTheFontIsBuiltOnlyComplains) {
    ASSERT_FALSE(isFontReady());
    static Texte texte;
    texte.initMessages();
    texte.addMessage("un");
    texte.addMessage("deux");
    texte.openChat();
    texte.clock.previous = platform::ticks(); // no time has passed for the list
    testing::internal::CaptureStdout();
    drawText(0, 0, "white", 1.0, "x");
    texte.drawMessages(); // two lines and the chat line
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string line =
        "Erreur: Affichage du texte impossible, l'initialisation n'a pas ete faite\n";
    EXPECT_EQ(out, line + line + line + line);
}

TEST(TexteChat, EditingWithinThirtyNineCharactersAndTakingACopy) {
    Texte texte;
    texte.initMessages();
    texte.appendChat('a'); // closed: ignored
    texte.openChat();
    EXPECT_EQ(texte.chatLength, 0);
    texte.deleteChat(); // empty: nothing happens
    EXPECT_EQ(texte.chatLength, 0);
    for (int i = 0; i < 40; i++)
        texte.appendChat(static_cast<uint8_t>('a' + i % 26));
    EXPECT_EQ(texte.chatLength, TEXTE_CHAT_MAX);
    EXPECT_EQ(std::strlen(texte.chatText), 39u);
    EXPECT_EQ(texte.chatText[38], 'm'); // the 40th ('n') was dropped
    texte.deleteChat();
    EXPECT_EQ(std::strlen(texte.chatText), 38u);

    texte.openChat();
    for (char c : std::string("50% %s"))
        texte.appendChat(static_cast<uint8_t>(c));
    char* taken = texte.takeChat();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(texte.chatActive, 0);
    texte.openChat(); // reopening empties the line but not the copy
    EXPECT_STREQ(texte.chatText, "");
    EXPECT_STREQ(taken, "50% %s");
    std::free(taken);
    char* empty = texte.takeChat();
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    std::free(empty);
}

TEST(TexteClock, TickMeasuresAcrossTheCounterWrap) {
    platform::Chrono c;
    c.clear();
    c.previous = 0xFFFFFFF6u; // 10 ms before the counter wraps
    c.tick();
    EXPECT_EQ(c.elapsed, c.now + 10u);
    EXPECT_EQ(c.previous, c.now);
    const uint32_t start = platform::ticks();
    c.tick();
    EXPECT_LE(c.elapsed, platform::ticks() - start + 1);
}
