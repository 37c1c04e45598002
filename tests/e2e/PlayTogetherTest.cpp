// A host and a client, two real games with their windows side by side on one display, and a
// headless bot that records what a third player receives: they meet, talk, obey the host's
// commands and learn when somebody leaves.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

class PlayTogether : public OnDisplay {
  protected:
    void SetUp() override {
        OnDisplay::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(host.launch()) << host.tail();
        ASSERT_TRUE(host.host(port, 0)) << host.tail();
        clientId = joinGame(client);
        ASSERT_GE(clientId, 0) << host.tail() << client.tail();
        // Side by side, so a screenshot of either shows it whole.
        EXPECT_TRUE(host.moveTo(0, 0));
        EXPECT_TRUE(client.moveTo(320, 0));
    }

    // Starts `player` as a client of the host; its player number, or -1.
    int joinGame(Player& player) {
        const size_t from = host.mark();
        if (!player.launch() || !player.join(port)) return -1;
        if (!host.waitFor("\nNouveau joueur id: ", STARTUP_MS, from)) return -1;
        if (!host.waitFor("\n\n>>>", REPLY_MS, host.process().find("Nouveau joueur id: ", from)))
            return -1;
        return numberAfter(host.process().output(), "\nNouveau joueur id: ", from);
    }

    // A bot that only watches; its player number, or -1.
    int startWatcher(std::vector<std::string> options = {}) {
        if (!watcher.start(host.folder().path(), port, "robot", options)) return -1;
        return watcher.joined();
    }

    // Asks for the scores until `line` is listed: a newcomer's name follows its arrival by a
    // frame or two. True when it was listed within a few tries.
    static bool scoresList(Player& player, const std::string& line) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            const size_t from = player.mark();
            if (!player.send("score") || !player.waitFor("!!\n\n>>>", REPLY_MS, from)) return false;
            if (player.process().find(line, from) != std::string::npos) return true;
            pause(200);
        }
        return false;
    }

    Player host{x, named("hote", 3)};
    Player client{x, named("client", 5)};
    int clientId = -1;
    Bot watcher;
};

TEST_F(PlayTogether, PlayersSeeEachOtherAndTalk) {
    const std::string id = std::to_string(clientId);
    EXPECT_TRUE(scoresList(host, "\nScore de client(" + id + ")=0")) << host.tail();
    EXPECT_TRUE(scoresList(client, "\nScore de hote(7)=0")) << client.tail();
    EXPECT_NE(client.process().find("\nMon score (" + id + ")=0!!"), std::string::npos);
    ASSERT_GE(startWatcher(), 0) << watcher.tail();

    // Chat typed in the client's window: Return opens the line, Return sends it.
    size_t hostFrom = host.mark(), clientFrom = client.mark();
    ASSERT_TRUE(client.focus());
    ASSERT_TRUE(client.key("Return"));
    ASSERT_TRUE(client.type("Salut a Tous"));
    ASSERT_TRUE(client.key("Return"));
    EXPECT_TRUE(host.waitFor("\nclient:Salut a Tous\n\n>>>", REPLY_MS, hostFrom)) << host.tail();
    // The host's relay brings the line back to its author too.
    EXPECT_TRUE(client.waitFor("\nclient:Salut a Tous\n\n>>>", REPLY_MS, clientFrom))
        << client.tail();
    EXPECT_TRUE(watcher.saw("recv type=16 arg=" + id + " text=Salut a Tous\n")) << watcher.tail();

    // `dire` on the host's console reaches every player.
    clientFrom = client.mark();
    hostFrom = host.mark();
    ASSERT_TRUE(host.command("dire", "Votre texte:"));
    ASSERT_TRUE(host.send("bonjour les amis"));
    EXPECT_TRUE(host.waitFor("\nhote:bonjour les amis\n\n>>>", REPLY_MS, hostFrom)) << host.tail();
    EXPECT_TRUE(client.waitFor("\nhote:bonjour les amis\n\n>>>", REPLY_MS, clientFrom))
        << client.tail();
    EXPECT_TRUE(watcher.saw("recv type=16 arg=7 text=bonjour les amis\n")) << watcher.tail();
}

TEST_F(PlayTogether, HostCommandsReachEveryPlayer) {
    ASSERT_GE(startWatcher(), 0) << watcher.tail();

    size_t clientFrom = client.mark();
    EXPECT_TRUE(host.command("reset", "Remise a 0 des scores\n")) << host.tail();
    EXPECT_TRUE(client.waitFor("Remise a 0 des scores\n", REPLY_MS, clientFrom)) << client.tail();
    EXPECT_TRUE(watcher.saw("recv type=22 arg=0")) << watcher.tail();

    clientFrom = client.mark();
    const size_t watcherFrom = watcher.process().outputSize();
    EXPECT_TRUE(host.command("chargemap 1", "On charge la map maps\\salle.map de numero 1\n"))
        << host.tail();
    EXPECT_TRUE(
        client.waitFor("On charge la map maps\\salle.map de numero 1\n", REPLY_MS, clientFrom))
        << client.tail();
    EXPECT_TRUE(watcher.saw("recv type=5 arg=1 text=maps\\\\salle.map\n", REPLY_MS, watcherFrom))
        << watcher.tail();

    // The kicked player's game ends; its console does not.
    clientFrom = client.mark();
    ASSERT_TRUE(host.send("expulse " + std::to_string(clientId)));
    EXPECT_TRUE(client.waitFor("L'hote vous a expulse de la partie\n", REPLY_MS, clientFrom))
        << client.tail();
    EXPECT_TRUE(client.windowGone(REPLY_MS)) << "the kicked player's window is still open";
    EXPECT_TRUE(client.command("aide", HELP_FIRST_LINES)) << client.tail();
    EXPECT_TRUE(client.process().isRunning());
    EXPECT_FALSE(host.window().empty()) << "the host's window closed";
    EXPECT_TRUE(watcher.process().isRunning()) << watcher.tail();
}

TEST_F(PlayTogether, LeavingPlayersAreAnnounced) {
    ASSERT_GE(startWatcher(), 0) << watcher.tail();

    // A client that quits: its number is announced as gone to the others.
    ASSERT_TRUE(client.send("quitter"));
    ASSERT_TRUE(client.process().waitExit(REPLY_MS)) << client.tail();
    EXPECT_EQ(client.process().exitStatus(), 0);
    EXPECT_TRUE(watcher.saw("recv type=20 arg=" + std::to_string(clientId) + "\n"))
        << watcher.tail();

    // A new client joins; then the host dies under everybody's feet.
    Player second(x, named("second", 6));
    ASSERT_GE(joinGame(second), 0) << host.tail() << second.tail();
    const size_t watcherFrom = watcher.process().outputSize();
    host.process().kill(SIGKILL);
    ASSERT_TRUE(host.process().waitExit(REPLY_MS));
    EXPECT_TRUE(watcher.saw("recv type=21 arg=7\n", REPLY_MS, watcherFrom)) << watcher.tail();
    EXPECT_TRUE(watcher.saw("end reason=host-lost\n", REPLY_MS, watcherFrom)) << watcher.tail();
    // The client plays on alone: its window stays and its console answers.
    pause(500);
    EXPECT_TRUE(second.process().isRunning()) << second.tail();
    EXPECT_FALSE(second.window().empty()) << "the client's window closed with the host";
    EXPECT_TRUE(second.command("aide", HELP_FIRST_LINES)) << second.tail();
}

} // namespace
