"""A host under players coming and going, played by bare protocol peers."""
import time
import pytest
from harness import HELP_HEAD, LEFT, NEW_PLAYER, Display, Game, Peer, free_port, reap  # noqa: F401

SLOTS, CYCLES = 7, 100


@pytest.fixture
def host():
    """Returns (host, port); 100 frames a second, so each leave is seen soon."""
    port = free_port()
    game = Game(Display(), "hote", fps=100)
    assert game.host(port, 1), game.tail()
    return game, port


def test_join_leave_cycles(host):
    host, port = host
    seats = [Peer() for _ in range(SLOTS)]
    for i, seat in enumerate(seats):
        assert seat.join(port, "joueur%d" % i) == i, host.tail()
    for cycle in range(CYCLES):
        k = cycle * 3 % SLOTS  # every slot is left and taken again many times
        seats[k].close()
        witness = seats[(k + 1) % SLOTS]
        assert witness.await_frame(LEFT, k), "cycle %d: nobody was told %d left%s" % (cycle, k, host.tail())
        if cycle % 5 == 4:  # one that gives up halfway through its announcement frees it too
            quitter = Peer()
            assert quitter.welcome(port) == k, host.tail()
            quitter.send(NEW_PLAYER, k)
            quitter.close()
            assert witness.await_frame(LEFT, k), host.tail()
        seats[k] = Peer()
        assert seats[k].welcome(port) == k, "cycle %d%s" % (cycle, host.tail())
        seats[k].announce("retour%d" % cycle)
        for seat in seats:
            seat.drain()
    for seat in seats:
        seat.close()
    last = [Peer() for _ in range(SLOTS)]
    assert sorted(p.join(port, "dernier%d" % i) for i, p in enumerate(last)) == list(range(SLOTS))
    # Every join was handled, those that gave up halfway too (the host reads in order).
    assert host.text.count("\nNouveau joueur id: ") == SLOTS + CYCLES + CYCLES // 5 + SLOTS
    assert "File des messages pleine" not in host.text
    assert host.command("aide", HELP_HEAD) and host.running()


def test_seven_silent_connections_do_not_lock_a_newcomer_out(host):
    host, port = host
    squatters = [Peer() for _ in range(SLOTS)]
    for squatter in squatters:
        assert squatter.welcome(port) >= 0, host.tail()
    start = time.monotonic()
    assert Peer().join(port, "patient", 20) >= 0, host.tail()
    assert time.monotonic() - start <= 20
