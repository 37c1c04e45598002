#include "render/ChampDeVision.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace {

// Beyond a plane by more than this (map units, a hundredth of a cell) counts as outside:
// far above float rounding at map sizes, far below anything one would see.
constexpr double MARGIN = 1.0;

// Row r of the column-major product p x m.
void productRow(const double p[16], const double m[16], int32_t r, double row[4]) {
    for (int32_t c = 0; c < 4; ++c) {
        double sum = 0;
        for (int32_t k = 0; k < 4; ++k)
            sum += p[k * 4 + r] * m[c * 4 + k];
        row[c] = sum;
    }
}

} // namespace

void makeChampDeVision(ChampDeVision& view, const double projection[16],
                       const double modelview[16]) {
    double rows[4][4];
    for (int32_t r = 0; r < 4; ++r)
        productRow(projection, modelview, r, rows[r]);
    // Clip space keeps -w <= x, y, z <= w: each side is row 3 plus or minus row 0, 1 or 2.
    for (int32_t i = 0; i < 6; ++i) {
        const double sign = (i % 2 == 0) ? 1.0 : -1.0;
        double* plane = view.planes[i];
        for (int32_t c = 0; c < 4; ++c)
            plane[c] = rows[3][c] + sign * rows[i / 2][c];
        const double length =
            std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        // A degenerate plane (a broken matrix) culls nothing: better a useless draw.
        if (!(length > 1e-12) || !std::isfinite(length)) {
            memset(plane, 0, 4 * sizeof(double));
            continue;
        }
        for (int32_t c = 0; c < 4; ++c)
            plane[c] /= length;
    }
}

void makeWholeSpace(ChampDeVision& view) {
    memset(view.planes, 0, sizeof view.planes);
}

void currentChampDeVision(ChampDeVision& view) {
    double projection[16];
    double modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    makeChampDeVision(view, projection, modelview);
}

bool isOutsideView(const ChampDeVision& view, const double (*points)[3], int32_t count) {
    for (const double* plane : view.planes) {
        int32_t beyond = 0;
        for (int32_t i = 0; i < count; ++i) {
            const double* p = points[i];
            const double distance = plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3];
            // NaN compares false: a point of unknown place is never beyond.
            if (distance < -MARGIN) ++beyond;
        }
        if (count > 0 && beyond == count) return true;
    }
    return false;
}
