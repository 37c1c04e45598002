// What the camera can see: the six planes of the view frustum, taken from the projection and
// modelview matrices. The map drawing asks it which elements cannot give a single pixel, so
// that they are not sent to OpenGL at all (on a software renderer each one costs a draw).
#pragma once
#include <cstdint>

struct ChampDeVision {
    // a x + b y + c z + d >= 0 inside, (a, b, c) of unit length, so d is a distance in map
    // units. All zero: nothing is ever outside (the whole space).
    double planes[6][4];
};

// Planes of the frustum seen through `projection` x `modelview` (OpenGL's column-major
// 4 x 4 matrices, as glGetDoublev gives them).
void makeChampDeVision(ChampDeVision& view, const double projection[16],
                       const double modelview[16]);
// A view that keeps everything: drawing through it is drawing every element.
void makeWholeSpace(ChampDeVision& view);
// The view of the current OpenGL matrices (game thread, with a window).
void currentChampDeVision(ChampDeVision& view);

// True only when every point lies clearly beyond one and the same plane: then the convex
// polygon or box they span gives no pixel. A margin keeps rounding on the visible side, so a
// false answer costs a useless draw, never a missing pixel.
bool isOutsideView(const ChampDeVision& view, const double (*points)[3], int32_t count);
