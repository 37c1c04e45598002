"""Real games playing together on one X display of the test's own: a host, clients driven
through their consoles and windows, and headless bots that record what a player receives."""
import os, time
import pytest
from harness import (DUEL, HELP_HEAD, NOT_HOST, PROMPT, REPLY, SHIPPED_MAPS, SOURCE, Bot, Display, Game,  # noqa: F401
                     free_port, reap, within)

# One long room; from its spawn point at the west end a player looks east down the room.
HALL = ("<apparition> (1,2)\n<plafon> [0]{2} (0) (0,0) (12,4)  [2]{2} (3) (0,0) (12,4)\n"
        "<mur> [1]{2} (h,0,0,12)(0,5) (h,4,0,12)(0,5) (v,0,0,4)(0,5) (v,12,0,4)(0,5)\n<fin>\n")
# 42 characters: with "maps\" in front, the 47 that a map change carries.
LONG = "salle" + "_" * 33 + ".map"
TAUNTS = ["hote n'etait pas assez fort", "hote admet son inferiorite", "hote est vraiment un noob...",
          "Tu me decois hote", "Prend pas la quinte hote..."]


@pytest.fixture
def x():
    return Display()


def scene(x, **host_settings):
    """A host on the arena, a client and a bot that watches (numbers 0 and 1)."""
    port = free_port()
    host = Game(x, "hote", colour=3, **host_settings)
    assert host.host(port, 0), host.tail()
    client = Game(x, "client", colour=5)
    assert client.join(port), client.tail()
    assert host.wait_for("\nNouveau joueur id: 0\n"), host.tail()
    bot = Bot(host.folder, port, "robot")
    assert bot.joined() == 1, bot.text
    return port, host, client, bot


def lists(game, lines):
    """Asks for the scores until `lines` are among them: a name follows its player by a
    frame. The console's prompt, which may come between them, is left out."""
    for _ in range(10):
        start = game.mark()
        if game.command("score", "!!\n\n>>>") and lines in game.text[start:].replace(PROMPT, ""):
            return True
        time.sleep(0.2)
    return False


def test_talk(x):
    port, host, client, bot = scene(x)
    assert lists(host, "\nScore de client(0)=0"), host.tail()
    assert lists(client, "Score:\nScore de robot(1)=0\nScore de hote(7)=0\nMon score (0)=0!!"), client.tail()
    # Chat typed in the client's window: Return opens the line, capitals stay, Return sends.
    marks = host.mark(), client.mark()
    assert client.focus() and client.xdo("key", "--delay", "60", "Return")
    assert client.xdo("type", "--delay", "60", "Salut a Tous") and client.xdo("key", "Return")
    for game, start in zip((host, client), marks):  # the relay brings it back to its author too
        assert game.wait_for("\nclient:Salut a Tous\n\n>>>", start=start), game.tail()
    assert bot.wait_for("recv type=16 arg=0 text=Salut a Tous\n"), bot.text
    # dire at the host's console, the line typed as on Windows, reaches everybody.
    marks = host.mark(), client.mark()
    assert host.command("dire", "Votre texte:") and host.send("bonjour les amis\r")
    for game, start in zip((host, client), marks):
        assert game.wait_for("\nhote:bonjour les amis\n\n>>>", start=start), game.tail()
    assert bot.wait_for("recv type=16 arg=7 text=bonjour les amis\n"), bot.text


def test_host_commands(x):
    salle = open(os.path.join(SOURCE, "data", "maps", "salle.map")).read()
    port, host, client, bot = scene(x, maps=[(LONG + "_et_la_suite", LONG, salle)])
    start = client.mark()
    assert host.command("reset", "Remise a 0 des scores\n"), host.tail()
    assert client.wait_for("Remise a 0 des scores\n", start=start) and bot.wait_for("recv type=22 arg=0\n")
    # A map name over 47 characters arrives cut.
    start = client.mark()
    loading = "On charge la map maps\\%s de numero %d\n" % (LONG, SHIPPED_MAPS)
    assert host.command("chargemap %d" % SHIPPED_MAPS, loading), host.tail()
    assert client.wait_for(loading, start=start), client.tail()
    assert bot.wait_for("recv type=5 arg=%d text=maps\\\\%s\n" % (SHIPPED_MAPS, LONG)), bot.text
    assert client.command("chargemap 0", NOT_HOST), client.tail()
    # The kicked player's game ends, its console does not; nobody else is kicked.
    start = client.mark()
    assert host.send("expulse 0")
    assert client.wait_for("L'hote vous a expulse de la partie\n", start=start), client.tail()
    assert client.window_gone(), "the kicked player's window is still open"
    assert client.command("aide", HELP_HEAD) and client.running()
    assert host.window(REPLY) and not bot.wait_for("end reason", 1), bot.text


def test_lost_peers(x):
    port, host, client, bot = scene(x)
    client.kill()
    assert bot.wait_for("recv type=20 arg=0\n"), bot.text
    # The host plays on: its states keep coming, its scores list the bot, no longer the client.
    after = bot.mark()
    assert within(REPLY, lambda: bot.text.count("recv type=10 arg=7 ", after) >= 3), bot.text
    start = host.mark()
    assert host.command("score", "Mon score (7)=0!!"), host.tail()
    assert "Score de robot(1)=0" in host.text[start:] and "client" not in host.text[start:]
    # A newcomer joins; then the host vanishes and it plays on alone.
    second = Game(x, "second", colour=6)
    assert second.join(port), second.tail()
    joined = host.wait_match(r"\nNouveau joueur id: (\d)\n", start=start)
    assert joined, host.tail()
    after = bot.mark()
    host.kill()
    assert bot.wait_for("recv type=21 arg=7\n", start=after) and bot.wait_for("end reason=host-lost\n"), bot.text
    assert bot.wait_exit() == 0
    assert second.command("score", "Mon score (%d)=0!!" % int(joined[1])), second.tail()  # its loop lives
    assert second.command("aide", HELP_HEAD) and second.window(REPLY) and second.running()


def centre_change(a, b, w, h):
    """Share of pixels that differ in the middle of the view, where no HUD is drawn."""
    spans = [range((y * w + w // 4) * 3, (y * w + 3 * w // 4) * 3, 3) for y in range(h // 4, 3 * h // 4)]
    return sum(a[i:i + 3] != b[i:i + 3] for span in spans for i in span) / (h // 2 * (w // 2))


def test_window_keys(x):
    host = Game(x, "marcheur", width=320, height=240, maps=[("hall.map", "hall.map", HALL)])
    assert host.host(free_port(), SHIPPED_MAPS), host.tail()
    assert host.focus()
    # Standing still, two looks a moment apart are the same picture; walking moves the walls.
    first = []
    assert within(REPLY, lambda: first.append(host.pixels()) or any(first[-1] or b""))
    time.sleep(0.3)
    still = host.pixels()
    assert centre_change(first[-1], still, 320, 240) == 0
    assert host.xdo("keydown", "z") and not time.sleep(0.6) and host.xdo("keyup", "z")
    time.sleep(0.2)
    assert centre_change(still, host.pixels(), 320, 240) > 0.05
    # F6 closes the window and leaves the console.
    assert host.xdo("key", "F6") and host.window_gone(), "F6 left the window open"
    assert host.command("aide", HELP_HEAD) and host.send("quitter") and host.wait_exit() == 0


def test_frag(x):
    port = free_port()
    host = Game(x, "hote", maps=[("duel.map", "duel.map", DUEL)])
    assert host.host(port, SHIPPED_MAPS), host.tail()
    shooter = Bot(host.folder, port, "tireur", "--shoot-at", "7")
    me = shooter.joined()
    assert me >= 0, shooter.text
    # 75 health, 10 a hit, a shot a second: the host falls after about eight seconds.
    assert shooter.wait_for("recv type=13 arg=7 value=%d\n" % me, 40), shooter.text
    assert shooter.wait_for("recv type=3 arg=%d value=1\n" % me), shooter.text
    assert shooter.wait_for("recv type=16 arg=%d text=" % me), shooter.text
    assert sum("recv type=15 arg=0 text=%s\\x0A\n" % t in shooter.text for t in TAUNTS) == 1
    assert host.command("score", "\nScore de tireur(%d)=1" % me), host.tail()
    assert "\ntireur:" in host.text  # the host heard the taunt from its killer


def test_eight_players(x):
    port = free_port()
    host = Game(x, "hote")
    assert host.host(port, 1), host.tail()
    calm = ("--quiet", "--fps", "10")
    bots = []
    for i in range(7):  # one at a time, so numbers are given in order
        bots.append(Bot(host.folder, port, "bot%d" % i, *calm))
        assert bots[i].joined() == i, bots[i].text
    # Eight players in one game (an eighth bot waiting for a free number is the transport
    # tests' case).
    assert lists(host, "Score de bot0(0)=0\nScore de bot1(1)=0"), host.tail()
    assert lists(host, "Score de bot6(6)=0\nMon score (7)=0!!"), host.tail()
    assert all(b.running() for b in bots) and host.window(REPLY)
