#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ from the shipped
game folder and a few hand-made cases. Run from anywhere; existing seeds of the same name
are replaced, others are kept (libFuzzer's merged finds live beside them)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
SEP = b"\n====\n"


def read(*path):
    with open(os.path.join(DATA, *path), "rb") as f:
        return f.read()


def seed(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def lists():
    seed("list", "maps", read("liste des maps.list"))
    seed("list", "textures", read("liste des textures.list"))
    for m in ("arene", "salle", "labyrinthe"):
        seed("list", m, read("maps", m + ".list"))
    seed("list", "long-entry", b"<" + b"n" * 70 + b"><court>")
    seed("list", "unclosed", b"<a><b")


def maps():
    for number, m in enumerate(("arene", "salle", "labyrinthe")):
        data = bytes([number]) + read("maps", m + ".map")
        seed("map", m, data + SEP + b"<textures.list>" * 3 + SEP + read("maps", m + ".list"))
    seed("map", "bare", b"\0<apparition> (1,1)\n<fin>\n\n\n")
    seed("map", "settings", b"\x01<mur> [3]{4} (v,2,1,5)(0,2) [7] (h,1,1,3)(0,3)\n"
         b"<porte> [2] (h,4,1,3)(0,2)\n<fin>\n\n\n" + SEP + b"<a><textures.list>")


def options():
    # A checkout has no options file until the game's first start writes one; the corpus
    # keeps the one it wrote.
    if os.path.exists(os.path.join(DATA, "options")):
        shipped = read("options")
    else:
        with open(os.path.join(HERE, "corpus", "options", "shipped"), "rb") as f:
            shipped = f.read()
    seed("options", "shipped", shipped)
    seed("options", "short", shipped[:30])
    fields = [1920, 1080, 0, 2000000000, 1, -100, 2147483647, 7, 1, 0]
    seed("options", "extremes", struct.pack("<10i", *fields) + b"p" * 32)
    seed("options", "longer", shipped + b"trailing bytes")


def console():
    seed("console", "lists", b"aide\nlistemap\nlistetexture\naffichemap 0\naffichemap 1\n"
         b"affichemap 9\ninconnue\n")
    seed("console", "chat", b"dire\nbonjour a tous\nscore\ndire\n" + b"z" * 80 + b"\n")
    seed("console", "host", b"chargemap 1\nexpulse 3\nexpulse 9\nreset\nchargemap -1\n")
    seed("console", "options", b"option 1\noption 0\n800\n600\n60\n50\n1\n100\n100\n3\n1\n"
         b"pseudo\noption\nabc\n")
    seed("console", "arguments", b"affichemap " + b" ".join(b"%d" % i for i in range(25)) +
         b"\naffichemap \n1\nquitter\n")


def frame(type_, argument, payload=b"", local=False, sequence=1):
    payload = payload.ljust(48, b"\0")[:48]
    return struct.pack("<4i", sequence, type_, argument, 1 if local else 0) + payload


def doubles(*values):
    return struct.pack("<%dd" % len(values), *values)


def state(keys, ticks, x, y, yaw, pitch):
    return bytes(keys) + b"\0" * 4 + doubles(ticks, x, y, yaw, pitch)


def join(n, name):
    return (frame(1, n) + frame(2, n, name) + frame(7, n, b"13:48:01") +
            frame(3, n, doubles(0)) + frame(6, n, doubles(4)))


def frames():
    host = bytes([1, 0, 16, 0])
    seed("frames", "host-join", host + join(0, b"bob") + join(3, b"alice"))
    seed("frames", "host-play", host + join(0, b"bob") +
         frame(10, 0, state([1, 0, 1, 0], 1000, 250, 450, 90, 0)) +
         frame(12, 0, doubles(250, 450, 117, 0, -10000, 0)) +
         frame(16, 0, b"salut") + frame(13, 0, doubles(7)) + frame(19, 7) +
         frame(9, 1) + frame(20, 0))
    seed("frames", "host-console", host + join(2, b"eve") +
         frame(8, 1, b"tour.map", local=True) + frame(15, 0, b"bonjour", local=True) +
         frame(17, 0, local=True) + frame(18, 2, local=True) + frame(22, 0, local=True))
    client = bytes([0, 255, 16, 0])
    seed("frames", "client", client + frame(0, 7, doubles(2)) + frame(5, 0, b"tour.map") +
         join(7, b"hote") + frame(10, 7, state([0, 0, 0, 1], 5000, 600, 150, 180, 10)) +
         frame(12, 7, doubles(640, 150, 117, -10000, 0, 0)) + frame(13, 2, doubles(2)) +
         frame(14, 0) + frame(21, 0, local=True))
    seed("frames", "client-map", bytes([0, 4, 40, 3]) + frame(5, 1, b"../salle.map") +
         frame(5, 1, b"salle.map") + frame(20, 7) + frame(22, 0))


def discovery_datagram(kind, port=0, nonce=0x12345678, instance=0, players=0, seats=0, pseudo=b"", map_=b""):
    head = b"BVLD" + struct.pack("<BBHIIBB2x", 1, kind, port, nonce, instance, players, seats)
    return (head + pseudo.ljust(32, b"\0")[:32] + map_.ljust(64, b"\0")[:64]).ljust(128, b"\0")


def discovery():
    answer = discovery_datagram(2, 2302, instance=7, players=3, seats=8, pseudo=b"hote",
                                map_=b"maps\\arene.map")
    seed("discovery", "probe", discovery_datagram(1))
    seed("discovery", "answer", answer)
    seed("discovery", "answer-raw-texts", discovery_datagram(2, 40000, players=8, seats=8,
         pseudo=b"\x1b[2J" + b"p" * 40, map_=b"\xe9" * 70))
    seed("discovery", "answer-truncated", answer[:100])
    seed("discovery", "answer-oversized", answer + b"\0")
    loopback, lan = bytes([1, 0, 0, 127]), bytes([20, 2, 0, 192])
    other = discovery_datagram(2, 2303, instance=9, players=1, seats=8, pseudo=b"autre")
    seed("discovery", "listing", loopback + answer + lan + answer + lan + other + lan + other)


if __name__ == "__main__":
    lists()
    maps()
    options()
    console()
    frames()
    discovery()
