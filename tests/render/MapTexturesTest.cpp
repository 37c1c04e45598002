// A map that fails to load lets go of the textures it loaded: it is never drawn, and the next
// load only frees the textures of a ready map, so they would stay in the renderer for good.
#include "GameWindow.h"

#include <vector>

namespace {

// Texture names alive in the renderer (the game's names stay far below the bound).
int32_t liveTextures() {
    int32_t count = 0;
    for (GLuint name = 1; name < 4096; ++name)
        count += glIsTexture(name) ? 1 : 0;
    return count;
}

class MapTextures : public GameFrame {
  protected:
    // Loads the arena for play and returns how many textures it got.
    int32_t loadArena() {
        int32_t loaded = 1;
        const std::string said = testsupport::printedBy(
            [&] { loaded = loadPlayMap(jeu->map, jeu->mapTextures, "maps\\arene.map", 0); });
        EXPECT_EQ(loaded, 0) << said;
        int32_t count = 0;
        for (const uint32_t id : jeu->mapTextures.ids)
            count += id != 0 ? 1 : 0;
        return count;
    }
};

TEST_F(MapTextures, AFailedLoadFreesWhatItLoaded) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("casse.map", "<apparition>(1,1)<Mur>(h,1,1,2)(0,1)");
    const int32_t withoutMap = liveTextures();

    for (const std::string& bad : {std::string("maps\\absente.map"), folder.file("casse.map")}) {
        ASSERT_GT(loadArena(), 3);
        int32_t loaded = 0;
        testsupport::printedBy(
            [&] { loaded = loadPlayMap(jeu->map, jeu->mapTextures, bad.c_str(), 0); });
        EXPECT_EQ(loaded, 1) << bad;
        EXPECT_EQ(jeu->map.ready, 0);
        EXPECT_EQ(liveTextures(), withoutMap) << bad;
        for (const uint32_t id : jeu->mapTextures.ids)
            ASSERT_EQ(id, 0u);
    }
    // The next map loads its textures afresh.
    EXPECT_GT(loadArena(), 3);
    EXPECT_GT(liveTextures(), withoutMap);
}

} // namespace
