// The maps shipped in data/: each loads cleanly in both modes, uses textures that exist,
// and is playable: a floor under every reachable cell, no way out, every spawn point,
// health box and teleporter destination reachable from the first spawn point.
#include "map/Map.h"
#include "map/TagReader.h"
#include "render/TexturesMap.h"

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Spawn points, ceilings, walls, doors, teleporters and health boxes.
using Counts = std::array<int32_t, 6>;

// In the order of "liste des maps.list".
const struct {
    const char* file;
    Counts counts;
} kMaps[] = {
    {"maps\\arene.map", {8, 21, 64, 4, 4, 5}},
    {"maps\\salle.map", {3, 3, 15, 1, 2, 2}},
    {"maps\\labyrinthe.map", {16, 6, 217, 10, 8, 8}},
    {"maps\\stress.map", {255, 511, 511, 127, 255, 127}},
};

Counts countsOf(const Map& m) {
    return {m.spawnCount, m.ceilingCount,    m.wallCount,
            m.doorCount,  m.teleporterCount, m.healthBoxCount};
}

// Report lines of a display load, by the word that starts them.
Counts countReportLines(const std::string& printed) {
    const char* const words[] = {"Apparition ", "Plafon ",      "Mur ",
                                 "Porte ",      "Teleporteur ", "Caisse de soin "};
    Counts c = {};
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);)
        for (size_t k = 0; k < c.size(); ++k)
            c[k] += line.rfind(words[k], 0) == 0;
    return c;
}

bool stopsPlayers(const Mur& w) {
    return w.minHeight == 0 || w.minHeight == 1 || w.maxHeight == 0 || w.maxHeight == 1;
}

// Walks the cells a player can reach from the first spawn point, through teleporters too.
class Reach {
  public:
    explicit Reach(const Map& m) : m_(m) {
        for (int32_t i = 0; i < m.ceilingCount; ++i) {
            if (m.ceilings[i].height != 0) continue;
            width_ = std::max(width_, m.ceilings[i].x2);
            height_ = std::max(height_, m.ceilings[i].y2);
        }
        floor_.assign(static_cast<size_t>(width_) * height_, 0);
        for (int32_t i = 0; i < m.ceilingCount; ++i) {
            const Plafon& p = m.ceilings[i];
            if (p.height != 0) continue;
            for (int32_t y = p.y1; y < p.y2; ++y)
                for (int32_t x = p.x1; x < p.x2; ++x)
                    floor_[index(x, y)] = 1;
        }
        seen_.assign(floor_.size(), 0);
    }

    bool floored(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && floor_[index(x, y)] != 0;
    }
    bool reached(int32_t x, int32_t y) const { return floored(x, y) && seen_[index(x, y)] != 0; }

    // Fills from one cell; the first cell reached without a floor is reported in `leak`.
    bool fill(int32_t x0, int32_t y0, std::string& leak) {
        std::deque<std::pair<int32_t, int32_t>> queue;
        enqueue(queue, x0, y0);
        while (!queue.empty()) {
            const auto [x, y] = queue.front();
            queue.pop_front();
            if (!floored(x, y)) {
                leak = "cell (" + std::to_string(x) + "," + std::to_string(y) + ") has no floor";
                return false;
            }
            const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& s : steps)
                if (!blocked(x, y, s[0], s[1])) enqueue(queue, x + s[0], y + s[1]);
            for (int32_t i = 0; i < m_.teleporterCount; ++i)
                if (besidePanel(m_.teleporters[i], x, y))
                    enqueue(queue, m_.teleporters[i].destX, m_.teleporters[i].destY);
        }
        return true;
    }

  private:
    size_t index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width_ + x; }

    void enqueue(std::deque<std::pair<int32_t, int32_t>>& queue, int32_t x, int32_t y) {
        if (floored(x, y)) {
            if (seen_[index(x, y)]) return;
            seen_[index(x, y)] = 1;
        }
        queue.emplace_back(x, y); // a cell off the floor ends the fill as a leak
    }

    // Whether a player-stopping wall lies on the edge from (x, y) to its neighbour.
    bool blocked(int32_t x, int32_t y, int32_t dx, int32_t dy) const {
        for (int32_t i = 0; i < m_.wallCount; ++i) {
            const Mur& w = m_.walls[i];
            if (!stopsPlayers(w)) continue;
            if (dx != 0 && w.orientation != 'h' && w.line == std::max(x, x + dx) && w.from <= y &&
                w.to >= y + 1)
                return true;
            if (dy != 0 && w.orientation == 'h' && w.line == std::max(y, y + dy) && w.from <= x &&
                w.to >= x + 1)
                return true;
        }
        return false;
    }

    static bool besidePanel(const Teleporteur& t, int32_t x, int32_t y) {
        if (t.orientation == 'h') return x == t.x && (y == t.y || y == t.y - 1);
        return y == t.y && (x == t.x || x == t.x - 1);
    }

    const Map& m_;
    int32_t width_ = 0, height_ = 0;
    std::vector<uint8_t> floor_, seen_;
};

// A floor under every cell reachable from the first spawn point, and every spawn point, health
// box and teleporter destination among them.
void expectPlayable(const Map& m, const std::string& label) {
    ASSERT_GE(m.spawnCount, 1) << label;
    Reach reach(m);
    std::string leak;
    ASSERT_TRUE(reach.fill(m.spawns[0].x, m.spawns[0].y, leak)) << label << ": " << leak;
    for (int32_t i = 0; i < m.spawnCount; ++i)
        EXPECT_TRUE(reach.reached(m.spawns[i].x, m.spawns[i].y)) << label << " spawn " << i;
    for (int32_t i = 0; i < m.healthBoxCount; ++i)
        EXPECT_TRUE(reach.reached(m.healthBoxes[i].x, m.healthBoxes[i].y))
            << label << " health box " << i;
    for (int32_t i = 0; i < m.teleporterCount; ++i)
        EXPECT_TRUE(reach.reached(m.teleporters[i].destX, m.teleporters[i].destY))
            << label << " teleporter " << i << " lands off the map";
}

bool isPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

class ShippedMaps : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(inData.ok());
        ASSERT_EQ(SDL_GetVideoSurface(), nullptr) << "textures must not reach GL here";
    }
    int32_t load(const char* file, uint8_t forPlay, int32_t number) {
        int32_t result = -1;
        printed = testsupport::printedBy([&] {
            result = forPlay != 0 ? loadPlayMap(*map_, *textures_, file, number)
                                  : map_->printElements(file);
        });
        return result;
    }

    testsupport::WorkingFolder inData{BV_SOURCE_DIR "/data"};
    std::unique_ptr<Map> map_ = std::make_unique<Map>();
    std::unique_ptr<TexturesMap> textures_ = std::make_unique<TexturesMap>();
    std::string printed;
};

TEST_F(ShippedMaps, ListNamesEveryMapInOrder) {
    NameTable names;
    int32_t count = 0;
    ASSERT_EQ(readListFile("liste des maps.list", names, count), 0);
    ASSERT_EQ(count, static_cast<int32_t>(std::size(kMaps)));
    for (int32_t n = 0; n < count; ++n) {
        EXPECT_STREQ(names[n], kMaps[n].file);
        EXPECT_LT(strlen(names[n]), 48u) << "a map name travels in 48 bytes";
    }
    NameTable lists;
    ASSERT_EQ(readListFile("liste des textures.list", lists, count), 0);
    EXPECT_EQ(count, static_cast<int32_t>(std::size(kMaps))) << "one texture list per map";
}

TEST_F(ShippedMaps, EachLoadsForDisplayWithoutError) {
    for (const auto& e : kMaps) {
        ASSERT_EQ(load(e.file, 0, 0), 0) << e.file << "\n" << printed;
        EXPECT_EQ(printed.find("Erreur"), std::string::npos) << e.file << "\n" << printed;
        EXPECT_EQ(printed.find("incorrecte"), std::string::npos) << e.file;
        EXPECT_EQ(countReportLines(printed), e.counts) << e.file;
        EXPECT_EQ(map_->wallCount, 0) << "display mode stores nothing";
    }
}

TEST_F(ShippedMaps, EachLoadsForPlayWithExistingTexturesAndIsPlayable) {
    ASSERT_EQ(IMG_Init(0), 0); // SDL_image needs no video to read files
    for (int32_t n = 0; n < static_cast<int32_t>(std::size(kMaps)); ++n) {
        const auto& e = kMaps[n];
        ASSERT_EQ(load(e.file, 1, n), 0) << e.file << "\n" << printed;
        EXPECT_EQ(map_->ready, 1);
        EXPECT_EQ(countsOf(*map_), e.counts) << e.file;
        EXPECT_EQ(textures_->ids[0], 0u) << "no window, no texture";

        // Every element's texture number names an image that exists, sized for mipmaps.
        std::vector<int32_t> used;
        for (int32_t i = 0; i < map_->ceilingCount; ++i)
            used.push_back(map_->ceilings[i].texture);
        for (int32_t i = 0; i < map_->wallCount; ++i)
            used.push_back(map_->walls[i].texture);
        for (int32_t i = 0; i < map_->doorCount; ++i)
            used.push_back(map_->doors[i].texture);
        for (int32_t i = 0; i < map_->teleporterCount; ++i)
            used.push_back(map_->teleporters[i].texture);
        for (int32_t i = 0; i < map_->healthBoxCount; ++i)
            used.push_back(map_->healthBoxes[i].texture);
        for (int32_t t : used) {
            ASSERT_TRUE(t >= 0 && t < map_->textureCount) << e.file << " texture " << t;
            EXPECT_STRNE(map_->textureNames[t], "rien") << e.file << " texture " << t;
        }
        for (int32_t t = 0; t < map_->textureCount; ++t) {
            if (strcmp(map_->textureNames[t], "rien") == 0) continue;
            std::string path = map_->textureNames[t];
            for (char& c : path)
                if (c == '\\') c = '/';
            SDL_Surface* image = IMG_Load(path.c_str());
            ASSERT_NE(image, nullptr) << e.file << ": " << path;
            EXPECT_TRUE(isPowerOfTwo(image->w) && isPowerOfTwo(image->h)) << path;
            SDL_FreeSurface(image);
        }
        expectPlayable(*map_, e.file);
    }
}

TEST_F(ShippedMaps, EightPlayersFindSpawnPointsAndTheArenaKeepsBulletsIn) {
    // By name: the list's order has changed before.
    ASSERT_EQ(load("maps\\labyrinthe.map", 1, 2), 0);
    EXPECT_GE(map_->spawnCount, 8) << "the maze is for eight players";

    // In the arena every wall that reaches the floor rises to 5 cells (bullets die at 500),
    // but for the low blocks players shoot over and the high blocks they hide behind.
    ASSERT_EQ(load("maps\\arene.map", 1, 0), 0);
    for (int32_t i = 0; i < map_->wallCount; ++i) {
        const Mur& w = map_->walls[i];
        if (w.minHeight == 0)
            EXPECT_TRUE(w.maxHeight == 5 || w.maxHeight <= 2) << "wall " << i;
        else
            EXPECT_EQ(w.maxHeight, 5) << "a lintel closes up to the top, wall " << i;
    }
}

// The map examples of the authoring guide, the blocks fenced as ```map.
std::vector<std::string> guideExamples() {
    std::ifstream in(BV_SOURCE_DIR "/docs/maps.md", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> examples;
    const std::string open = "```map\n", close = "```";
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const size_t end = text.find(close, at);
        if (end == std::string::npos) break;
        examples.push_back(text.substr(at, end - at));
        at = end;
    }
    return examples;
}

TEST(MapGuide, ExamplesLoadAndArePlayable) {
    const std::vector<std::string> examples = guideExamples();
    ASSERT_GE(examples.size(), 2u);
    testsupport::TempFolder dir;
    testsupport::WorkingFolder inDir(dir.path());
    ASSERT_TRUE(dir.ok() && inDir.ok());
    dir.write("liste des textures.list", "<t.list>");
    dir.write("t.list", "<rien><rien><rien><rien><rien><rien><rien>");
    auto map = std::make_unique<Map>();
    auto textures = std::make_unique<TexturesMap>();
    for (size_t i = 0; i < examples.size(); ++i) {
        const std::string label = "example " + std::to_string(i);
        dir.write("example.map", examples[i]);
        int32_t result = -1;
        const std::string printed =
            testsupport::printedBy([&] { result = map->printElements("example.map"); });
        EXPECT_EQ(result, 0) << label;
        EXPECT_EQ(printed.find("Erreur"), std::string::npos) << label << "\n" << printed;
        testsupport::printedBy([&] { result = loadPlayMap(*map, *textures, "example.map", 0); });
        ASSERT_EQ(result, 0) << label;
        EXPECT_GE(map->wallCount, 4) << label;
        expectPlayable(*map, label);
    }
}

} // namespace
