"""Console dialogues of the real game, byte for byte. golden/SETUP.CASE.in is typed into a
fresh game folder that holds the files of golden/SETUP/ (if any); all it prints must equal
golden/SETUP.CASE.out, it must end with status 0, and golden/SETUP.CASE.options, where
present, is the options file it leaves. @PORT@ stands for a port nobody listens on."""
import glob, os, shutil, socket, subprocess
import pytest
from harness import GAME, free_port, reap  # noqa: F401

HERE = os.path.join(os.path.dirname(__file__), "golden")


@pytest.mark.parametrize("case", sorted(os.path.basename(f)[:-3] for f in glob.glob(HERE + "/*.in")))
def test_transcripts(case, tmp_path):
    setup = os.path.join(HERE, case.split(".")[0])
    if os.path.isdir(setup):
        shutil.copytree(setup, tmp_path, dirs_exist_ok=True)
    port = b"%d" % free_port()

    def golden(suffix):
        with open(os.path.join(HERE, case + suffix), "rb") as f:
            return f.read().replace(b"@PORT@", port)
    typed = golden(".in")
    if b"65535" in typed and socket.socket().connect_ex(("127.0.0.1", 65535)) == 0:
        pytest.skip("something listens on port 65535")
    run = subprocess.run([GAME], input=typed, cwd=tmp_path, capture_output=True, timeout=60)
    assert run.stdout.decode("latin-1") == golden(".out").decode("latin-1")
    assert run.returncode == 0, run.stderr
    if os.path.exists(os.path.join(HERE, case + ".options")):
        assert (tmp_path / "options").read_bytes() == golden(".options")
