// One player alone: a host started from the console as a person types it, its window, the
// keyboard in that window, and the console that outlives the window.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

// One room, one spawn point at its west end; a player there looks east down the room.
const char* const HALL_MAP = "<apparition> (1,2)\n"
                             "<plafon> [0]{2} (0) (0,0) (12,4)  [2]{2} (3) (0,0) (12,4)\n"
                             "<mur> [1]{2} (h,0,0,12)(0,5) (h,4,0,12)(0,5)\n"
                             "             (v,0,0,4)(0,5) (v,12,0,4)(0,5)\n"
                             "<fin>\n";

using HostWindow = OnDisplay;

TEST_F(HostWindow, NewPlayerHostsByTypingThenF6ClosesOnlyTheWindow) {
    Player host(x, named("hote"));
    ASSERT_TRUE(host.launch()) << host.tail();

    // Each answer is typed once its question is on the screen.
    ASSERT_TRUE(host.command("start", "Serveur ou client?(s/c):")) << host.tail();
    ASSERT_TRUE(host.command("s", "Entrez le port:")) << host.tail();
    ASSERT_TRUE(host.command(std::to_string(port), "Entrez le numero de la map:")) << host.tail();
    const size_t beforeMap = host.mark();
    ASSERT_TRUE(host.command("0", WINDOW_READY, STARTUP_MS)) << host.tail();
    const std::string started = host.process().output().substr(beforeMap);
    EXPECT_NE(started.find("\n\t0 erreurs lors de l'initialisation\n"), std::string::npos);
    EXPECT_NE(started.find("On charge la map maps\\arene.map de numero 0\n"), std::string::npos);
    EXPECT_EQ(started.find(BIND_FAILED), std::string::npos) << host.tail();
    ASSERT_FALSE(host.window().empty()) << "no window for the host";

    ASSERT_TRUE(host.focus());
    ASSERT_TRUE(host.key("F6"));
    EXPECT_TRUE(host.windowGone(REPLY_MS)) << "F6 left the window open";

    EXPECT_TRUE(host.command("aide", HELP_FIRST_LINES)) << host.tail();
    EXPECT_TRUE(host.process().isRunning());
    ASSERT_TRUE(host.send("quitter"));
    ASSERT_TRUE(host.process().waitExit(REPLY_MS)) << host.tail();
    EXPECT_EQ(host.process().exitStatus(), 0);
}

TEST_F(HostWindow, HoldingZWalksForward) {
    const GameSettings settings = named("marcheur");
    Player host(x, settings);
    const int hall = host.folder().addMap("hall.map", HALL_MAP, "maps\\salle.list");
    ASSERT_TRUE(host.launch()) << host.tail();
    ASSERT_TRUE(host.host(port, hall)) << host.tail();
    ASSERT_TRUE(host.focus());

    // Standing still, two looks a moment apart are the same picture...
    const std::string first = host.drawnPixels();
    ASSERT_FALSE(first.empty()) << "the window stayed black";
    pause(300);
    const std::string still = host.pixels();
    EXPECT_EQ(centreChange(first, still, settings.width, settings.height), 0.0);

    // ...and after walking the walls and the floor have moved in the view.
    ASSERT_TRUE(host.holdKey("z", 600));
    pause(200);
    const std::string walked = host.pixels();
    EXPECT_GT(centreChange(still, walked, settings.width, settings.height), 0.05);
}

} // namespace
