"""Peers and a host that send whatever they like: the real processes stay up and keep
playing, and a fresh player still joins. (Console lines are the console fuzzer's.)"""
import random, struct
import pytest
from harness import (ASSIGN_ID, CHAT, COLOUR, FRAG, FRAME, HELP_HEAD, KICKED, LOAD_MAP, NAME,  # noqa: F401
                     NEW_PLAYER, REPLY, SCORE, SHOT, STARTUP, STATE, VERSION, Bot, Display, Game,
                     Peer, free_port, host_for, reap, within)

NAN, INF = float("nan"), float("inf")
WILD = (NAN, 1e300, -1e300, INF, -INF, 5e-324, -0.0)
STRANGE = (-5, 8, 99, 2**31 - 1, -1, -2**31)
TYPES = list(range(256)) + [256, 65536, -1, 2**31 - 1, -2**31]


@pytest.fixture
def x():
    return Display()


def barrage(peer, me, others, rng):
    """Every type value with player numbers in and out of the table, random payloads; texts
    without their zero; NaN and 1e300 wherever numbers go."""
    for n, type in enumerate(t for t in TYPES if t != KICKED or me != 7):  # a kick rightly ends a client
        for arg in (me, *others, *STRANGE):
            peer.send(type, arg, rng.randbytes(48))
        peer.drain()  # the other end answers and relays: keep reading
    for type in (NAME, CHAT, VERSION, LOAD_MAP):
        for arg in (me, *others, 8):
            peer.send(type, arg, b"A" * 48)
    for w in WILD:
        for arg in (me, *others):
            peer.send(STATE, arg, b"\1\1\1\1" + bytes(4) + struct.pack("<5d", *[w] * 5))
            peer.send_doubles(SHOT, arg, w, 500.0, w, w, 1.0, w)
            for type in (SCORE, COLOUR, FRAG):
                peer.send_doubles(type, arg, w)
        peer.drain()


def test_hostile_peer(x):
    port = free_port()
    host = Game(x, "hote")
    assert host.host(port, 1), host.tail()
    client = Game(x, "client")
    assert client.join(port), client.tail()
    bot = Bot(host.folder, port, "temoin")
    assert bot.joined() == 1 and bot.wait_for("recv type=2 arg=0 text=client\n"), bot.text
    rng = random.Random(20240611)
    for _ in range(4):  # loose random bytes: most frames they make up are read and handled
        noise = Peer()
        assert noise.welcome(port) >= 0, host.tail()
        noise.raw(rng.randbytes(16 * 1024 + 13))
    hostile = Peer()
    me = hostile.join(port, "mechant")
    assert me >= 0, host.tail()
    barrage(hostile, me, (0, 1, 7), rng)
    for i in range(500):  # a burst of shots; what the host sends meanwhile is read
        hostile.send_doubles(SHOT, me, 100.0 + i, 150.0, 117.0, 10000.0, 1.0 * i, 0.0)
        if i % 50 == 0:
            hostile.drain()
    # Once the bot has this chat line, the host has handled everything before it.
    hostile.send(CHAT, me, "fin de l'attaque")
    assert bot.wait_for("text=fin de l'attaque", STARTUP), bot.text + host.tail()
    # Fifty connections dropped at every step of a join: at once, after the welcome, in the
    # middle of the announcement, in the middle of a frame.
    for i in range(50):
        passer = Peer()
        if i % 4 == 0:
            passer.connect(port)
        elif passer.welcome(port) >= 0 and i % 4 > 1:
            passer.send(NEW_PLAYER, passer.id)
            if i % 4 == 3:
                passer.raw(FRAME.pack(99, CHAT, passer.id, 0, bytes(48))[:10])
        passer.close()
        hostile.drain()
    hostile.send(CHAT, me, "toujours la")
    assert bot.wait_for("text=toujours la"), bot.text + host.tail()
    assert host.running() and client.running() and bot.running()
    fresh = Bot(host.folder, port, "nouveau")
    assert fresh.joined() >= 0 and fresh.wait_for("recv type=5 "), fresh.text + host.tail()
    assert host.command("aide", HELP_HEAD), host.tail()
    assert client.command("score", "!!\n") and client.command("aide", HELP_HEAD), client.tail()


def test_hostile_host(x):
    tower = "<apparition> (6,1)\n<fin>\n"  # a player there stands at (650, 150)
    client = Game(x, "prudent", maps=[("tour.map", "tour.map", tower)])
    host = host_for(client)
    # Welcomes that no client number fits are ignored; then a true one.
    for number in (NAN, INF, -1.0, 7.0, 1e300, -1e300, 6.9999, 3.0):
        host.send_doubles(ASSIGN_ID, 7, number)
    assert host.await_frame(COLOUR, 3), client.tail()
    host.send(LOAD_MAP, 4, "maps\\tour.map")
    assert client.wait_for("On charge la map maps\\tour.map de numero 4\n"), client.tail()

    def position():
        state = host.await_frame(STATE, 3)
        return state and struct.unpack_from("<2d", state[4], 16)
    assert within(REPLY, lambda: position() == (650.0, 150.0), 0), client.tail()
    # Names outside the game folder (the unit tests hold the list) are refused; the client
    # keeps its map and place. A name inside the folder that is no map is only reported.
    host.send(LOAD_MAP, 1, "maps\\..\\..\\x.map")
    assert client.wait_for('Erreur: la map "maps\\..\\..\\x.map" est hors du dossier'), client.tail()
    host.drain()
    assert position() == (650.0, 150.0)
    host.send(LOAD_MAP, 1, "donnees")
    assert client.wait_for('Erreur lors du chargement du fichier: "donnees"'), client.tail()
    for other in (0, 7):  # two more players, so that states and shots land in present slots
        host.send(NEW_PLAYER, other)
    barrage(host, 7, (0, 3), random.Random(4242))
    # Once the client shows the last chat line, it has handled everything before it.
    host.send(NAME, 7, "hote")
    host.send(CHAT, 7, "tout est dit")
    assert client.wait_for("\nhote:tout est dit\n", STARTUP), client.tail()
    # Welcomes in the barrage may have renumbered it: any number will do.
    assert client.command("score", "\nMon score (") and client.command("aide", HELP_HEAD), client.tail()
    assert client.window(REPLY) and client.running()

