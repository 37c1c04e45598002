// Bots against a real host: a frag scored across the network, and a full game of eight.
#include <gtest/gtest.h>

#include <memory>

#include "E2eSupport.h"

namespace {

using namespace e2e;

// One bare room with a spawn point at each end: nothing stands between two players.
const char* const DUEL_MAP = "<apparition> (1,1) (6,2)\n"
                             "<plafon> [0]{2} (0) (0,0) (8,4)  [2]{2} (3) (0,0) (8,4)\n"
                             "<mur> [1]{2} (h,0,0,8)(0,5) (h,4,0,8)(0,5)\n"
                             "             (v,0,0,4)(0,5) (v,8,0,4)(0,5)\n"
                             "<fin>\n";

class Combat : public OnDisplay {
  protected:
    // The host on map number `map`.
    void hostOn(int map = 0) {
        ASSERT_TRUE(host.launch()) << host.tail();
        ASSERT_TRUE(host.host(port, map)) << host.tail();
    }
    Player host{x, named("hote")};
};

TEST_F(Combat, BotShootsTheStandingHostDownAndTaunts) {
    ASSERT_NO_FATAL_FAILURE(hostOn(host.folder().addMap("duel.map", DUEL_MAP, "maps\\salle.list")));

    Bot shooter;
    ASSERT_TRUE(shooter.start(host.folder().path(), port, "tireur", {"--shoot-at", "7"}));
    const int id = shooter.joined();
    ASSERT_GE(id, 0) << shooter.tail();
    const std::string who = std::to_string(id);

    // 75 health, 10 a hit, one shot a second: the host falls after about eight seconds.
    const int fragMs = 40000;
    EXPECT_TRUE(shooter.saw("recv type=13 arg=7 value=" + who + "\n", fragMs)) << shooter.tail();
    EXPECT_TRUE(shooter.saw("recv type=3 arg=" + who + " value=1\n")) << shooter.tail();
    const std::string taunts[5] = {"hote n'etait pas assez fort", "hote admet son inferiorite",
                                   "hote est vraiment un noob...", "Tu me decois hote",
                                   "Prend pas la quinte hote..."};
    ASSERT_TRUE(shooter.saw("recv type=16 arg=" + who + " text=")) << shooter.tail();
    const std::string record = shooter.process().output();
    int said = 0;
    for (const std::string& t : taunts)
        if (record.find("recv type=15 arg=0 text=" + t + "\\x0A\n") != std::string::npos) ++said;
    EXPECT_EQ(said, 1) << shooter.tail();

    size_t from = host.mark();
    ASSERT_TRUE(host.send("score"));
    EXPECT_TRUE(host.waitFor("\nScore de tireur(" + who + ")=1", REPLY_MS, from)) << host.tail();
    // The host heard the taunt as a chat line of its killer.
    EXPECT_NE(host.process().find("\ntireur:"), std::string::npos) << host.tail();
}

TEST_F(Combat, EighthPlayerWaitsForAFreeNumber) {
    ASSERT_NO_FATAL_FAILURE(hostOn());

    const std::vector<std::string> calm = {"--quiet", "--fps", "10"};
    std::unique_ptr<Bot> bots[7];
    for (int i = 0; i < 7; ++i) {
        bots[i].reset(new Bot());
        ASSERT_TRUE(bots[i]->start(host.folder().path(), port, "bot" + std::to_string(i), calm));
        // One at a time, so numbers are given in order.
        ASSERT_EQ(bots[i]->joined(), i) << bots[i]->tail();
    }

    Bot eighth;
    ASSERT_TRUE(eighth.start(host.folder().path(), port, "huitieme", calm));
    EXPECT_FALSE(eighth.process().waitFor("joined", 2000)) << "an eighth player was let in";
    EXPECT_TRUE(eighth.process().isRunning()) << eighth.tail();

    const size_t from = host.mark();
    bots[3]->process().kill(SIGTERM);
    ASSERT_TRUE(bots[3]->process().waitExit(REPLY_MS));
    EXPECT_EQ(eighth.joined(), 3) << eighth.tail() << host.tail();
    EXPECT_TRUE(host.waitFor("\nNouveau joueur id: 3\n", REPLY_MS, from)) << host.tail();
}

} // namespace
