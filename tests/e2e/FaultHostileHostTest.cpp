// A host that sends a game client whatever it likes: every type value but the kick, player
// numbers outside the table, texts without their zero, NaN and 1e300 where numbers go, a
// player number for itself that no client may have. The client stays up, keeps its game
// loop running and its console answering. The host is a bare socket.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "RawPeer.h"

namespace {

using namespace e2e;

constexpr uint32_t SEED = 4242u;

TEST(HostileHost, EveryFieldOutOfBoundsLeavesTheClientPlaying) {
    XDisplay x;
    ASSERT_TRUE(x.start()) << "no X server";
    Player client(x, smallWindow("client"));
    RawPeer host;
    ASSERT_TRUE(client.launch()) << client.tail();
    ASSERT_TRUE(hostForClient(host, client)) << client.tail();

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Welcomes that no client number fits, then a true one; then the map.
    for (double number : {nan, inf, -1.0, 7.0, 1e300, -1e300, 6.9999, 3.0})
        ASSERT_TRUE(host.sendDoubles(MSG_ASSIGN_ID, 7, &number, 1));
    ASSERT_TRUE(host.awaitFrame(MSG_COLOUR, 3, REPLY_MS)) << client.tail();
    ASSERT_TRUE(host.sendText(MSG_LOAD_MAP, 1, "maps\\salle.map"));
    // Two other players, so that states and shots land in present slots.
    for (int32_t other : {0, 7})
        ASSERT_TRUE(host.send(MSG_NEW_PLAYER, other));

    std::mt19937 random(SEED);
    std::vector<int32_t> types;
    for (int32_t t = 0; t < 256; ++t)
        if (t != MSG_KICKED) types.push_back(t); // a kick ends the game loop, as it should
    for (int32_t t : {256, 65536, -1, 2147483647, -2147483647 - 1})
        types.push_back(t);
    int sent = 0;
    for (int32_t type : types) {
        for (int32_t argument : {0, 7, 3, -5, 8, 99, 2147483647, -2147483647 - 1}) {
            uint8_t payload[PAYLOAD_SIZE];
            for (uint8_t& b : payload)
                b = static_cast<uint8_t>(random() & 0xFF);
            ASSERT_TRUE(host.send(type, argument, payload));
            if (++sent % 50 == 0) host.drain();
        }
    }
    const std::string noZero(PAYLOAD_SIZE, 'B');
    for (int32_t type : {MSG_NAME, MSG_CHAT, MSG_VERSION, MSG_SAY, MSG_LOAD_MAP})
        for (int32_t argument : {0, 7, 8})
            ASSERT_TRUE(host.sendText(type, argument, noZero));
    for (double w : {nan, 1e300, -1e300, inf, -inf, 5e-324}) {
        uint8_t state[PAYLOAD_SIZE] = {1, 0, 1, 0};
        const double fields[5] = {w, w, w, w, w};
        memcpy(state + 8, fields, sizeof fields);
        for (int32_t n : {0, 7}) {
            ASSERT_TRUE(host.send(MSG_STATE, n, state));
            const double shot[6] = {w, w, w, w, w, w};
            ASSERT_TRUE(host.sendDoubles(MSG_SHOT, n, shot, 6));
            for (int32_t type : {MSG_SCORE, MSG_COLOUR, MSG_FRAG})
                ASSERT_TRUE(host.sendDoubles(type, n, &w, 1));
        }
        host.drain();
    }
    // A chat line from the host as the last frame: once shown, everything before it is done.
    ASSERT_TRUE(host.sendText(MSG_NAME, 7, "hote"));
    ASSERT_TRUE(host.sendText(MSG_CHAT, 7, "tout est dit"));
    EXPECT_TRUE(client.waitFor("\nhote:tout est dit\n", STARTUP_MS, 0)) << client.tail();

    EXPECT_TRUE(client.process().isRunning()) << client.tail();
    // Random welcomes in the barrage may have renumbered it: any number will do.
    EXPECT_TRUE(client.command("score", "\nMon score (")) << client.tail();
    EXPECT_TRUE(client.command("aide", HELP_FIRST_LINES)) << client.tail();
    EXPECT_FALSE(client.window(REPLY_MS).empty()) << "the client's window closed";
}

} // namespace
