// A host that names a map outside the game folder, absolute or climbing out with "..": a
// real game client refuses each with its console message, keeps the map it has and its
// place in it, and goes on playing. The host is a bare socket that speaks the protocol.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "E2eSupport.h"
#include "RawPeer.h"

namespace {

using namespace e2e;

// One spawn point, cell (6, 1): a player placed there stands at (650, 150).
const char* const TOWER_MAP = "<apparition> (6,1)\n<fin>\n";

std::string refusal(const std::string& name) {
    return "Erreur: la map \"" + name + "\" est hors du dossier du jeu, elle n'est pas chargee";
}

// The client's next state message within `ms`; false when none came.
bool nextState(RawPeer& host, double& x, double& y, int ms) {
    Message m;
    if (!host.awaitFrame(MSG_STATE, 0, ms, &m)) return false;
    memcpy(&x, m.payload + STATE_POS_X_AT, sizeof x);
    memcpy(&y, m.payload + STATE_POS_Y_AT, sizeof y);
    return true;
}

TEST(MapNameFromHost, OutsideTheGameFolderIsRefusedAndTheMapKept) {
    XDisplay x;
    ASSERT_TRUE(x.start()) << "no X server";
    Player client(x, smallWindow("prudent"));
    const int32_t tower = client.folder().addMap("tour.map", TOWER_MAP, "maps\\salle.list");

    RawPeer host;
    ASSERT_TRUE(client.launch()) << client.tail();
    ASSERT_TRUE(hostForClient(host, client)) << client.tail();

    const double number = 0.0;
    ASSERT_TRUE(host.sendDoubles(MSG_ASSIGN_ID, 7, &number, 1));
    ASSERT_TRUE(host.awaitFrame(MSG_COLOUR, 0, REPLY_MS)) << "no announcement" << client.tail();
    ASSERT_TRUE(host.sendText(MSG_LOAD_MAP, tower, "maps\\tour.map"));
    ASSERT_TRUE(client.waitFor("On charge la map maps\\tour.map", REPLY_MS, 0)) << client.tail();
    double px = 0, py = 0;
    for (int i = 0; i < 20 && nextState(host, px, py, REPLY_MS) && px != 650.0;)
        ++i;
    ASSERT_EQ(px, 650.0);
    ASSERT_EQ(py, 150.0);

    const char* const outside[] = {
        "../x.map", "/etc/passwd", "..\\x.map", "maps/../../x.map", "maps\\..\\..\\x.map",
        "\\x.map",  "C:\\x.map",   ".."};
    for (const char* name : outside) {
        const size_t from = client.mark();
        ASSERT_TRUE(host.sendText(MSG_LOAD_MAP, 1, name));
        EXPECT_TRUE(client.waitFor(refusal(name), REPLY_MS, from)) << name << client.tail();
    }
    const std::string said = client.process().output();
    for (const char* name : outside)
        EXPECT_EQ(said.find(std::string("On charge la map ") + name), std::string::npos) << name;

    // Still on its map, where it stood: no spawn was picked again.
    host.drain();
    ASSERT_TRUE(nextState(host, px, py, REPLY_MS)) << client.tail();
    EXPECT_EQ(px, 650.0);
    EXPECT_EQ(py, 150.0);
    EXPECT_TRUE(client.process().isRunning());
    EXPECT_TRUE(client.command("aide", HELP_FIRST_LINES)) << client.tail();
    // Inside the folder but no map: a folder, a sound, the options file. Each is reported,
    // none stops the game.
    for (const char* name : {"donnees", "donnees\\son\\pan.wav", "options"}) {
        const size_t from = client.mark();
        ASSERT_TRUE(host.sendText(MSG_LOAD_MAP, 1, name));
        EXPECT_TRUE(client.waitFor(std::string("On charge la map ") + name, REPLY_MS, from))
            << name << client.tail();
    }
    EXPECT_TRUE(client.waitFor("Erreur lors du chargement du fichier: \"donnees\"", REPLY_MS, 0))
        << client.tail();
    // A name inside the folder is still loaded.
    const size_t from = client.mark();
    ASSERT_TRUE(host.sendText(MSG_LOAD_MAP, 1, "maps\\salle.map"));
    EXPECT_TRUE(client.waitFor("On charge la map maps\\salle.map de numero 1", REPLY_MS, from))
        << client.tail();
}

} // namespace
