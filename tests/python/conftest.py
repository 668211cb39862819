"""Scale simulators for the suite. The runner names the build through PONDERIX_LIBRARY and
PONDERIX_SCALE_SIM (scripts/test-python)."""

import os
import subprocess
import tempfile

import pytest

# The driver fixes its app-data folder on first use, so it is chosen before ponderix loads; the
# folder goes when the session ends.
_appdata = tempfile.TemporaryDirectory(prefix="ponderix-python-")
os.environ["APPDATA"] = _appdata.name


class Sim:
    """A scale-sim process: every control line written to it is answered by one line."""

    def __init__(self, *args, stderr=None):
        program = os.environ.get("PONDERIX_SCALE_SIM")
        if not program:
            pytest.fail("PONDERIX_SCALE_SIM must name the scale-sim program")
        self.process = subprocess.Popen(
            [program, *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=stderr, text=True, bufsize=1
        )
        self.endpoint = self.process.stdout.readline().strip()
        assert self.endpoint, f"scale-sim {' '.join(args)} did not start"

    def send(self, line):
        self.process.stdin.write(line + "\n")
        return self.process.stdout.readline().strip()

    def control(self, *lines):
        for line in lines:
            assert self.send(line) == "ok", line

    def status(self):
        return dict(word.split("=", 1) for word in self.send("status").split())

    def get(self, key):
        return self.send(f"get {key}").removeprefix(f"{key}=")

    def stop(self):
        # The end of its input makes it quit.
        self.process.stdin.close()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


@pytest.fixture
def make_sim():
    """Starts scale-sim with the given arguments, on a pty unless they say --tcp."""
    started = []

    def make(*args, **kwargs):
        started.append(Sim(*args, **kwargs))
        return started[-1]

    yield make
    for sim in started:
        sim.stop()
