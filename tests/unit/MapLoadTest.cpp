// Loading a map for play (stored, ordered, checked, limited) and for display (report lines).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "map/Map.h"
#include "render/TexturesMap.h"

namespace {

using testsupport::TempFolder;

// Every field of a map element (all int32_t), so whole elements compare in one assertion.
template <class T> std::vector<int32_t> ints(const T& element) {
    std::vector<int32_t> v(sizeof element / sizeof(int32_t));
    std::memcpy(v.data(), &element, sizeof element);
    return v;
}

int32_t elementCount(const Map& m) {
    return m.wallCount + m.spawnCount + m.ceilingCount + m.doorCount + m.teleporterCount +
           m.healthBoxCount;
}

const std::string EXAMPLE = std::string(BV_SOURCE_DIR) + "/tests/fixtures/maps/exemple.map";

// Each test runs in a folder of its own holding the texture lists, as a game folder does.
class MapLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(inFolder.ok());
        folder.write("liste des textures.list", "<textures0.list>\n<textures1.list>\n");
        folder.write("textures0.list", "<rien> <pierre.png>\n");
        folder.write("textures1.list", "<bois.png>\n");
    }
    int32_t load(const std::string& file, uint8_t forPlay, int32_t number = 0) {
        int32_t result = -1;
        printed = testsupport::printedBy([&] {
            result = forPlay != 0 ? loadPlayMap(*map, *textures, file.c_str(), number)
                                  : map->printElements(file.c_str());
        });
        return result;
    }
    int32_t loadText(const std::string& text, uint8_t forPlay, int32_t number = 0) {
        folder.write("essai.map", text);
        return load("essai.map", forPlay, number);
    }
    std::string playHeader(const std::string& file, int32_t number) const {
        return "On charge la map " + file + " de numero " + std::to_string(number) +
               "\nListage des textures...\n";
    }

    TempFolder folder;
    testsupport::WorkingFolder inFolder{folder.path()};
    std::unique_ptr<Map> map = std::make_unique<Map>();
    std::unique_ptr<TexturesMap> textures = std::make_unique<TexturesMap>();
    std::string printed;
};

TEST_F(MapLoad, DisplayPrintsEveryElementAsWrittenAndStoresNothing) {
    ASSERT_EQ(0, load(EXAMPLE, 0));
    EXPECT_EQ("Apparition aux coordonnees: (2,2)\n"
              "Apparition aux coordonnees: (7,3)\n"
              "Mur horizontal avec y=0 allant de x=0 a x=10 d'une hauteur min 0 et max 2\n"
              "Mur Vertical   avec x=0 allant de y=0 a y=10 d'une hauteur min 0 et max 2\n"
              "Mur horizontal avec y=3 allant de x=10 a x=2 d'une hauteur min 2 et max 0\n"
              "Porte Verticale   avec x=5 allant de y=3 a y=2 d'une hauteur min 0 et max 2\n"
              "Plafon d'une hauteur de: 0 faisant un rectangle allant de (0,0) a (10,10)\n"
              "Plafon d'une hauteur de: 3 faisant un rectangle allant de (10,10) a (0,0)\n"
              "Teleporteur horizontal allant de (2,9) a (8,1)\n"
              "Teleporteur vertical allant de (6,6) a (1,8)\n"
              "Caisse de soin aux coordonnees: (4,4) avec la texture 5\n",
              printed);
    EXPECT_EQ(0, map->ready);
    EXPECT_EQ(0, elementCount(*map));
}

TEST_F(MapLoad, PlayStoresOrderedElementsWithTheirSettings) {
    ASSERT_EQ(0, load(EXAMPLE, 1));
    EXPECT_EQ(1, map->ready);
    ASSERT_EQ(2, map->spawnCount);
    EXPECT_EQ(ints(map->spawns[1]), ints(Apparition{7, 3}));
    ASSERT_EQ(3, map->wallCount); // the wall after <fin> is not read
    EXPECT_EQ('v', map->walls[1].orientation);
    EXPECT_EQ(ints(map->walls[2]), ints(Mur{1, 2, 'h', 3, 2, 10, 0, 2})); // ranges ordered
    ASSERT_EQ(1, map->doorCount); // doors keep the order of the file
    EXPECT_EQ(ints(map->doors[0]), ints(Porte{3, 'v', 5, 3, 2, 0, 2, 0, DOOR_STOPPED}));
    ASSERT_EQ(2, map->ceilingCount);
    EXPECT_EQ(ints(map->ceilings[1]), ints(Plafon{0, 1, 3, 0, 0, 10, 10}));
    ASSERT_EQ(2, map->teleporterCount);
    EXPECT_EQ(ints(map->teleporters[0]), ints(Teleporteur{4, 'h', 2, 9, 8, 1, 180}));
    EXPECT_EQ('x', map->teleporters[1].orientation);
    ASSERT_EQ(1, map->healthBoxCount);
    EXPECT_EQ(ints(map->healthBoxes[0]), ints(CaisseDeSoin{5, 4, 4, 0, 0}));

    // Clearing empties the tables but keeps the textures.
    textures->ids[5] = 42;
    map->clear();
    EXPECT_EQ(0, map->ready);
    EXPECT_EQ(0, elementCount(*map));
    EXPECT_EQ(42u, textureFor(*textures, 5));
    EXPECT_EQ(0u, textureFor(*textures, 256));
    EXPECT_EQ(0u, textureFor(*textures, -1));
}

TEST_F(MapLoad, PlayLoadsTheSelectedTextureList) {
    ASSERT_EQ(0, loadText("<fin>", 1, 0));
    EXPECT_EQ(playHeader("essai.map", 0) +
                  "pierre.png\nImpossible de charger la texture \"pierre.png\"\n",
              printed);
    ASSERT_EQ(2, map->textureCount);
    EXPECT_STREQ("rien", map->textureNames[0]);
    for (int i = 0; i < MAP_TEXTURES; ++i)
        ASSERT_EQ(0u, textures->ids[i]) << i;

    // A second map first forgets the textures of the ready one.
    ASSERT_EQ(0, loadText("<fin>", 1, 1));
    EXPECT_EQ("Effacement des textures\n" + playHeader("essai.map", 1) +
                  "bois.png\nImpossible de charger la texture \"bois.png\"\n",
              printed);
    EXPECT_STREQ("bois.png", map->textureNames[0]);

    for (const int32_t outside : {2, 99, -1}) {
        ASSERT_EQ(0, loadText("<fin>", 1, outside));
        EXPECT_STREQ("rien", map->textureNames[0]) << outside;
    }
}

TEST_F(MapLoad, MissingListsFailAndKeepTheOldElementsAnEmptyOneLoadsUntextured) {
    ASSERT_EQ(0, loadText("<mur>(h,1,0,2)(0,2)", 1));
    ASSERT_EQ(1, map->wallCount);

    ASSERT_EQ(0, std::remove("textures1.list"));
    EXPECT_EQ(1, loadText("<fin>", 1, 1));
    EXPECT_NE(std::string::npos,
              printed.find("Erreur lors du chargement du fichier: \"textures1.list\"\n"));
    EXPECT_EQ(1, map->wallCount);
    EXPECT_EQ(1, map->ready);
    EXPECT_EQ(0, map->textureCount);

    ASSERT_EQ(0, std::remove("liste des textures.list"));
    EXPECT_EQ(1, loadText("<fin>", 1, 0));
    EXPECT_EQ("Effacement des textures\n" + playHeader("essai.map", 0) +
                  "Erreur lors du chargement du fichier: \"liste des textures.list\"\n",
              printed);
    EXPECT_EQ(1, map->wallCount);

    folder.write("liste des textures.list", "aucune liste\n");
    ASSERT_EQ(0, loadText("<apparition>(1,1)", 1, 0));
    EXPECT_EQ("Effacement des textures\n" + playHeader("essai.map", 0) +
                  "La liste des textures est vide: la map est chargee sans textures\n",
              printed);
    EXPECT_EQ(1, map->ready);
    EXPECT_EQ(1, map->spawnCount);
    EXPECT_EQ(0, map->textureCount);
    EXPECT_EQ(0u, textureFor(*textures, 0));

    // A missing map file leaves the map empty.
    EXPECT_EQ(1, load("absente.map", 0));
    EXPECT_EQ("Erreur lors du chargement du fichier: \"absente.map\"\n", printed);
    EXPECT_EQ(0, map->spawnCount);
    EXPECT_EQ(0, map->ready);
}

TEST_F(MapLoad, BadTagKeepsEarlierElementsButNotReady) {
    const std::string text = "<apparition>(1,1)(2,2)<Mur>(h,1,1,2)(0,1)";
    EXPECT_EQ(1, loadText(text, 1));
    EXPECT_EQ(2, map->spawnCount);
    EXPECT_EQ(0, map->wallCount);
    EXPECT_EQ(0, map->ready);

    // The tag's messages come while the last group before it is read, before its report line.
    EXPECT_EQ(1, loadText(text, 0));
    EXPECT_EQ("Apparition aux coordonnees: (1,1)\n"
              "Erreur de syntaxe dans la balise \"\"\nCaractere incorrect:M\n"
              "Erreur balise \"Mur\" inconnue\n"
              "Apparition aux coordonnees: (2,2)\n"
              "Une balise incorrecte a ete detecte la map ne peut pas fonctionner\n",
              printed);
}

TEST_F(MapLoad, EmptyRangesArePrintedButNotKept) {
    const std::string text = "<mur>(h,3,4,4)(0,2) (h,3,2,4)(1,1) (h,3,2,4)(1,0)\n"
                             "<porte>(v,1,2,2)(0,1) (v,1,2,3)(2,2)\n"
                             "<plafon>(0)(1,1)(1,5) (0)(1,2)(5,2) (1)(5,5)(1,1)";
    ASSERT_EQ(0, loadText(text, 0));
    EXPECT_NE(std::string::npos,
              printed.find("Mur horizontal avec y=3 allant de x=4 a x=4 d'une hauteur min 0 et "
                           "max 2\n"));
    EXPECT_NE(std::string::npos, printed.find("rectangle allant de (1,1) a (1,5)\n"));

    ASSERT_EQ(0, loadText(text, 1));
    ASSERT_EQ(1, map->wallCount);
    EXPECT_EQ(0, map->walls[0].minHeight); // the kept wall took slot 0, ordered
    EXPECT_EQ(1, map->walls[0].maxHeight);
    EXPECT_EQ(0, map->doorCount);
    ASSERT_EQ(1, map->ceilingCount);
    EXPECT_EQ(1, map->ceilings[0].height);
}

TEST_F(MapLoad, FullTablesOverwriteTheirLastSlot) {
    // Each element's number is written into its first field and read back from the slots.
    struct Kind {
        const char* tag;
        const char* element;
        int32_t Map::*count;
        int32_t limit;
        int32_t written;
        int32_t (*numberIn)(const Map&, int32_t slot);
    };
    const Kind kinds[] = {
        {"mur", "(h,%d,0,1)(0,1)", &Map::wallCount, 511, 600,
         [](const Map& m, int32_t i) { return m.walls[i].line; }},
        {"porte", "(h,%d,0,1)(0,1)", &Map::doorCount, 127, 140,
         [](const Map& m, int32_t i) { return m.doors[i].line; }},
        {"plafon", "(0)(%d,0)(100000,1)", &Map::ceilingCount, 511, 520,
         [](const Map& m, int32_t i) { return m.ceilings[i].x1; }},
        {"teleporteur", "(h,%d,0,0)(0,0)", &Map::teleporterCount, 255, 300,
         [](const Map& m, int32_t i) { return m.teleporters[i].x; }},
        {"apparition", "(%d,0)", &Map::spawnCount, 255, 300,
         [](const Map& m, int32_t i) { return m.spawns[i].x; }},
        {"caisse de soin", "(%d,0)", &Map::healthBoxCount, 127, 130,
         [](const Map& m, int32_t i) { return m.healthBoxes[i].x; }},
    };
    for (const Kind& k : kinds) {
        std::string text = std::string("<") + k.tag + ">";
        char element[64];
        for (int32_t i = 0; i < k.written; ++i) {
            std::snprintf(element, sizeof element, k.element, i);
            text += element;
        }
        ASSERT_EQ(0, loadText(text, 1)) << k.tag;
        EXPECT_EQ(k.limit, (*map).*k.count) << k.tag;
        EXPECT_EQ(k.limit - 1, k.numberIn(*map, k.limit - 1)) << k.tag;
        EXPECT_EQ(k.written - 1, k.numberIn(*map, k.limit)) << k.tag;
    }
}

TEST_F(MapLoad, SettingsApplyWhereTheyStand) {
    ASSERT_EQ(0, loadText("<mur> [2]{3} (h,1,1,2)(0,1) (h,2,1,2)[4](0,1)\n"
                          "(h,3,1,2)(0,1)[6] (h,4,1,2)(0,1) [7]\n"
                          "<porte> (h,5,1,2)(0,1)\n"
                          "<plafon> (0)(0,0)(1,1)",
                          1));
    ASSERT_EQ(4, map->wallCount);
    EXPECT_EQ(2, map->walls[0].texture);
    EXPECT_EQ(3, map->walls[0].repeat);
    EXPECT_EQ(4, map->walls[1].texture); // set between the groups of that wall
    EXPECT_EQ(4, map->walls[2].texture);
    EXPECT_EQ(6, map->walls[3].texture); // set between two walls
    ASSERT_EQ(1, map->doorCount);
    EXPECT_EQ(6, map->doors[0].texture); // [7] stood after the last group of its tag
    ASSERT_EQ(1, map->ceilingCount);
    EXPECT_EQ(6, map->ceilings[0].texture);
    EXPECT_EQ(3, map->ceilings[0].repeat);
}

TEST_F(MapLoad, OrientationLetters) {
    ASSERT_EQ(0, loadText("<mur>(horizontal,1,0,2)(0,1)(q,1,0,2)(0,1)\n"
                          "<porte>(h,1,0,2)(0,1)(v,1,0,2)(0,1)\n"
                          "<teleporteur>(z,1,1,0)(2,2)",
                          0));
    EXPECT_EQ("Mur horizontal avec y=1 allant de x=0 a x=2 d'une hauteur min 0 et max 1\n"
              "Mur Vertical   avec x=1 allant de y=0 a y=2 d'une hauteur min 0 et max 1\n"
              "Porte horizontale avec y=1 allant de x=0 a x=2 d'une hauteur min 0 et max 1\n"
              "Porte Verticale   avec x=1 allant de y=0 a y=2 d'une hauteur min 0 et max 1\n"
              "Teleporteur vertical allant de (1,1) a (2,2)\n",
              printed);
}

} // namespace
