#!/usr/bin/env python3
"""Makes the shipped game folder data/: textures, player skins, reticle, font, sounds, the
generated maps (maze and stress map), every texture list and the two list files.

Regenerate from the repository root with

    python3 tools/assetgen/assetgen.py            # writes into data/
    python3 tools/assetgen/assetgen.py --out DIR  # writes a copy elsewhere

It needs python3 (standard library only), ImageMagick's convert and the DejaVu fonts, all
installed by scripts/install-deps. The output is committed; every random choice is seeded,
so a run on the same tools gives the same files. The training room (data/maps/salle.map)
and the arena (data/maps/arene.map) are written by hand and left untouched.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import font  # noqa: E402
import maps  # noqa: E402
import sounds  # noqa: E402
import textures  # noqa: E402
from picture import save, write_tga  # noqa: E402

HAND_WRITTEN = {
    "salle": [("sol_dalles.jpg", "sol"), ("mur_beton.jpg", "murs"), ("plafond.jpg", "plafond"),
              ("porte.jpg", "porte"), ("caisse_bois.jpg", "bloc bas"),
              ("teleporteur.jpg", "teleporteurs"), ("soin.jpg", "caisses de soin"),
              (None, "libre"), ("mur_metal.jpg", "pilier")],
    "arene": [("sol_dalles.jpg", "sols des cotes et du hall"), ("sol_tole.jpg", "sols des coins"),
              ("mur_brique.jpg", "cloisons"), ("mur_beton.jpg", "libre pour des ajouts"),
              ("mur_metal.jpg", "piliers"), ("mur_pierre.jpg", "enceinte"),
              ("plafond.jpg", "plafonds"), ("porte.jpg", "portes"),
              ("teleporteur.jpg", "teleporteurs"), ("soin.jpg", "caisses de soin"),
              ("caisse_bois.jpg", "blocs")],
}
HAND_TITLES = {
    "salle": "Textures de la salle d'entrainement : le numero d'une texture est son rang ici.",
    "arene": "Textures de l'arene.",
}


def write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # Windows line ends are not needed: the game reads bytes and ignores text between tags.
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def step(message):
    print("assetgen: " + message, flush=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Makes the shipped game folder.")
    parser.add_argument("--out", default=os.path.normpath(os.path.join(here, "..", "..", "data")))
    out = parser.parse_args().out
    donnees = os.path.join(out, "donnees")

    step("map textures")
    for name, paint in textures.MAP_TEXTURES:
        save(paint(), os.path.join(donnees, "textures", name))
    step("player skins, reticle")
    save(textures.skin_body(), os.path.join(donnees, "joueur", "j1.jpg"))
    save(textures.skin_limbs(), os.path.join(donnees, "joueur", "j2.jpg"))
    save(textures.reticle(), os.path.join(donnees, "arme", "reticule.gif"), alpha=True)
    step("font")
    write_tga(os.path.join(donnees, "police", "police.tga"), font.build())
    step("sounds")
    for name, make in sounds.SOUNDS:
        sounds.write_wav(os.path.join(donnees, "son", name), make())
    step("maps and lists")
    for name, entries in HAND_WRITTEN.items():
        write_text(os.path.join(out, "maps", name + ".list"),
                   maps.texture_list(entries, HAND_TITLES[name]))
    for name, make in (("labyrinthe", maps.maze), ("stress", maps.stress)):
        map_text, list_text = make()
        write_text(os.path.join(out, "maps", name + ".map"), map_text)
        write_text(os.path.join(out, "maps", name + ".list"), list_text)
    map_list, texture_lists = maps.list_files()
    write_text(os.path.join(out, "liste des maps.list"), map_list)
    write_text(os.path.join(out, "liste des textures.list"), texture_lists)
    step("done: " + out)


if __name__ == "__main__":
    main()
