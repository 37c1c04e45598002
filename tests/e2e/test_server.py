"""The dedicated server, without any display: bots play and chat through it, its console
referees, and it ends cleanly however it is told to."""
import os, re, signal, time
from harness import DUEL, GAME, PROMPT, SHIPPED_MAPS, STARTUP, Bot, Process, game_folder, reap  # noqa: F401

NO_DISPLAY = {"DISPLAY": None, "XAUTHORITY": None, "WAYLAND_DISPLAY": None}
# Frames that would show a player 7: its join, score, colour, state or shot.
HOST_PLAYER = re.compile(r"recv type=(1|3|6|10|12) arg=7[ \n]")


class Server(Process):
    """A dedicated server on a port the system picks, read back from the line it prints."""

    def __init__(self, folder, *args):
        super().__init__([GAME, "--serveur", "--port", "0", *args], folder, NO_DISPLAY)
        listening = self.wait_match(r"Serveur en ecoute sur le port (\d+), map \d+: ", STARTUP)
        self.port = int(listening[1]) if listening else -1

    def scores(self):
        """What `score` prints, without the console's prompt that may come in between."""
        start = self.mark()
        listing = self.send("score") and self.wait_match(r"(?s)Score:.*?\n\n>>>", start=start)
        return listing[0].decode("latin-1").replace(PROMPT, "") if listing else self.tail()


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def test_bots_play_through_it():
    folder = game_folder("arbitre", maps=[("duel.map", "duel.map", DUEL)])
    server = Server(folder, "--map", str(SHIPPED_MAPS))
    assert server.port > 0, server.tail()
    before = cpu_seconds(server.p.pid)  # idle, it sleeps; a spinning loop burns a core
    time.sleep(2)
    assert cpu_seconds(server.p.pid) - before < 0.2
    alpha = Bot(folder, server.port, "alpha", "--shoot-at", "1", "--chat")
    assert alpha.joined() == 0, alpha.text
    beta = Bot(folder, server.port, "beta", "--shoot-at", "0")
    assert beta.joined() == 1, beta.text
    # 75 health, 10 a hit, a shot a second: someone falls within seconds, and the killer's
    # new score comes back through the server.
    frag = alpha.wait_match(r"recv type=13 arg=\d value=(\d)\n", 40)
    assert frag, alpha.text
    killer = int(frag[1])
    assert alpha.wait_for("recv type=3 arg=%d value=1\n" % killer, start=frag.end()), alpha.text
    scores = re.fullmatch(r"Score:\nScore de alpha\(0\)=(\d+)\nScore de beta\(1\)=(\d+)\n", server.scores())
    assert scores and int(scores[1 + killer]) >= 1, server.tail()
    # Chat both ways: a player's line on the server's console, the server's in every game.
    assert alpha.send("salut") and server.wait_for("\nalpha:salut\n\n>>>"), server.tail()
    assert server.command("dire", "Votre texte:") and server.send("bienvenue")
    assert server.wait_for("\narbitre:bienvenue\n\n>>>"), server.tail()
    for bot in (alpha, beta):
        assert bot.wait_for("recv type=16 arg=7 text=bienvenue\n"), bot.text
        assert "recv type=2 arg=7 text=arbitre\n" in bot.text and not HOST_PLAYER.search(bot.text)


def test_command_line_and_ends():
    folder = game_folder("arbitre")
    server = Server(folder)
    cases = ((["--help"], "usage:", 0), (["--port", "1"], "usage:", 2), (["--serveur", "--port", "65536"], "usage:", 2),
             (["--serveur", "--map"], "usage:", 2), (["--serveur", "-x"], "usage:", 2),
             (["--serveur", "--map", "99"], "Erreur: La map 99 est inexistante\n", 1),
             (["--serveur", "--port", str(server.port)], "Erreur: bind a echoue", 1))
    for args, text, status in cases:
        p = Process([GAME, *args], folder, NO_DISPLAY)
        assert p.wait_exit() == status and text in p.text + p.errors(), (args, p.text, p.errors())
    ends = {"quitter": lambda s: s.send("quitter"), "end of input": lambda s: s.p.stdin.close(),
            "SIGTERM": lambda s: s.kill(signal.SIGTERM), "SIGINT": lambda s: s.kill(signal.SIGINT)}
    for how, end in ends.items():
        server = server or Server(folder)
        assert server.port > 0 and server.command("listemap", "maps\\arene.map\n"), server.tail()
        end(server)
        assert server.wait_exit() == 0 and "Arret du serveur" in server.text, how + server.tail()
        server = None
