#include "render/TexturesMap.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "render/Texture.h"

uint32_t textureFor(const TexturesMap& textures, int32_t texture) {
    return texture >= 0 && texture < MAP_TEXTURES ? textures.ids[texture] : 0;
}

bool isSeeThrough(const TexturesMap& textures, int32_t texture) {
    return texture >= 0 && texture < MAP_TEXTURES && textures.seeThrough[texture];
}

void uploadMapTextures(const Map& map, TexturesMap& textures) {
    for (int32_t i = 0; i < MAP_TEXTURES; ++i) {
        textures.ids[i] = 0;
        textures.seeThrough[i] = false;
        if (i >= map.textureCount || std::strcmp(map.textureNames[i], "rien") == 0) continue;
        std::printf("%s\n", map.textureNames[i]);
        textures.ids[i] = loadTexture(map.textureNames[i], true);
        textures.seeThrough[i] = hasAlpha(textures.ids[i]);
        if (textures.ids[i] == 0)
            std::printf("Impossible de charger la texture \"%s\"\n", map.textureNames[i]);
    }
}

void releaseMapTextures(const Map& map, TexturesMap& textures) {
    const int32_t count = map.textureCount < 0
                              ? 0
                              : (map.textureCount > MAP_TEXTURES ? MAP_TEXTURES : map.textureCount);
    for (int32_t i = 0; i < count; ++i) {
        if (textures.ids[i] != 0) glDeleteTextures(1, &textures.ids[i]);
        textures.ids[i] = 0;
        textures.seeThrough[i] = false;
    }
}

int32_t loadPlayMap(Map& map, TexturesMap& textures, const char* name, int32_t number) {
    if (name == nullptr) return 1;
    if (map.ready == 1) {
        std::printf("Effacement des textures\n");
        releaseMapTextures(map, textures);
    }
    map.textureCount = 0;
    std::printf("On charge la map %s de numero %d\n", name, number);
    if (map.loadTextureList(number) != 0) return 1;
    uploadMapTextures(map, textures);
    const int32_t result = map.loadElements(name);
    // A map that is not ready is never drawn and the next load would not free its textures.
    if (result != 0) releaseMapTextures(map, textures);
    return result;
}
