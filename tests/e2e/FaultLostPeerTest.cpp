// Players that vanish without a word (kill -9) in the middle of a game: a client, whose
// departure the host and the others see and play on after; and the host, after which every
// client plays on alone. One host, one game client and one headless bot each time.
#include <gtest/gtest.h>

#include <csignal>

#include "E2eSupport.h"

namespace {

using namespace e2e;

class LostPeer : public HostClientBot {
  protected:
    LostPeer() : HostClientBot("victime") {}
};

TEST_F(LostPeer, KilledClientIsSeenGoneAndTheOthersPlayOn) {
    client.process().kill(SIGKILL);
    ASSERT_TRUE(client.process().waitExit(REPLY_MS));
    ASSERT_TRUE(bot.saw("recv type=20 arg=0\n")) << bot.tail();

    // Still in the game: the host's states keep coming to the bot.
    const size_t after = bot.process().find("recv type=20 arg=0\n");
    for (int seen = 0; seen < 3; ++seen) {
        ASSERT_TRUE(bot.saw("recv type=10 arg=7 ", REPLY_MS, after)) << bot.tail();
        if (bot.process().count("recv type=10 arg=7 ", after) >= 3) break;
        pause(600);
    }
    EXPECT_GE(bot.process().count("recv type=10 arg=7 ", after), 3) << bot.tail();
    EXPECT_TRUE(bot.process().isRunning());
    // The host's game loop lists the bot and no longer the client.
    ASSERT_TRUE(host.command("score", "Mon score (7)=0!!")) << host.tail();
    const std::string scores = host.process().output().substr(host.process().find("Score:"));
    EXPECT_NE(scores.find("Score de temoin(1)=0"), std::string::npos) << scores;
    EXPECT_EQ(scores.find("victime"), std::string::npos) << scores;
    EXPECT_TRUE(host.command("aide", HELP_FIRST_LINES)) << host.tail();
}

TEST_F(LostPeer, KilledHostLeavesEveryClientPlayingAlone) {
    host.process().kill(SIGKILL);
    ASSERT_TRUE(host.process().waitExit(REPLY_MS));
    ASSERT_TRUE(bot.saw("end reason=host-lost\n")) << bot.tail();
    ASSERT_TRUE(bot.process().waitExit(REPLY_MS)) << bot.tail();
    EXPECT_EQ(bot.process().exitStatus(), 0);

    // The client's game loop still runs (the scores come from it) and its console answers.
    EXPECT_TRUE(client.command("score", "Mon score (0)=0!!")) << client.tail();
    EXPECT_TRUE(client.command("aide", HELP_FIRST_LINES)) << client.tail();
    EXPECT_FALSE(client.window(REPLY_MS).empty()) << "the client's window closed";
    EXPECT_TRUE(client.process().isRunning());
}

} // namespace
