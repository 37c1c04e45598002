// A small game folder written by the fuzz targets that need maps to load: two maps with
// an element of each kind, the map list and the texture lists (no image files: without a
// window no texture is loaded anyway).
#pragma once
#include "FuzzSupport.h"

namespace fuzzsupport {

constexpr char SALLE_MAP[] = "<apparition> (2,2) (2,5) (5,6)\n"
                             "<plafon> [0]{2} (0) (0,0) (12,8) [2]{2} (3) (0,0) (12,8)\n"
                             "<mur> [1]{2} (h,0,0,12)(0,5) (h,8,0,12)(0,5) (v,0,0,8)(0,5)\n"
                             "(v,12,0,8)(0,5) (v,8,0,3)(0,5) (v,8,5,8)(0,5) (v,8,3,5)(2,5)\n"
                             "[4]{1} (h,2,4,6)(0,1) (h,3,4,6)(0,1) (v,4,2,3)(0,1)\n"
                             "<porte> [3] (v,8,3,5)(0,2)\n"
                             "<teleporteur> [5] (v,3,6,180)(10,6) (h,10,2,0)(1,4)\n"
                             "<caisse de soin> [6] (7,1) (11,7)\n"
                             "<fin>\n\n\n";
constexpr char TOUR_MAP[] = "<apparition> (6,1)\n<mur> (h,0,0,9)(0,5) (v,0,0,9)(0,5)\n"
                            "<fin>\n\n\n";

inline void writeGameData(const kit::TempFolder& folder) {
    folder.write("salle.map", SALLE_MAP);
    folder.write("tour.map", TOUR_MAP);
    folder.write("liste des maps.list", "<salle.map> <tour.map>");
    folder.write("liste des textures.list", "<salle.list> <tour.list>");
    folder.write("salle.list", "<sol.jpg><mur.jpg><plafond.jpg><porte.jpg><rien><tele.jpg>");
    folder.write("tour.list", "<rien>");
}

} // namespace fuzzsupport
