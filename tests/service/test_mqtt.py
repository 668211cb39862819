"""ponderixd's MQTT publisher against a real mosquitto broker on loopback, seen through mosquitto_sub."""

import getpass
import signal
import socket
import subprocess
import threading
import time

import pytest

from conftest import Daemon, free_port, scale_config

SITE = "ponderix/shop-7/"


class Broker:
    def __init__(self, folder, settings="allow_anonymous true\n"):
        self.port = free_port()
        self.config = folder / "mosquitto.conf"
        self.config.write_text(f"listener {self.port} 127.0.0.1\n{settings}")
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

    def section(self, extra=""):
        return f"[mqtt]\nhost = 127.0.0.1\nport = {self.port}\nsite = shop-7\n{extra}"


class Subscriber:
    """mosquitto_sub -v on everything under the prefix; messages are (topic, payload) in arrival order."""

    def __init__(self, port, options=()):
        self.messages = []
        self.arrived = threading.Condition()
        self.process = subprocess.Popen(
            ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(port), "-v", "-t", "ponderix/#", *options],
            stdout=subprocess.PIPE, text=True, bufsize=1,
        )
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            topic, _, payload = line.rstrip("\n").partition(" ")
            with self.arrived:
                self.messages.append((topic.removeprefix(SITE), payload))
                self.arrived.notify_all()

    def wait(self, topic, text="", timeout=15):
        """The topic and payload of the first message whose topic ends so and whose payload holds the text."""
        with self.arrived:
            found = self.arrived.wait_for(
                lambda: next(((t, p) for t, p in self.messages if t.endswith(topic) and text in p), None), timeout
            )
        assert found, f"no {topic} with {text!r} among {self.messages}"
        return found

    def on(self, topic):
        with self.arrived:
            return [p for t, p in self.messages if t.endswith(topic)]


@pytest.fixture
def broker(tmp_path):
    started = Broker(tmp_path)
    yield started
    started.stop()


@pytest.fixture
def subscribe(broker):
    started = []
    yield lambda: started.append(Subscriber(broker.port)) or started[-1]
    for each in started:
        each.process.kill()
        each.process.wait()


def test_a_scale_is_found_under_its_serial_number_and_goes_silent(tmp_path, make_sim, start_daemon, broker, subscribe):
    link = tmp_path / "counter-port"
    plain = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(
        scale_config(link, protocol="POS2KProV1")
        + f"[scale.plain]\nend_point = {plain.endpoint}\nprotocol = POS2K\n"
        + broker.section()
    )
    sub = subscribe()
    assert sub.wait("service") == ("service", "online")
    # Until a scale tells its serial number, the service's id names it.
    sub.wait("counter/state", '"state":"lost"')
    sub.wait("plain/state", '"state":"online"')
    sim = make_sim("--protocol", "pos", "--pro", "--link", str(link))
    topic, identity = sub.wait("/identity", '"serial_number":"')
    scale = topic.removesuffix("/identity")
    assert f'"serial_number":"{scale}"' in identity and '"id":"counter"' in identity
    sub.wait(scale + "/state", '"state":"online"')
    sub.wait(scale + "/calibration")
    # What it had under its id is gone.
    late = subscribe()
    late.wait(scale + "/state")
    assert not [topic for topic, _ in late.messages if topic.startswith("counter/")]
    # A new weight is no news for the retained topics, and no reading unless asked for.
    sim.control("weight 1500")
    daemon.wait_for("/v1/scales/counter/reading", lambda body: body.get("net") == 1.5)
    sim.control("silent 1")
    sub.wait(scale + "/state", '"state":"silent"')
    assert len(sub.on(scale + "/state")) == 2 and len(sub.on(scale + "/identity")) == 1
    assert sub.on("/reading") == []


def test_readings_when_asked_are_spaced_and_end_on_the_last_weight(make_sim, start_daemon, broker, subscribe):
    sim = make_sim("--protocol", "pos", "--plain")
    start_daemon(scale_config(sim.endpoint, poll_ms=20) + broker.section("readings = on\nreadings_per_second = 1\n"))
    sub = subscribe()
    sub.wait("counter/state", "online")
    sim.control("weight 1000")
    sub.wait("counter/reading", '"net":1.000')
    for grams in range(1001, 1011):
        sim.control(f"weight {grams}")
        time.sleep(0.05)
    sub.wait("counter/reading", '"net":1.010')
    # Ten weights in half a second: the first at once, the last in the next slot a second later.
    assert len(sub.on("counter/reading")) <= 4


@pytest.mark.parametrize("end", [signal.SIGKILL, signal.SIGTERM], ids=["kill", "term"])
def test_a_service_that_ends_is_marked_offline(tmp_path, make_sim, broker, subscribe, end):
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = Daemon(tmp_path, scale_config(sim.endpoint) + broker.section()).wait_listening()
    sub = subscribe()
    sub.wait("service", "online")
    # SIGKILL leaves it to the broker's last will; SIGTERM is a clean stop that says it itself.
    daemon.process.send_signal(end)
    daemon.process.wait(timeout=10)
    sub.wait("service", "offline")


def test_the_broker_gets_the_state_when_it_comes_and_again_after_a_restart(make_sim, start_daemon, broker, subscribe):
    broker.stop()
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(scale_config(sim.endpoint) + broker.section())
    broker.start()
    subscribe().wait("counter/state", '"state":"online"')
    broker.stop()
    sim.control("silent 1")
    daemon.wait_for("/v1/scales/counter/reading", lambda body: body["state"] == "silent")
    broker.start()
    sub = subscribe()
    sub.wait("service", "online")
    sub.wait("counter/identity")
    sub.wait("counter/state", '"state":"silent"')



@pytest.fixture
def tls_broker(tmp_path):
    """A broker that takes only TLS with a user and password; a throw-away CA signs its certificate."""
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=tmp_path, check=True, capture_output=True)

    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=test CA",
            "-keyout", "ca.key", "-out", "ca.crt")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "broker.key",
            "-out", "broker.csr")
    (tmp_path / "san.ext").write_text("subjectAltName = IP:127.0.0.1\n")
    openssl("x509", "-req", "-in", "broker.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
            "-days", "2", "-extfile", "san.ext", "-out", "broker.crt")
    subprocess.run(["mosquitto_passwd", "-b", "-c", str(tmp_path / "passwords"), "till", "s3cret"], check=True)
    # Run as root, mosquitto would read the keys as its own user: "user" keeps the one running the test.
    started = Broker(tmp_path, f"user {getpass.getuser()}\nallow_anonymous false\npassword_file {tmp_path}/passwords\n"
                               f"cafile {tmp_path}/ca.crt\ncertfile {tmp_path}/broker.crt\n"
                               f"keyfile {tmp_path}/broker.key\n")
    yield started
    started.stop()


def test_tls_with_a_password(tmp_path, make_sim, start_daemon, tls_broker):
    ca = str(tmp_path / "ca.crt")
    sub = Subscriber(tls_broker.port, ["--cafile", ca, "-u", "till", "-P", "s3cret"])
    try:
        tls = f"tls_ca_file = {ca}\nusername = till\n"
        refused = start_daemon(scale_config(make_sim("--protocol", "pos", "--plain").endpoint)
                               + tls_broker.section(tls + "password = guess\n"))
        start_daemon(scale_config(make_sim("--protocol", "pos", "--plain").endpoint)
                     + tls_broker.section(tls + "password = s3cret\n"))
        sub.wait("counter/state", '"state":"online"')
        # Only the one with the password got through; the other says why and goes on serving.
        deadline = time.monotonic() + 5
        while not any("refused the connection" in line for line in refused.log):
            assert time.monotonic() < deadline, "".join(refused.log)
            time.sleep(0.05)
        assert sub.on("service") == ["online"]
        refused.wait_for("/v1/scales/counter/reading", lambda body: body["current"])
    finally:
        sub.process.kill()
        sub.process.wait()
