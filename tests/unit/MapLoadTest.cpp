// Loading a map for play (stored, ordered, checked, limited) and for display (report lines).
#include "../support/StdoutCapture.h"
#include "kit/TempFolder.h"
#include "map/Map.h"
#include "render/TexturesMap.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// Every field of a map element (all int32_t), so whole elements compare in one assertion.
template <class T> static std::vector<int32_t> ints(const T& element) {
    std::vector<int32_t> v(sizeof element / sizeof(int32_t));
    std::memcpy(v.data(), &element, sizeof element);
    return v;
}

static int32_t elementCount(const Map& m) {
    return m.wallCount + m.spawnCount + m.ceilingCount + m.doorCount + m.teleporterCount +
           m.healthBoxCount;
}

const std::string EXAMPLE = BV_SOURCE_DIR "/tests/fixtures/maps/exemple.map";

static std::string playHeader(const std::string& file, int32_t number) {
    return "On charge la map " + file + " de numero " + std::to_string(number) +
           "\nListage des textures...\n";
}

// Each test runs in a folder of its own holding the texture lists, as a game folder does.
struct MapLoad : ::testing::Test {
    kit::TempFolder folder;
    kit::WorkingFolder inFolder{folder.path()};
    std::unique_ptr<Map> map = std::make_unique<Map>();
    std::unique_ptr<TexturesMap> textures = std::make_unique<TexturesMap>();
    std::string printed;

    void SetUp() override {
        ASSERT_TRUE(inFolder.ok());
        folder.write("liste des textures.list", "<textures0.list>\n<textures1.list>\n");
        folder.write("textures0.list", "<rien> <pierre.png>\n");
        folder.write("textures1.list", "<bois.png>\n");
    }
    int32_t load(const std::string& file, bool forPlay, int32_t number = 0) {
        int32_t result = -1;
        printed = kit::printedBy([&] {
            result = forPlay ? loadPlayMap(*map, *textures, file.c_str(), number)
                             : map->printElements(file.c_str());
        });
        return result;
    }
    int32_t loadText(const std::string& text, bool forPlay, int32_t number = 0) {
        folder.write("essai.map", text);
        return load("essai.map", forPlay, number);
    }
};

TEST_F(MapLoad, DisplayPrintsEveryElementAsWrittenAndStoresNothing) {
    ASSERT_EQ(load(EXAMPLE, false), 0);
    EXPECT_EQ(printed,
              "Apparition aux coordonnees: (2,2)\n"
              "Apparition aux coordonnees: (7,3)\n"
              "Mur horizontal avec y=0 allant de x=0 a x=10 d'une hauteur min 0 et max 2\n"
              "Mur Vertical   avec x=0 allant de y=0 a y=10 d'une hauteur min 0 et max 2\n"
              "Mur horizontal avec y=3 allant de x=10 a x=2 d'une hauteur min 2 et max 0\n"
              "Porte Verticale   avec x=5 allant de y=3 a y=2 d'une hauteur min 2 et max 0\n"
              "Plafon d'une hauteur de: 0 faisant un rectangle allant de (0,0) a (10,10)\n"
              "Plafon d'une hauteur de: 3 faisant un rectangle allant de (10,10) a (0,0)\n"
              "Teleporteur horizontal allant de (2,9) a (8,1)\n"
              "Teleporteur vertical allant de (6,6) a (1,8)\n"
              "Caisse de soin aux coordonnees: (4,4) avec la texture 5\n");
    EXPECT_EQ(std::make_pair(map->ready, elementCount(*map)), std::make_pair(0, 0));
}

TEST_F(MapLoad, PlayStoresOrderedElementsWithTheirSettings) {
    ASSERT_EQ(load(EXAMPLE, true), 0);
    // The wall after <fin> is not read.
    EXPECT_EQ(std::vector<int32_t>({map->ready, map->spawnCount, map->wallCount, map->doorCount,
                                    map->ceilingCount, map->teleporterCount, map->healthBoxCount}),
              std::vector<int32_t>({1, 2, 3, 1, 2, 2, 1}));
    EXPECT_EQ(ints(map->spawns[1]), ints(Apparition{7, 3}));
    EXPECT_EQ(map->walls[1].orientation, 'v');
    EXPECT_EQ(ints(map->walls[2]), ints(Mur{1, 2, 'h', 3, 2, 10, 0, 2})); // ranges ordered
    // Doors keep the order of their span, not of their heights.
    EXPECT_EQ(ints(map->doors[0]), ints(Porte{3, 'v', 5, 3, 2, 0, 2, 0, DOOR_STOPPED}));
    EXPECT_EQ(ints(map->ceilings[1]), ints(Plafon{0, 1, 3, 0, 0, 10, 10}));
    EXPECT_EQ(ints(map->teleporters[0]), ints(Teleporteur{4, 'h', 2, 9, 8, 1, 180}));
    EXPECT_EQ(map->teleporters[1].orientation, 'x');
    EXPECT_EQ(ints(map->healthBoxes[0]), ints(CaisseDeSoin{5, 4, 4, 0, 0}));

    // Clearing empties the tables but keeps the textures.
    textures->ids[5] = 42;
    map->clear();
    EXPECT_EQ(std::make_pair(map->ready, elementCount(*map)), std::make_pair(0, 0));
    EXPECT_EQ(std::vector<uint32_t>({textureFor(*textures, 5), textureFor(*textures, 256),
                                     textureFor(*textures, -1)}),
              std::vector<uint32_t>({42, 0, 0}));
}

TEST_F(MapLoad, SettingsApplyWhereTheyStand) {
    ASSERT_EQ(loadText("<caisse de soin> (1,1)\n"
                       "<mur> [2]{3} (h,1,1,2)(0,1) (h,2,1,2)[4](0,1)\n"
                       "(h,3,1,2)(0,1)[6] (h,4,1,2)(0,1) [7]\n"
                       "<porte> (h,5,1,2)(1,0)\n"
                       "<plafon> (0)(0,0)(1,1)",
                       true),
              0);
    EXPECT_EQ(map->healthBoxes[0].texture, 0); // before any setting
    // Texture and repeat of each wall: [4] set between the groups of a wall, [6] between walls.
    std::vector<int32_t> walls;
    for (int32_t i = 0; i < map->wallCount; ++i)
        walls.insert(walls.end(), {map->walls[i].texture, map->walls[i].repeat});
    EXPECT_EQ(walls, std::vector<int32_t>({2, 3, 4, 3, 4, 3, 6, 3}));
    // [7] stood after the last group of its tag; the door's heights are put in rising order.
    const Porte& door = map->doors[0];
    EXPECT_EQ(std::vector<int32_t>({map->doorCount, door.texture, door.minHeight, door.maxHeight,
                                    map->ceilingCount, map->ceilings[0].texture,
                                    map->ceilings[0].repeat}),
              std::vector<int32_t>({1, 6, 0, 1, 1, 6, 3}));
}

TEST_F(MapLoad, PlayLoadsTheSelectedTextureListAndFailuresKeepTheOldElements) {
    ASSERT_EQ(loadText("<mur>(h,1,0,2)(0,2)", true, 0), 0);
    EXPECT_EQ(printed, playHeader("essai.map", 0) +
                           "pierre.png\nImpossible de charger la texture \"pierre.png\"\n");
    ASSERT_EQ(map->textureCount, 2);
    EXPECT_STREQ(map->textureNames[0], "rien");
    // A second map first forgets the textures of the ready one.
    ASSERT_EQ(loadText("<mur>(h,1,0,2)(0,2)", true, 1), 0);
    EXPECT_EQ(printed, "Effacement des textures\n" + playHeader("essai.map", 1) +
                           "bois.png\nImpossible de charger la texture \"bois.png\"\n");
    EXPECT_STREQ(map->textureNames[0], "bois.png");
    for (const int32_t outside : {2, 99, -1}) {
        ASSERT_EQ(loadText("<mur>(h,1,0,2)(0,2)", true, outside), 0);
        EXPECT_STREQ(map->textureNames[0], "rien") << outside;
    }

    ASSERT_EQ(std::remove("textures1.list"), 0);
    EXPECT_EQ(loadText("<fin>", true, 1), 1);
    EXPECT_NE(printed.find("Erreur lors du chargement du fichier: \"textures1.list\"\n"),
              std::string::npos);
    EXPECT_EQ(std::vector<int32_t>({map->wallCount, map->ready, map->textureCount}),
              std::vector<int32_t>({1, 1, 0}));
    ASSERT_EQ(std::remove("liste des textures.list"), 0);
    EXPECT_EQ(loadText("<fin>", true, 0), 1);
    EXPECT_EQ(printed, "Effacement des textures\n" + playHeader("essai.map", 0) +
                           "Erreur lors du chargement du fichier: \"liste des textures.list\"\n");
    EXPECT_EQ(map->wallCount, 1);

    folder.write("liste des textures.list", "aucune liste\n");
    ASSERT_EQ(loadText("<apparition>(1,1)", true, 0), 0);
    EXPECT_EQ(printed, "Effacement des textures\n" + playHeader("essai.map", 0) +
                           "La liste des textures est vide: la map est chargee sans textures\n");
    EXPECT_EQ(std::vector<int32_t>({map->ready, map->spawnCount, map->textureCount}),
              std::vector<int32_t>({1, 1, 0}));

    EXPECT_EQ(load("absente.map", false), 1); // a missing map file leaves the map empty
    EXPECT_EQ(printed, "Erreur lors du chargement du fichier: \"absente.map\"\n");
}

TEST_F(MapLoad, BadTagKeepsEarlierElementsButNotReady) {
    const std::string text = "<apparition>(1,1)(2,2)<Mur>(h,1,1,2)(0,1)";
    EXPECT_EQ(loadText(text, true), 1);
    EXPECT_EQ(std::vector<int32_t>({map->spawnCount, map->wallCount, map->ready}),
              std::vector<int32_t>({2, 0, 0}));
    // The tag's messages come while the last group before it is read, before its report line.
    EXPECT_EQ(loadText(text, false), 1);
    EXPECT_EQ(printed, "Apparition aux coordonnees: (1,1)\n"
                       "Erreur de syntaxe dans la balise \"\"\nCaractere incorrect:M\n"
                       "Erreur balise \"Mur\" inconnue\n"
                       "Apparition aux coordonnees: (2,2)\n"
                       "Une balise incorrecte a ete detecte la map ne peut pas fonctionner\n");
}

TEST_F(MapLoad, EmptyRangesAreNotKeptAndFullTablesOverwriteTheirLastSlot) {
    const std::string text = "<mur>(h,3,4,4)(0,2) (h,3,2,4)(1,1) (h,3,2,4)(1,0)\n"
                             "<porte>(v,1,2,2)(0,1) (v,1,2,3)(2,2)\n"
                             "<plafon>(0)(1,1)(1,5) (0)(1,2)(5,2) (1)(5,5)(1,1)";
    ASSERT_EQ(loadText(text, true), 0);
    EXPECT_EQ(std::vector<int32_t>(
                  {map->wallCount, map->doorCount, map->ceilingCount, map->ceilings[0].height}),
              std::vector<int32_t>({1, 0, 1, 1}));
    EXPECT_EQ(ints(map->walls[0]), ints(Mur{0, 1, 'h', 3, 2, 4, 0, 1})); // ordered, in slot 0

    std::string walls = "<mur>";
    for (int32_t i = 0; i < 600; ++i)
        walls += "(h," + std::to_string(i) + ",0,1)(0,1)";
    ASSERT_EQ(loadText(walls, true), 0);
    EXPECT_EQ(std::make_tuple(map->wallCount, map->walls[510].line, map->walls[511].line),
              std::make_tuple(511, 510, 599));
}
