// A host under a stream of players coming and going: a hundred join-and-leave cycles spread
// over the seven slots (some newcomers leaving halfway through their announcement), each
// leave seen by the others, each join answered in the freed slot; afterwards seven
// newcomers get the numbers 0 to 6 and the console still answers. Connections that never
// announce themselves cannot keep the others out.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "E2eSupport.h"
#include "RawPeer.h"

namespace {

using namespace e2e;

constexpr int CYCLES = 100;
constexpr int SLOTS = 7;

GameSettings smallHost() {
    GameSettings s;
    s.pseudo = "hote";
    s.width = 160;
    s.height = 120;
    s.maxFps = 100; // each leave is seen after a frame of the host
    return s;
}

TEST(LoadJoinLeave, HundredCyclesOverSevenSlotsLeaveEverySlotReusable) {
    XDisplay x;
    ASSERT_TRUE(x.start()) << "no X server";
    Player host(x, smallHost());
    ASSERT_TRUE(host.launch()) << host.tail();
    const int port = freePort();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(host.host(port, 1)) << host.tail();

    std::vector<std::unique_ptr<RawPeer>> seats(SLOTS);
    for (int i = 0; i < SLOTS; ++i) {
        seats[i].reset(new RawPeer());
        ASSERT_EQ(seats[i]->join(port, "joueur" + std::to_string(i), REPLY_MS), i) << host.tail();
    }
    for (int cycle = 0; cycle < CYCLES; ++cycle) {
        // Every third slot in turn, so each slot is left and taken again many times.
        const int k = (cycle * 3) % SLOTS;
        seats[k]->close();
        RawPeer& witness = *seats[(k + 1) % SLOTS];
        ASSERT_TRUE(witness.awaitFrame(MSG_PLAYER_LEFT, k, REPLY_MS))
            << "cycle " << cycle << ": nobody was told that player " << k << " left" << host.tail();
        if (cycle % 5 == 4) {
            // One that gives up halfway through its announcement frees the slot as well.
            RawPeer quitter;
            ASSERT_EQ(quitter.welcome(port, REPLY_MS), k) << "cycle " << cycle << host.tail();
            ASSERT_TRUE(quitter.send(MSG_NEW_PLAYER, k));
            quitter.close();
            ASSERT_TRUE(witness.awaitFrame(MSG_PLAYER_LEFT, k, REPLY_MS))
                << "cycle " << cycle << host.tail();
        }
        // Welcomed into the freed slot; its announcement is handled while the churn goes on.
        seats[k].reset(new RawPeer());
        ASSERT_EQ(seats[k]->welcome(port, REPLY_MS), k) << "cycle " << cycle << host.tail();
        ASSERT_TRUE(seats[k]->announce("retour" + std::to_string(cycle), 1));
        for (auto& seat : seats)
            seat->drain();
    }

    for (auto& seat : seats)
        seat.reset();
    std::vector<int32_t> numbers;
    std::vector<std::unique_ptr<RawPeer>> last(SLOTS);
    for (int i = 0; i < SLOTS; ++i) {
        last[i].reset(new RawPeer());
        numbers.push_back(last[i]->join(port, "dernier" + std::to_string(i), REPLY_MS));
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6})) << host.tail();

    // Every join was handled (the last ones were answered, and the host takes its messages
    // in order); those that gave up halfway had announced themselves (their first frame) too.
    EXPECT_EQ(host.process().count("\nNouveau joueur id: "), SLOTS + CYCLES + CYCLES / 5 + SLOTS);
    EXPECT_EQ(host.process().count("File des messages pleine"), 0) << host.tail();
    EXPECT_TRUE(host.command("aide", HELP_FIRST_LINES)) << host.tail();
    EXPECT_TRUE(host.process().isRunning());
}

TEST(LoadJoinLeave, SevenSilentConnectionsDoNotLockANewcomerOut) {
    XDisplay x;
    ASSERT_TRUE(x.start()) << "no X server";
    Player host(x, smallHost());
    ASSERT_TRUE(host.launch()) << host.tail();
    const int port = freePort();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(host.host(port, 1)) << host.tail();

    std::vector<std::unique_ptr<RawPeer>> squatters(SLOTS);
    for (auto& squatter : squatters) {
        squatter.reset(new RawPeer());
        ASSERT_GE(squatter->welcome(port, REPLY_MS), 0) << host.tail();
    }
    const auto start = std::chrono::steady_clock::now();
    RawPeer newcomer;
    const int32_t id = newcomer.join(port, "patient", 20000);
    const auto waited =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(id, 0) << host.tail();
    EXPECT_LE(waited.count(), 20);
}

} // namespace
