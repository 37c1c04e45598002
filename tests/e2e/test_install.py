"""The installed game, run from another folder by a user with a fresh home: the shipped data
comes from the prefix, the maps the user adds follow the shipped ones, the settings land in
the user's XDG folder and nothing is written where the game was started."""
import os, subprocess
from harness import PROMPT, SOURCE, STARTUP, WINDOW_READY, Display, Process, free_port, reap  # noqa: F401

SHIPPED = ("maps\\arene.map", "maps\\salle.map", "maps\\labyrinthe.map", "maps\\stress.map")
INSTALLED = ("bin/brumevoltigeante", "bin/brumevoltigeante-bot", "share/brumevoltigeante/liste des maps.list",
             "share/brumevoltigeante/donnees/police/police.tga", "share/applications/brumevoltigeante.desktop",
             "share/icons/hicolor/64x64/apps/brumevoltigeante.png", "share/man/man6/brumevoltigeante.6.gz",
             "share/man/man6/brumevoltigeante-serveur.6.gz", "share/doc/brumevoltigeante/copyright")


def test_installed_game_runs_anywhere(tmp_path):
    prefix, home, elsewhere = tmp_path / "prefix", tmp_path / "home", tmp_path / "elsewhere"
    elsewhere.mkdir()
    build = os.path.dirname(os.environ["BV_GAME_EXE"])
    subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True, capture_output=True,
                   timeout=STARTUP)
    missing = [f for f in INSTALLED if not (prefix / f).is_file()]
    assert not missing and not (prefix / "share/brumevoltigeante/options").exists(), missing
    # A user's own map, listed in a map list of the user's own, named as the shipped ones are.
    added = home / ".local/share/brumevoltigeante"
    (added / "mes maps").mkdir(parents=True)
    with open(os.path.join(SOURCE, "data/maps/salle.map"), "rb") as room:
        (added / "mes maps/piece.map").write_bytes(room.read())
    (added / "liste des maps.list").write_bytes(b"<mes maps\\piece.map> ma piece\n")

    display = Display()
    env = dict(display.env, HOME=str(home), XDG_CONFIG_HOME=None, XDG_DATA_HOME=None)
    game = Process([prefix / "bin/brumevoltigeante"], elsewhere, env)
    assert game.wait_for(PROMPT, STARTUP), game.tail()
    listing = "\n".join(SHIPPED + ("mes maps\\piece.map",)) + "\n" + PROMPT
    assert game.command("listemap", listing), game.tail()
    assert game.command("option 1", "Creation d'un nouveau fichier option\n" + PROMPT), game.tail()
    assert (home / ".config/brumevoltigeante/options").stat().st_size == 72
    # The added map loads with the shipped textures, font and sounds.
    start = game.mark()
    game.send("start", "s", str(free_port()), "4")
    assert game.wait_for(WINDOW_READY, STARTUP, start), game.tail()
    assert "On charge la map mes maps\\piece.map" in game.text, game.tail()
    assert "Erreur" not in game.text, game.tail()
    game.send("quitter")
    assert game.wait_exit() == 0, game.tail()
    assert os.listdir(elsewhere) == []
