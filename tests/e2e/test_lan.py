"""Finding games on the LAN: two hosts on one machine answer a third console's search, which
joins one of them from the listing; the listing follows the host's players."""
import re, socket, time
from harness import DISCOVERY, PROMPT, REPLY, STARTUP, WINDOW_READY, Display, Game, free_port, reap, within  # noqa: F401

STARTED = "\n\t0 erreurs lors de l'initialisation\n"
GAME_LINE = re.compile(r"^\d+: (.* joueurs)$", re.M)


def search(console, games=2):
    """The listing's lines without their numbers, once `games` lines came, and the seconds
    that took. A joined console's game thread may print between them, whole lines."""
    start, begun = console.mark(), time.monotonic()
    console.send("cherche")
    assert within(REPLY, lambda: len(GAME_LINE.findall(console.text, start)) >= games, 0.02), console.tail()
    return GAME_LINE.findall(console.text, start), time.monotonic() - begun


def test_search_lists_both_hosts_and_joins_one(monkeypatch):
    monkeypatch.setenv(DISCOVERY, str(free_port(socket.SOCK_DGRAM)))
    display = Display()
    hosts, ports = [Game(display, "hote%d" % i) for i in range(2)], []
    for host in hosts:  # each listens before the next port is drawn: two different ports
        ports.append(free_port())
        # Its window ready and its start over: it answers searches from then on.
        assert host.host(ports[-1], 1) and host.wait_for(STARTED), host.tail()
    seeker = Game(display, "chercheur")
    assert seeker.command("rejoindre 1", "Erreur: aucune partie listee, tapez d'abord cherche\n" + PROMPT)

    shown = ["127.0.0.1:%d, hote hote%d, map maps\\salle.map, %%d/8 joueurs" % (p, i) for i, p in enumerate(ports)]
    lines, seconds = search(seeker)
    assert sorted(lines) == sorted(s % 1 for s in shown) and seconds < 1.5, (lines, seconds)
    listing = "".join("%d: %s\n" % (n, line) for n, line in enumerate(lines, 1))
    assert seeker.wait_for(listing + PROMPT), seeker.tail()  # each host once, then the prompt
    assert seeker.command("rejoindre 3", "Erreur: Le numero de la partie doit etre compris entre 1 et 2\n" + PROMPT)

    chosen = [s % 1 for s in shown].index(lines[0])
    start = seeker.mark()
    seeker.send("rejoindre 1")
    assert seeker.wait_for(WINDOW_READY, STARTUP, start), seeker.tail()
    assert ("Initialisation de la connection\nTentative de connection sur 127.0.0.1:%d\nConnection Reussie\n"
            "Initialisation de la fenetre\n" % ports[chosen]) in seeker.text[start:], seeker.tail()
    assert seeker.window() and hosts[chosen].wait_for("\nNouveau joueur id: 0\n"), hosts[chosen].tail()
    # The host's listing counts the newcomer once it was told the map; a second join from
    # this console is refused.
    assert seeker.wait_for("On charge la map maps\\salle.map", STARTUP, start), seeker.tail()
    lines, _ = search(seeker)
    assert sorted(lines) == sorted(s % (2 if i == chosen else 1) for i, s in enumerate(shown)), lines
    assert seeker.command("rejoindre 1", "Erreur: l'initialisation a deja ete faite\n")
