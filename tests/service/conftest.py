"""ponderixd against simulated scales. The runner names the programs through PONDERIX_SCALE_SIM
and PONDERIXD (scripts/test-service)."""

import http.client
import importlib.util
import json
import os
import socket
import subprocess
import threading
import time
from pathlib import Path

import pytest

# The simulator fixture of the Python package's tests; it also gives every process here a private
# app-data folder.
_spec = importlib.util.spec_from_file_location("sim_fixture", Path(__file__).parents[1] / "python" / "conftest.py")
sim_fixture = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(sim_fixture)
Sim = sim_fixture.Sim
make_sim = sim_fixture.make_sim


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Daemon:
    """A ponderixd process on a free loopback port, its log lines collected."""

    def __init__(self, folder, config, mode=0o600):
        self.port = free_port()
        self.config = Path(folder) / "ponderixd.conf"
        self.config.write_text(config.replace("@PORT@", str(self.port)))
        self.config.chmod(mode)
        self.log = []
        self.process = subprocess.Popen(
            [os.environ["PONDERIXD"], "--config", str(self.config)], stderr=subprocess.PIPE, text=True
        )
        self.reader = threading.Thread(target=lambda: self.log.extend(self.process.stderr), daemon=True)
        self.reader.start()

    def wait_listening(self):
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            assert self.process.poll() is None, "".join(self.log)
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        pytest.fail("ponderixd did not listen")

    def request(self, method, path, body=None, headers=None):
        """(status, headers, parsed JSON or None)"""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            data = response.read()
            return response.status, response.headers, json.loads(data) if data else None
        finally:
            connection.close()

    def get(self, path, **kwargs):
        return self.request("GET", path, **kwargs)

    def wait_for(self, path, accept, timeout=3.0):
        """The first answer of path that accept() takes, and the seconds it took."""
        start = time.monotonic()
        while True:
            status, _, body = self.get(path)
            if accept(body):
                return body, time.monotonic() - start
            assert time.monotonic() - start < timeout, (body, "".join(self.log))
            time.sleep(0.02)

    def exit(self):
        """(exit status, everything it logged) once it ends by itself."""
        status = self.process.wait(timeout=5)
        self.reader.join(timeout=5)
        return status, "".join(self.log)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)
        return self.process.returncode


@pytest.fixture
def start_daemon(tmp_path):
    """start_daemon(config) -> a listening Daemon; "@PORT@" in the config becomes its port."""
    started = []

    def start(config, listening=True, **kwargs):
        started.append(Daemon(tmp_path, config, **kwargs))
        return started[-1].wait_listening() if listening else started[-1]

    yield start
    for daemon in started:
        assert daemon.stop() in (0, 2), "".join(daemon.log)


def scale_config(endpoint, protocol="POS2K", poll_ms=100, extra_service="", extra_scale=""):
    return (
        f"[service]\nport = @PORT@\npoll_ms = {poll_ms}\n{extra_service}\n"
        f"[scale.counter]\nend_point = {endpoint}\nprotocol = {protocol}\nname = Counter\n{extra_scale}\n"
    )
