"""The MQTT publisher against a real mosquitto broker on loopback, seen through mosquitto_sub."""

import os
import signal
import socket
import subprocess
import threading
import time

import pytest

SITE = "ponderix/shop-7"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Broker:
    def __init__(self, folder):
        self.port = free_port()
        self.config = folder / "mosquitto.conf"
        self.config.write_text(f"listener {self.port} 127.0.0.1\nallow_anonymous true\n")
        self.start()

    def start(self):
        self.process = subprocess.Popen(["/usr/sbin/mosquitto", "-c", str(self.config)], stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return
            except OSError:
                assert time.monotonic() < deadline, "mosquitto did not start"
                time.sleep(0.05)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Subscriber:
    """mosquitto_sub -v on everything under the prefix; messages are (topic, payload) in arrival order."""

    def __init__(self, port):
        self.messages = []
        self.arrived = threading.Condition()
        self.process = subprocess.Popen(
            ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(port), "-v", "-t", "ponderix/#"],
            stdout=subprocess.PIPE, text=True, bufsize=1,
        )
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            topic, _, payload = line.rstrip("\n").partition(" ")
            with self.arrived:
                self.messages.append((topic.removeprefix(SITE + "/"), payload))
                self.arrived.notify_all()

    def wait(self, topic, text="", timeout=15):
        """The payload of the first message on the topic that contains the text."""
        with self.arrived:
            found = self.arrived.wait_for(
                lambda: next((p for t, p in self.messages if t == topic and text in p), None), timeout
            )
        assert found is not None, f"no {topic} with {text!r} among {self.messages}"
        return found

    def on(self, topic):
        with self.arrived:
            return [p for t, p in self.messages if t == topic]


class Feed:
    """The publisher in tests/service/mqtt-feed, fed snapshots line by line."""

    def __init__(self, folder, port, extra=""):
        config = folder / "ponderixd.ini"
        config.write_text(f"[mqtt]\nhost = 127.0.0.1\nport = {port}\nsite = shop-7\n{extra}")
        self.process = subprocess.Popen(
            [os.environ["PONDERIX_MQTT_FEED"], str(config)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1,
        )

    def send(self, *lines):
        for line in lines:
            self.process.stdin.write(line + "\n")
            assert self.process.stdout.readline().strip() == "ok", line


@pytest.fixture
def broker(tmp_path):
    started = Broker(tmp_path)
    yield started
    started.stop()


@pytest.fixture
def run(tmp_path, broker):
    started = []

    def make(kind, *args):
        started.append(kind(tmp_path, broker.port, *args) if kind is Feed else kind(broker.port))
        return started[-1]

    yield make
    for each in started:
        each.process.kill()
        each.process.wait()


def test_a_late_subscriber_finds_every_scale_under_its_serial_number(run):
    feed = run(Feed)
    feed.send("state s1 online", "cal s1 4", "error s1 5", "serial s1 SN-1/A", "state s2 lost")
    sub = run(Subscriber)
    assert sub.wait("service") == "online"
    assert '"serial_number":"SN-1/A"' in sub.wait("SN-1_A/identity")
    sub.wait("SN-1_A/state", '"state":"online"')
    sub.wait("SN-1_A/error", '"code":5')
    assert sub.wait("SN-1_A/calibration") == "4"
    # Without a serial number the service's id names the scale.
    sub.wait("s2/state", '"state":"lost"')
    # What s1 had under its id went when its serial number came.
    assert not [t for t, _ in sub.messages if t.startswith("s1/")]


def test_only_changes_are_published_and_readings_only_when_asked(run):
    feed = run(Feed)
    feed.send("state s1 online")
    sub = run(Subscriber)
    sub.wait("s1/state", "online")
    feed.send("state s1 online", "cal s1 2", "weight s1 1500", "state s1 silent")
    sub.wait("s1/state", "silent")
    assert len(sub.on("s1/state")) == 2
    assert sub.on("s1/reading") == []


def test_readings_are_spaced_and_end_on_the_last_weight(run):
    feed = run(Feed, "readings = on\nreadings_per_second = 2\n")
    sub = run(Subscriber)
    sub.wait("service", "online")
    feed.send("weight s1 1000")
    sub.wait("s1/reading", '"net":1.000')
    feed.send(*(f"weight s1 {grams}" for grams in range(1001, 1011)))
    # The burst waits for the next slot half a second later, where its last weight goes alone.
    sub.wait("s1/reading", '"net":1.010')
    assert len(sub.on("s1/reading")) <= 3


@pytest.mark.parametrize("end", ["kill", "stop"])
def test_a_service_that_ends_is_marked_offline(run, end):
    feed = run(Feed)
    sub = run(Subscriber)
    sub.wait("service", "online")
    if end == "kill":
        feed.process.send_signal(signal.SIGKILL)  # the broker's last will
    else:
        feed.send("stop")
    sub.wait("service", "offline")


def test_the_broker_gets_the_state_when_it_comes_and_again_after_a_restart(run, broker):
    broker.stop()
    feed = run(Feed)
    feed.send("serial s1 SN-9", "state s1 online")
    broker.start()
    run(Subscriber).wait("SN-9/state", "online")
    broker.stop()
    feed.send("state s1 silent")
    broker.start()
    sub = run(Subscriber)
    sub.wait("service", "online")
    sub.wait("SN-9/identity")
    sub.wait("SN-9/state", "silent")
