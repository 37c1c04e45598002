"""Real processes for the console and end-to-end tests: the game, bots, an X server of a
test's own and bare protocol peers on 127.0.0.1. Texts are latin-1, byte for byte. Every
wait is bounded; every process and folder goes at the end of its test."""
import ctypes, os, re, select, shutil, socket, struct, subprocess, tempfile, threading, time
import pytest

GAME, BOT, SOURCE = os.environ["BV_GAME_EXE"], os.environ.get("BV_BOT_EXE"), os.environ["BV_SOURCE_DIR"]
STARTUP, REPLY = 20, 10  # seconds; generous, the machine is shared with other builds
PROMPT, HELP_HEAD = "\n>>>", "\nLISTE DES COMMANDES:\n\n"
WINDOW_READY = "\n\tPas d'erreur durant l'initialisation de la fenetre\n\n>>>"
NOT_HOST = "Erreur: vous n'etes pas le serveur\n"
DISCOVERY = "BRUME_TEST_DISCOVERY_PORT"  # a test's own UDP port for finding games
# Message types, and frames as they travel: sequence, type, argument, reserved, payload.
ASSIGN_ID, NEW_PLAYER, NAME, SCORE, LOAD_MAP, COLOUR, VERSION = 0, 1, 2, 3, 5, 6, 7
STATE, SHOT, FRAG, KICKED, CHAT, LEFT = 10, 12, 13, 14, 16, 20
FRAME = struct.Struct("<4i48s")
SHIPPED_MAPS = open(os.path.join(SOURCE, "data", "liste des maps.list")).read().count("<")
# One bare room with a spawn point at each end: nothing stands between two players.
DUEL = ("<apparition> (1,1) (6,2)\n<plafon> [0]{2} (0) (0,0) (8,4)  [2]{2} (3) (0,0) (8,4)\n"
        "<mur> [1]{2} (h,0,0,8)(0,5) (h,4,0,8)(0,5) (v,0,0,4)(0,5) (v,8,0,4)(0,5)\n<fin>\n")
_live, _folders, _libc = [], [], ctypes.CDLL(None)


@pytest.fixture(autouse=True)
def reap():
    yield
    while _live:
        _live.pop().kill()
    while _folders:
        shutil.rmtree(_folders.pop(), ignore_errors=True)


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def within(seconds, done, step=0.1):
    """Whether done() holds within `seconds`, asked every `step`."""
    end = time.monotonic() + seconds
    while not done():
        if time.monotonic() > end:
            return False
        time.sleep(step)
    return True


def connect(port):
    """A connection to a listener that may still be coming up; None after REPLY seconds."""
    end = time.monotonic() + REPLY
    while time.monotonic() < end:
        s = socket.socket()
        if s.connect_ex(("127.0.0.1", port)) == 0:
            return s
        s.close()
        time.sleep(0.1)


class Process:
    """A child whose standard output is gathered as it comes; standard error goes to a file.
    `env` adds to the test's environment; a None value takes the variable out."""

    def __init__(self, args, cwd=None, env=None):
        self.stderr, self.out, self.ended = tempfile.TemporaryFile(), b"", False
        # A host answers searches on a UDP port of its own unless the test shares one; an
        # env value of None unsets the variable.
        env = {DISCOVERY: str(free_port(socket.SOCK_DGRAM)), **os.environ, **(env or {})}
        env = {k: v for k, v in env.items() if v is not None}
        self.p = subprocess.Popen(args, cwd=cwd, env=env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=self.stderr,
                                  preexec_fn=lambda: _libc.prctl(1, 9))  # dies with the test
        _live.append(self)
        self.cond = threading.Condition()
        threading.Thread(target=self._gather, daemon=True).start()

    def _gather(self):
        while chunk := self.p.stdout.read1(65536):
            with self.cond:
                self.out += chunk
                self.cond.notify_all()
        with self.cond:
            self.ended = True
            self.cond.notify_all()

    text = property(lambda self: self.out.decode("latin-1"))
    mark = lambda self: len(self.out)
    tail = lambda self: "\n--- output (end) ---\n" + self.text[-1500:]
    running = lambda self: self.p.poll() is None

    def errors(self):
        self.stderr.seek(0)
        return self.stderr.read().decode("latin-1")

    def send(self, *lines):
        try:
            self.p.stdin.write("".join(l + "\n" for l in lines).encode("latin-1"))
            self.p.stdin.flush()
            return True
        except OSError:
            return False

    def wait_match(self, pattern, timeout=REPLY, start=0):
        """The first match of `pattern` in the output from `start` on, within `timeout`."""
        rx = re.compile(pattern.encode("latin-1"))
        with self.cond:
            self.cond.wait_for(lambda: rx.search(self.out, start) or self.ended, timeout)
            return rx.search(self.out, start)

    def wait_for(self, text, timeout=REPLY, start=0):
        return self.wait_match(re.escape(text), timeout, start) is not None

    def command(self, line, expected, timeout=REPLY):
        start = self.mark()
        return self.send(line) and self.wait_for(expected, timeout, start)

    def wait_exit(self, timeout=REPLY):
        """The exit status, or None while it runs; once it has one, the output is whole."""
        try:
            status = self.p.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        with self.cond:
            self.cond.wait_for(lambda: self.ended, REPLY)
        return status

    def kill(self, signal=9):
        if self.running():
            self.p.send_signal(signal)
        if signal == 9:
            self.p.wait(REPLY)


class Display:
    """An Xvfb of the test's own, so that keyboard focus never races with another test."""

    def __init__(self):
        self.server = Process(["Xvfb", "-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                               "-noreset"])
        assert self.server.wait_for("\n", STARTUP), "no X server"
        self.env = {"DISPLAY": ":" + self.server.text.split()[0], "SDL_AUDIODRIVER": "dummy"}

    def run(self, *args):
        r = subprocess.run(args, env=dict(os.environ, **self.env), capture_output=True, timeout=REPLY)
        return r.stdout if r.returncode == 0 else None


def game_folder(pseudo, colour=0, width=160, height=120, fps=30, maps=()):
    """A game folder: the shipped data linked, its own lists and options file. `maps` adds
    (list entry, file, text) triples to the map list, with the training room's textures."""
    folder, data = tempfile.mkdtemp(prefix="bv-test-"), os.path.join(SOURCE, "data")
    _folders.append(folder)
    os.symlink(os.path.join(data, "donnees"), os.path.join(folder, "donnees"))
    shutil.copytree(os.path.join(data, "maps"), os.path.join(folder, "maps"), symlinks=True,
                    copy_function=lambda source, target: os.symlink(source, target))
    lists = {name: open(os.path.join(data, name), "rb").read()
             for name in ("liste des maps.list", "liste des textures.list")}
    for entry, file, text in maps:
        open(os.path.join(folder, "maps", file), "w").write(text)
        lists["liste des maps.list"] += b"<maps\\%s>\n" % entry.encode()
        lists["liste des textures.list"] += b"<maps\\salle.list>\n"
    lists["options"] = struct.pack("<10i32s", width, height, fps, 100, 1, 100, 100, colour, 0, 1,
                                   pseudo.encode()[:31])
    for name, content in lists.items():
        open(os.path.join(folder, name), "wb").write(content)
    return folder


class Game(Process):
    """A game console in a folder of its own, its window on `display`."""

    def __init__(self, display, pseudo, **settings):
        self.display, self.folder = display, game_folder(pseudo, **settings)
        super().__init__([GAME], self.folder, display.env)
        assert self.wait_for(PROMPT, STARTUP), self.tail()

    def host(self, port, map=1):
        start = self.mark()
        self.send("start", "s", str(port), str(map))
        return self.wait_for(WINDOW_READY, STARTUP, start) and "bind a echoue" not in self.text[start:]

    def join(self, port):
        start = self.mark()
        self.send("start", "c", "127.0.0.1", str(port))
        return all(self.wait_for(t, STARTUP, start) for t in ("Connection Reussie\n", WINDOW_READY))

    def windows(self):
        return (self.display.run("xdotool", "search", "--pid", str(self.p.pid)) or b"").split()

    def window(self, timeout=STARTUP):
        """The id of the game window, or None when there is none within `timeout`."""
        return self.windows()[0].decode() if within(timeout, self.windows) else None

    def window_gone(self, timeout=REPLY):
        return within(timeout, lambda: not self.windows())

    def xdo(self, *args):
        return self.display.run("xdotool", *args) is not None

    def focus(self):
        return self.xdo("windowfocus", "--sync", self.window())

    def pixels(self):
        return self.display.run("import", "-window", self.window(), "-depth", "8", "rgb:-")


class Bot(Process):
    """A headless player (tools/bot) run in a game folder, so that it walks into the walls."""

    def __init__(self, folder, port, name, *options):
        super().__init__([BOT, "127.0.0.1", str(port), "--name", name, *options], folder)

    def joined(self, timeout=STARTUP):
        m = self.wait_match(r"joined id=(\d+)\n", timeout)
        return int(m[1]) if m else -1


class Peer:
    """A protocol peer made of a bare socket: it joins a host as a client does, or plays the
    host for a client, and may send anything at all."""

    def __init__(self, sock=None):
        self.sock, self.seq, self.id = sock, 0, -1

    def connect(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), REPLY)

    def close(self):
        self.sock.close()

    def raw(self, data):
        self.sock.sendall(data)

    def send(self, type, arg, payload=b""):
        self.seq += 1
        self.raw(FRAME.pack(self.seq, type, arg, 0, payload.encode() if isinstance(payload, str) else payload))

    def send_doubles(self, type, arg, *values):
        self.send(type, arg, struct.pack("<%dd" % len(values), *values))

    def read(self, timeout):
        """The next frame as (sequence, type, argument, reserved, payload), or None."""
        try:
            self.sock.settimeout(timeout)
            data = self.sock.recv(FRAME.size, socket.MSG_WAITALL)
        except (OSError, ValueError):  # time out, or a deadline already passed
            return None
        return FRAME.unpack(data) if len(data) == FRAME.size else None

    def await_frame(self, type, arg=None, timeout=REPLY):
        end = time.monotonic() + timeout
        while (f := self.read(end - time.monotonic())) is not None:
            if f[1] == type and arg in (None, f[2]):
                return f

    def drain(self):
        while select.select([self.sock], [], [], 0)[0] and self.read(REPLY):
            pass

    def welcome(self, port, timeout=REPLY):
        self.connect(port)
        f = self.await_frame(ASSIGN_ID, None, timeout)
        self.id = int(struct.unpack_from("<d", f[4])[0]) if f else -1
        return self.id

    def announce(self, name, colour=1):
        for type, payload in ((NEW_PLAYER, b""), (NAME, name), (VERSION, "13:48:01"),
                              (SCORE, struct.pack("<d", 0)), (COLOUR, struct.pack("<d", colour))):
            self.send(type, self.id, payload)

    def join(self, port, name, timeout=REPLY):
        if self.welcome(port, timeout) >= 0:
            self.announce(name)
            if self.await_frame(LOAD_MAP, None, timeout):
                return self.id
        return -1


def host_for(client):
    """A bare socket plays the host for a launched game `client`; the accepted Peer."""
    with socket.create_server(("127.0.0.1", 0)) as listener:
        listener.settimeout(REPLY)
        assert client.join(listener.getsockname()[1]), client.tail()
        return Peer(listener.accept()[0])
