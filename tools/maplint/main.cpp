// Checks maps before they ship: each map of a game folder's "liste des maps.list" must load
// for display and for play without an error, both loads must find the same elements, every
// element's texture must name an image that exists with sides that are powers of two (for
// mipmaps), and the map must be playable: a floor under every cell a player can reach from
// the first spawn point (walking, or through teleporters), and every spawn point, health box
// and teleporter destination among those cells. With --guide, the ```map examples of the
// authoring guide are checked too (all but their textures).
//
//   maplint [GAME_FOLDER] [--guide GUIDE.md]
//
// One line per map; the exit status is 1 when anything is wrong.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "map/Map.h"
#include "map/TagReader.h"
#include "media/Image.h"
#include "render/TexturesMap.h"

namespace {

// Spawn points, floors and ceilings, walls, doors, teleporters, health boxes.
using Counts = std::array<int32_t, 6>;
const char* const KINDS[6] = {"Apparition ", "Plafon ",      "Mur ",
                              "Porte ",      "Teleporteur ", "Caisse de soin "};

// What `run` prints on standard output; the loaders speak there, and the report must not drown.
template <class F> std::string printedBy(F run) {
    std::fflush(stdout);
    FILE* sink = std::tmpfile();
    if (sink == nullptr) return run(), std::string();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    run();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string text;
    std::rewind(sink);
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, sink)) > 0;)
        text.append(chunk, n);
    std::fclose(sink);
    return text;
}

Counts countsOf(const Map& m) {
    return {m.spawnCount, m.ceilingCount,    m.wallCount,
            m.doorCount,  m.teleporterCount, m.healthBoxCount};
}

// The display load's report lines, by the word that starts them.
Counts countReportLines(const std::string& printed) {
    Counts c = {};
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);)
        for (size_t k = 0; k < c.size(); ++k)
            c[k] += line.rfind(KINDS[k], 0) == 0;
    return c;
}

bool isPowerOfTwo(int32_t v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// The cells a player reaches from the first spawn point. Walls with an edge at height 0 or 1
// stop players, as the collision queries have it; a player next to a teleporter's panel can
// step through it.
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
            for (int32_t y = std::max(p.y1, 0); y < p.y2; ++y)
                for (int32_t x = std::max(p.x1, 0); x < p.x2; ++x)
                    floor_[index(x, y)] = 1;
        }
        seen_.assign(floor_.size(), 0);
    }

    bool reached(int32_t x, int32_t y) const { return floored(x, y) && seen_[index(x, y)] != 0; }

    // Fills from the cell; "" when every cell reached has a floor, else the first that has not.
    std::string fill(int32_t x0, int32_t y0) {
        std::deque<std::pair<int32_t, int32_t>> queue;
        enqueue(queue, x0, y0);
        while (!queue.empty()) {
            const auto [x, y] = queue.front();
            queue.pop_front();
            if (!floored(x, y))
                return "cell (" + std::to_string(x) + "," + std::to_string(y) + ") has no floor";
            const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& s : steps)
                if (!blocked(x, y, s[0], s[1])) enqueue(queue, x + s[0], y + s[1]);
            for (int32_t i = 0; i < m_.teleporterCount; ++i)
                if (besidePanel(m_.teleporters[i], x, y))
                    enqueue(queue, m_.teleporters[i].destX, m_.teleporters[i].destY);
        }
        return "";
    }

  private:
    bool floored(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && floor_[index(x, y)] != 0;
    }
    size_t index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width_ + x; }

    void enqueue(std::deque<std::pair<int32_t, int32_t>>& queue, int32_t x, int32_t y) {
        if (floored(x, y)) {
            if (seen_[index(x, y)] != 0) return;
            seen_[index(x, y)] = 1;
        }
        queue.emplace_back(x, y); // a cell without a floor ends the fill as a way out
    }

    bool blocked(int32_t x, int32_t y, int32_t dx, int32_t dy) const {
        for (int32_t i = 0; i < m_.wallCount; ++i) {
            const Mur& w = m_.walls[i];
            if (!(w.minHeight == 0 || w.minHeight == 1 || w.maxHeight == 0 || w.maxHeight == 1))
                continue;
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

// Every texture an element uses is in the list and names an image fit for mipmaps.
void checkTextures(const Map& m, std::vector<std::string>& problems) {
    std::vector<int32_t> used;
    for (int32_t i = 0; i < m.ceilingCount; ++i)
        used.push_back(m.ceilings[i].texture);
    for (int32_t i = 0; i < m.wallCount; ++i)
        used.push_back(m.walls[i].texture);
    for (int32_t i = 0; i < m.doorCount; ++i)
        used.push_back(m.doors[i].texture);
    for (int32_t i = 0; i < m.teleporterCount; ++i)
        used.push_back(m.teleporters[i].texture);
    for (int32_t i = 0; i < m.healthBoxCount; ++i)
        used.push_back(m.healthBoxes[i].texture);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    for (const int32_t t : used) {
        if (t < 0 || t >= m.textureCount || std::strcmp(m.textureNames[t], "rien") == 0) {
            problems.push_back("texture " + std::to_string(t) + " names no image");
            continue;
        }
        Image image = {};
        if (loadImage(m.textureNames[t], image) != 0)
            problems.push_back(std::string("image ") + m.textureNames[t] + " cannot be read");
        else if (!isPowerOfTwo(image.width) || !isPowerOfTwo(image.height))
            problems.push_back(std::string("image ") + m.textureNames[t] +
                               " is not sized in powers of two");
        freeImage(image);
    }
}

// Checks map `name` (texture list `number`) in the current folder; prints its line.
bool checkMap(const char* name, int32_t number, bool withTextures) {
    std::vector<std::string> problems;
    static Map map;              // too big for the stack
    static TexturesMap textures; // no window: nothing is uploaded
    int32_t result = 1;
    const std::string shown = printedBy([&] { result = map.printElements(name); });
    if (result != 0 || shown.find("Erreur") != std::string::npos)
        problems.push_back("the display load fails");
    const Counts reported = countReportLines(shown);
    printedBy([&] { result = loadPlayMap(map, textures, name, number); });
    if (result != 0 || map.ready != 1) problems.push_back("the play load fails");
    if (countsOf(map) != reported) problems.push_back("display and play loads disagree");
    if (withTextures) checkTextures(map, problems);

    if (map.spawnCount < 1) {
        problems.push_back("no spawn point");
    } else {
        Reach reach(map);
        const std::string leak = reach.fill(map.spawns[0].x, map.spawns[0].y);
        if (!leak.empty()) problems.push_back("players get out: " + leak);
        for (int32_t i = 0; i < map.spawnCount && leak.empty(); ++i)
            if (!reach.reached(map.spawns[i].x, map.spawns[i].y))
                problems.push_back("spawn point " + std::to_string(i) + " cannot be reached");
        for (int32_t i = 0; i < map.healthBoxCount && leak.empty(); ++i)
            if (!reach.reached(map.healthBoxes[i].x, map.healthBoxes[i].y))
                problems.push_back("health box " + std::to_string(i) + " cannot be reached");
        for (int32_t i = 0; i < map.teleporterCount && leak.empty(); ++i)
            if (!reach.reached(map.teleporters[i].destX, map.teleporters[i].destY))
                problems.push_back("teleporter " + std::to_string(i) + " lands off the floor");
    }

    const Counts c = countsOf(map);
    std::printf("%s: %d spawn points, %d floors and ceilings, %d walls, %d doors, %d teleporters, "
                "%d health boxes: %s\n",
                name, c[0], c[1], c[2], c[3], c[4], c[5], problems.empty() ? "ok" : "PROBLEMS");
    for (const std::string& p : problems)
        std::printf("    %s\n", p.c_str());
    return problems.empty();
}

// The shipped maps, in list order; also that each name fits a network frame and that each has
// its texture list.
int32_t checkGameFolder(const char* folder) {
    if (chdir(folder) != 0) {
        std::printf("%s: no such folder\n", folder);
        return 1;
    }
    NameTable names, lists;
    int32_t count = 0, listCount = 0;
    if (readListFile("liste des maps.list", names, count) != 0 || count == 0 ||
        readListFile("liste des textures.list", lists, listCount) != 0) {
        std::printf("%s: the map or texture list cannot be read\n", folder);
        return 1;
    }
    int32_t failed = 0;
    for (int32_t n = 0; n < count; ++n) {
        bool ok = checkMap(names[n], n, true);
        if (std::strlen(names[n]) >= 48) {
            std::printf("    the name is longer than a map name in a frame (47)\n");
            ok = false;
        }
        if (n >= listCount) {
            std::printf("    no texture list of its own in \"liste des textures.list\"\n");
            ok = false;
        }
        failed += ok ? 0 : 1;
    }
    std::printf("%d maps checked in %s, %d with problems\n", count, folder, failed);
    return failed == 0 ? 0 : 1;
}

// The guide's examples, each in a scratch folder with untextured lists.
int32_t checkGuide(const char* guide) {
    std::ifstream in(guide, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char pattern[] = "/tmp/maplint-XXXXXX";
    if (text.empty() || mkdtemp(pattern) == nullptr || chdir(pattern) != 0) {
        std::printf("%s: cannot be read\n", guide);
        return 1;
    }
    std::ofstream("liste des textures.list") << "<t.list>";
    std::ofstream("t.list") << "<rien><rien><rien><rien><rien><rien><rien><rien>";
    int32_t examples = 0, failed = 0;
    const std::string open = "```map\n";
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const size_t end = text.find("```", at);
        if (end == std::string::npos) break;
        const std::string name = "example" + std::to_string(++examples) + ".map";
        std::ofstream(name, std::ios::binary) << text.substr(at, end - at);
        failed += checkMap(name.c_str(), 0, false) ? 0 : 1;
        at = end;
    }
    std::filesystem::remove_all(pattern);
    std::printf("%d examples checked in %s, %d with problems\n", examples, guide, failed);
    return examples > 0 && failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const char* folder = ".";
    const char* guide = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--guide") == 0 && i + 1 < argc)
            guide = argv[++i];
        else
            folder = argv[i];
    }
    // Both are named from where we started; the checks change folders.
    const std::string guidePath =
        guide != nullptr ? std::filesystem::absolute(guide).string() : std::string();
    int32_t status = checkGameFolder(folder);
    if (guide != nullptr) status |= checkGuide(guidePath.c_str());
    return status;
}
