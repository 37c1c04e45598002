// A peer that sends the host whatever it likes: every type value, player numbers outside
// the table, texts without their zero, NaN and 1e300 in states and shots, a burst of 500
// shots; raw bytes, a frame one byte at a time, half a frame, fifty connections opened and
// dropped. The host relays much of it, so a game client and a bot watch from inside the
// game. Afterwards the host, the client and the bot are all up, a fresh bot still joins
// and the host's console still answers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "RawPeer.h"

namespace {

using namespace e2e;

constexpr uint32_t SEED = 20240611u;
const int32_t STRANGE_NUMBERS[] = {-5, 8, 99, 2147483647, -1, -2147483647 - 1};

class HostilePeer : public HostClientBot {
  protected:
    HostilePeer() : HostClientBot("client") {}

    // Everybody is still there and still playing, and a newcomer is welcomed as ever.
    void expectGameStillStanding() {
        EXPECT_TRUE(host.process().isRunning()) << host.tail();
        EXPECT_TRUE(client.process().isRunning()) << client.tail();
        EXPECT_TRUE(bot.process().isRunning()) << bot.tail();
        Bot fresh;
        ASSERT_TRUE(fresh.start(host.folder().path(), port, "nouveau"));
        EXPECT_GE(fresh.joined(), 0) << fresh.tail() << host.tail();
        EXPECT_TRUE(fresh.saw("recv type=5 ")) << "no map for the newcomer" << fresh.tail();
        EXPECT_TRUE(host.command("aide", HELP_FIRST_LINES)) << host.tail();
        // The client's game loop answers through its queue; its console answers too.
        EXPECT_TRUE(client.command("score", "!!\n")) << client.tail();
        EXPECT_TRUE(client.command("aide", HELP_FIRST_LINES)) << client.tail();
    }

    std::vector<uint8_t> randomBytes(size_t n) {
        std::vector<uint8_t> bytes(n);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random() & 0xFF);
        return bytes;
    }

    std::mt19937 random{SEED};
};

TEST_F(HostilePeer, EveryFieldOutOfBoundsFromAJoinedPeer) {
    RawPeer hostile;
    const int32_t me = hostile.join(port, "mechant", REPLY_MS);
    ASSERT_GE(me, 0) << host.tail();

    // Every type value and some beyond, each with our number and the strange ones.
    std::vector<int32_t> types;
    for (int32_t t = 0; t < 256; ++t)
        types.push_back(t);
    for (int32_t t : {256, 1000, 65536, -1, 2147483647, -2147483647 - 1})
        types.push_back(t);
    int sent = 0;
    for (int32_t type : types) {
        std::vector<int32_t> arguments = {me};
        arguments.insert(arguments.end(), std::begin(STRANGE_NUMBERS), std::end(STRANGE_NUMBERS));
        for (int32_t argument : arguments) {
            ASSERT_TRUE(hostile.send(type, argument, randomBytes(PAYLOAD_SIZE).data()));
            if (++sent % 50 == 0) hostile.drain(); // the host echoes: keep reading
        }
    }

    // Back in the table with the right stamp, so what follows is acted on, then relayed.
    ASSERT_TRUE(hostile.announce("mechant", 2));
    const std::string noZero(PAYLOAD_SIZE, 'A');
    for (int32_t type : {MSG_NAME, MSG_CHAT, MSG_SAY, MSG_LOAD_MAP, MSG_CHANGE_MAP, MSG_VERSION})
        for (int32_t argument : {me, 8, 99})
            ASSERT_TRUE(hostile.sendText(type, argument, noZero));
    ASSERT_TRUE(hostile.sendText(MSG_VERSION, me, VERSION_STAMP));

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double wild[] = {nan, 1e300, -1e300, inf, -inf, 5e-324, -0.0};
    for (double w : wild) {
        uint8_t state[PAYLOAD_SIZE] = {1, 1, 1, 1};
        const double fields[5] = {w, w, w, w, w}; // ticks, x, y, yaw, pitch
        memcpy(state + 8, fields, sizeof fields);
        ASSERT_TRUE(hostile.send(MSG_STATE, me, state));
        const double shot[6] = {w, 500.0, w, w, 1.0, w};
        ASSERT_TRUE(hostile.sendDoubles(MSG_SHOT, me, shot, 6));
        const double all[6] = {w, w, w, w, w, w};
        ASSERT_TRUE(hostile.sendDoubles(MSG_SHOT, me, all, 6));
        for (int32_t type : {MSG_SCORE, MSG_COLOUR, MSG_FRAG, MSG_ASSIGN_ID})
            ASSERT_TRUE(hostile.sendDoubles(type, me, &w, 1));
        hostile.drain();
    }
    // The host as the killer of players it does not know.
    const double hostNumber = 7.0;
    for (int32_t victim : STRANGE_NUMBERS)
        ASSERT_TRUE(hostile.sendDoubles(MSG_FRAG, victim, &hostNumber, 1));

    for (int i = 0; i < 500; ++i) {
        const double shot[6] = {100.0 + i, 150.0, 117.0, 10000.0, 1.0 * i, 0.0};
        ASSERT_TRUE(hostile.sendDoubles(MSG_SHOT, me, shot, 6));
        if (i % 50 == 0) hostile.drain();
    }
    // A mark at the end: once the bot has it, the host has handled everything before it.
    ASSERT_TRUE(hostile.sendText(MSG_CHAT, me, "fin de l'attaque"));
    EXPECT_TRUE(bot.saw("text=fin de l'attaque", STARTUP_MS)) << bot.tail() << host.tail();
    // The wild values went through the host to the clients.
    const std::string relayed = "recv type=12 arg=" + std::to_string(me) + " x=";
    EXPECT_TRUE(bot.saw(relayed + "nan ") || bot.saw(relayed + "-nan ")) << bot.tail();
    EXPECT_TRUE(bot.saw(relayed + "inf ")) << bot.tail();
    expectGameStillStanding();
}

TEST_F(HostilePeer, BrokenStreamsAndDroppedConnections) {
    // Loose random bytes: most frames they make up are read, queued and handled.
    for (int round = 0; round < 4; ++round) {
        RawPeer noise;
        ASSERT_GE(noise.welcome(port, REPLY_MS), 0) << host.tail();
        const std::vector<uint8_t> bytes = randomBytes(16 * 1024 + 13);
        noise.sendBytes(bytes.data(), bytes.size());
    }

    // A frame that comes one byte at a time is still one frame.
    RawPeer slow;
    const int32_t slowId = slow.join(port, "lent", REPLY_MS);
    ASSERT_GE(slowId, 0) << host.tail();
    Message chat = {};
    chat.sequence = 1000;
    chat.type = MSG_CHAT;
    chat.argument = slowId;
    memcpy(chat.payload, "octet par octet", 15);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&chat);
    for (int i = 0; i < FRAME_SIZE; ++i) {
        ASSERT_TRUE(slow.sendBytes(bytes + i, 1));
        pause(2);
    }
    EXPECT_TRUE(bot.saw("recv type=16 arg=" + std::to_string(slowId) + " text=octet par octet"))
        << bot.tail();

    // Half a frame, then gone: the others are told that the player left.
    const size_t before = bot.process().outputSize();
    Message half = chat;
    half.sequence = 1001;
    ASSERT_TRUE(slow.sendBytes(&half, FRAME_SIZE / 2));
    slow.close();
    EXPECT_TRUE(bot.saw("recv type=20 arg=" + std::to_string(slowId) + "\n", REPLY_MS, before))
        << bot.tail();

    // Fifty connections dropped at every step of a join: at once, after the welcome,
    // in the middle of the announcement, in the middle of a frame.
    for (int i = 0; i < 50; ++i) {
        RawPeer passer;
        if (i % 4 == 0) {
            ASSERT_TRUE(passer.connect(port)) << "connection " << i << host.tail();
            continue;
        }
        const int32_t id = passer.welcome(port, REPLY_MS);
        ASSERT_GE(id, 0) << "connection " << i << host.tail();
        if (i % 4 == 1) continue;
        ASSERT_TRUE(passer.send(MSG_NEW_PLAYER, id));
        if (i % 4 == 2) continue;
        passer.sendBytes(&chat, 10);
    }
    expectGameStillStanding();
}

} // namespace
