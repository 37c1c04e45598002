// The textures of the map being played: for each number of the map's texture list, the
// texture uploaded from the image it names. The map itself keeps only the names.
#pragma once
#include <cstdint>

#include "map/Map.h"

struct TexturesMap {
    uint32_t ids[MAP_TEXTURES]; // 0: no texture (the element is drawn untextured)
    bool seeThrough[MAP_TEXTURES]; // the image has see-through texels: drawn blended, last
};

// The texture of an element's texture number; 0 (untextured) outside 0..255.
uint32_t textureFor(const TexturesMap& textures, int32_t texture);
// Whether that texture has see-through texels; false outside 0..255.
bool isSeeThrough(const TexturesMap& textures, int32_t texture);

// Loads map file `name` for play with texture list `number`, as the console follows it: a
// ready map's textures are released first ("Effacement des textures"), then "On charge la
// map NAME de numero N", the texture list, each texture's name as it is uploaded (with a
// message for one that cannot be), and the elements. 0 on success; 1 when a list or the map
// cannot be read or the map holds a wrong tag. A list that cannot be read keeps the elements
// of the previous map; a map that fails is not ready and keeps no textures.
int32_t loadPlayMap(Map& map, TexturesMap& textures, const char* name, int32_t number);

// Uploads every entry of the map's texture list but "rien", printing each name and, when it
// cannot be loaded (no window, missing file), "Impossible de charger la texture "NAME"".
// Every other slot gets no texture.
void uploadMapTextures(const Map& map, TexturesMap& textures);
// Releases the textures of the map's list and forgets them, so nothing binds a deleted one.
void releaseMapTextures(const Map& map, TexturesMap& textures);
