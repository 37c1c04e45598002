// Drawing the map being played: floors and ceilings, walls, teleporters, doors as far as
// they have risen, and the health boxes not taken, each with its texture.
#pragma once
#include <cstdint>

#include "map/Map.h"
#include "render/ChampDeVision.h"
#include "render/TexturesMap.h"

// Draws nothing unless the map is ready. Elements that the camera of the current OpenGL
// matrices cannot see are not sent: they would give no pixel. Opaque ones go nearest first
// (upright ones before floors and ceilings), see-through ones last, farthest first; ties
// keep the table order. Not reentrant: the elements of a frame are gathered in one buffer.
void drawMap(const Map& map, const TexturesMap& textures);
// The same through a given view; through makeWholeSpace every element is sent, in table
// order within each group (no element is nearer than another).
void drawMap(const Map& map, const TexturesMap& textures, const ChampDeVision& view);

// A textured axis-aligned box, texture repeated s by t times on each face (see useTexture).
void drawBox(double x1, double y1, double z1, double x2, double y2, double z2, int32_t s, int32_t t,
             uint32_t texture);
