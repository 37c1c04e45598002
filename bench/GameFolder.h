// A game folder for the game a benchmark starts: the shipped images, sounds and maps (linked,
// not copied), its own list files and its own "options" file with the pseudo and window
// size asked for. Removed at the end with everything in it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kit/TempFolder.h"

namespace kit {

// The settings a test cares about; the rest are the game's usual values.
struct GameSettings {
    std::string pseudo = "joueur";
    int32_t colour = 0;
    int32_t width = 320;
    int32_t height = 240;
    int32_t maxFps = 30;
    int32_t visibility = 100;
    int32_t fog = 1;
};

class GameFolder {
  public:
    explicit GameFolder(const GameSettings& settings = GameSettings()) {
        if (!folder_.ok()) return;
        namespace fs = std::filesystem;
        const fs::path shipped = fs::path(BV_SOURCE_DIR) / "data";
        const fs::path here(folder_.path());
        std::error_code failed;
        fs::create_directory_symlink(shipped / "donnees", here / "donnees", failed);
        if (failed) return;
        // Maps are linked one by one so a test can add its own beside them.
        fs::create_directory(here / "maps", failed);
        for (const fs::directory_entry& e : fs::directory_iterator(shipped / "maps", failed))
            if (!failed) fs::create_symlink(e.path(), here / "maps" / e.path().filename(), failed);
        if (failed) return;
        const std::string maps = readShipped(MAP_LIST);
        for (char c : maps)
            if (c == '<') ++mapCount_;
        folder_.write(MAP_LIST, maps);
        folder_.write(TEXTURE_LIST, readShipped(TEXTURE_LIST));
        writeOptions(settings);
        ready_ = !folder_.read(MAP_LIST).empty() && !folder_.read(TEXTURE_LIST).empty();
    }

    bool ok() const { return ready_; }
    const char* path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.file(name); }

    // The 72-byte "options" file: ten little-endian integers, then the 32-byte pseudo.
    void writeOptions(const GameSettings& s) const {
        const int32_t fields[10] = {s.width,  s.height, s.maxFps, s.visibility, s.fog, 100, 100,
                                    s.colour, 0,        1};
        std::string bytes;
        for (int32_t v : fields)
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<char>((static_cast<uint32_t>(v) >> shift) & 0xFF));
        std::string pseudo = s.pseudo.substr(0, 31);
        pseudo.resize(32, '\0');
        folder_.write("options", bytes + pseudo);
    }

    // Writes maps/<name> and appends it to the map list, with `textureList` (a name such as
    // "maps\\salle.list") as its textures. Gives the new map's number.
    int32_t addMap(const std::string& name, const std::string& mapText,
                   const std::string& textureList) {
        folder_.write("maps/" + name, mapText);
        folder_.write(MAP_LIST, folder_.read(MAP_LIST) + "<maps\\" + name + ">\n");
        folder_.write(TEXTURE_LIST, folder_.read(TEXTURE_LIST) + "<" + textureList + ">\n");
        return mapCount_++;
    }

  private:
    static constexpr const char* MAP_LIST = "liste des maps.list";
    static constexpr const char* TEXTURE_LIST = "liste des textures.list";

    static std::string readShipped(const std::string& name) {
        std::ifstream in(std::string(BV_SOURCE_DIR) + "/data/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TempFolder folder_;
    bool ready_ = false;
    int32_t mapCount_ = 0; // one name per tag in the map list
};

} // namespace kit
