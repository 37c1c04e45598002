// The message ring and the chat line, without a window.
#include "render/Texte.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>

struct TexteRing : ::testing::Test {
    Texte texte;
    void SetUp() override { texte.initMessages(); }
    // Rows of the slots that are shown, in slot order.
    std::string shownRows() const {
        std::string out;
        for (int i = 0; i < TEXTE_SLOTS; i++)
            if (texte.rows[i] != -1) out += std::to_string(texte.rows[i]) + " ";
        return out;
    }
};

TEST_F(TexteRing, NewestAtRowZeroOlderOnesClimbTheSixteenthReplacesTheFirstAndTheyExpire) {
    texte.addMessage("%s a tue %s", "Ana", "Bob");
    EXPECT_STREQ(texte.lines[0], "Ana a tue Bob");
    texte.addMessage("second");
    EXPECT_EQ(shownRows(), "1 0 ");
    for (int i = 3; i <= 16; i++)
        texte.addMessage("m%d", i);
    EXPECT_STREQ(texte.lines[0], "m16");
    EXPECT_EQ(shownRows(), "0 14 13 12 11 10 9 8 7 6 5 4 3 2 1 "); // "second" on the top row
    // Long lines are cut at 255 characters; texts are never formats.
    texte.addMessage("%s", std::string(1000, 'x').c_str());
    EXPECT_EQ(std::strlen(texte.lines[1]), 255u);
    texte.addMessage("%s", "100% %s %n");
    EXPECT_STREQ(texte.lines[2], "100% %s %n");

    // A message lasts five seconds while its time left is 0 and goes below it.
    texte.initMessages();
    texte.addMessage("old");
    texte.expireMessages(3000);
    texte.addMessage("new");
    texte.expireMessages(2000);
    EXPECT_EQ(shownRows(), "1 0 "); // exactly 0 left: still shown
    texte.expireMessages(1);
    EXPECT_EQ(shownRows(), "0 ");
    texte.expireMessages(0xFFFFFFFFu); // a very long pause, without wrapping the count
    EXPECT_EQ(shownRows(), "");
    texte.addMessage("back"); // the expired ones stay gone
    EXPECT_EQ(shownRows(), "0 ");
}

TEST_F(TexteRing, ChatEditsWithinThirtyNineCharactersAndGivesACopy) {
    texte.appendChat('a'); // closed: ignored
    texte.openChat();
    texte.deleteChat(); // empty: nothing happens
    EXPECT_EQ(texte.chatLength, 0);
    for (int i = 0; i < 40; i++)
        texte.appendChat(static_cast<uint8_t>('a' + i % 26));
    EXPECT_EQ(std::string(texte.chatText), "abcdefghijklmnopqrstuvwxyzabcdefghijklm");
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
}
