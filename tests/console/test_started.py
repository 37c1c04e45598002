"""A console whose start succeeded while its window could not open (no X display): the
game thread's lines come between the console's, each whole; then the console alone talks,
byte for byte, and the transport lives on."""
import os, shutil, socket, struct
from harness import GAME, NOT_HOST, PROMPT, Process, connect, free_port, reap, within  # noqa: F401

WINDOW_ERROR = "\nErreur lors de l'initialisation de la fenetre\n\n>>>"
STARTED = "\n\t0 erreurs lors de l'initialisation\n" + PROMPT


def start(tmp_path, *answers):
    """The console after `start` and its answers, once the window has failed. The game
    thread's two lines may come anywhere between the console's, each whole."""
    shutil.copytree(os.path.join(os.path.dirname(__file__), "golden", "start"), tmp_path, dirs_exist_ok=True)
    game = Process([GAME], tmp_path, {"DISPLAY": ""})  # empty: no X server, as when unset
    game.send("start", *answers)

    def console_lines():
        rest = game.text[game.text.find("Initialisation de la fenetre\n"):]
        for line in ("\nInitialisation de SDL\n", WINDOW_ERROR):
            rest = rest.replace(line, "", 1) if line in rest else "?"
        return rest
    prompt = "Entrez le numero de la map:" if answers[0] == "s" else ""
    assert within(10, lambda: console_lines() == "Initialisation de la fenetre\n" + prompt + STARTED), game.tail()
    return game


def says(game, lines, expected, timeout=10):
    start = game.mark()
    game.send(*lines)
    assert game.wait_for(expected, timeout, start), game.tail()
    assert game.text[start:] == expected


def test_host(tmp_path):
    port = free_port()
    game = start(tmp_path, "s", str(port), "1")
    # The host listens on the port typed; a newcomer is welcomed with its number.
    with connect(port) as peer:
        peer.settimeout(10)
        frame = peer.recv(64, socket.MSG_WAITALL)
        assert struct.unpack_from("<iid", frame, 4) == (0, 7, 0.0) and len(frame) == 64
    says(game, ["affichemap 0", "affichemap 2", "start"],
         "Apparition aux coordonnees: (1,1)\n"
         "Mur horizontal avec y=0 allant de x=0 a x=3 d'une hauteur min 0 et max 2\n" + PROMPT +
         "Erreur: La map 2 est inexistante\n" + PROMPT +
         "Erreur: l'initialisation a deja ete faite\nVeuillez relancer le jeu pour reinitialiser\n" +
         PROMPT)
    game.send("quitter")
    assert game.wait_exit() == 0
    assert "failed to open display" not in game.errors()


def test_client(tmp_path):
    with socket.create_server(("127.0.0.1", 0)) as host:
        host.settimeout(10)
        game = start(tmp_path, "c", "127.0.0.1", str(host.getsockname()[1]))
        link = host.accept()[0]
        # A client may not change the map, reset or kick: kicking earns it a joke.
        says(game, ["chargemap 0", "reset", "expulse 3"],
             NOT_HOST + PROMPT + NOT_HOST + PROMPT + "tssssss...\n"
             "pour la peine vous allez etre expulse dans 5 sec\n5\n4\n3\n2\n1\nBOOOOOM\n"
             "hinhin c'etait une blague^^\n\n>>>" + PROMPT)
        link.close()
