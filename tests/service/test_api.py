"""The HTTP API end to end: what a till reads, what reaches the scale, what is refused."""

import json
import time

import pytest

from conftest import scale_config


def test_list_read_and_commands_reach_the_scale(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--pro")
    sim.control("weight 1234", "stable 1")
    daemon = start_daemon(scale_config(sim.endpoint, protocol="POS2KProV1"))
    reading, _ = daemon.wait_for("/v1/scales/counter/reading", lambda body: body["current"])
    assert reading["net"] == 1.234 and reading["unit"] == "kg" and reading["stable"] and not reading["overload"]
    assert reading["taken_at"].endswith("Z")

    status, _, listed = daemon.get("/v1/scales")
    assert status == 200 and [scale["identity"]["id"] for scale in listed["scales"]] == ["counter"]
    _, _, scale = daemon.get("/v1/scales/counter")
    assert scale["identity"]["protocol"] == "POS2KProV1" and scale["identity"]["serial_number"]
    assert scale["state"] == {"state": "online", "last_error": None} and scale["reading"]["current"]

    assert daemon.request("POST", "/v1/scales/counter/tare")[2] == {"command": "tare", "result": "ok"}
    assert sim.status()["tare"] == "1234"
    daemon.request("POST", "/v1/scales/counter/tare", body='{"tare_kg": "0.125"}')
    assert sim.status()["tare"] == "125"
    assert daemon.request("POST", "/v1/scales/counter/zero")[0] == 200
    daemon.wait_for("/v1/scales/counter/reading", lambda body: body["zero"] and body["net"] == 0)


def test_bad_requests_are_refused_and_change_nothing(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    sim.control("weight 500", "tare 40")
    daemon = start_daemon(scale_config(sim.endpoint, extra_service="max_body_bytes = 256"))
    daemon.wait_for("/v1/scales/counter/reading", lambda body: body["current"])
    tare = "/v1/scales/counter/tare"
    for body in ('{"tare_kg": ', '{"tare_kg": "-1"}', '{"tare_kg": "0.0005"}', '{"tare": "1"}', "[1]"):
        status, _, answer = daemon.request("POST", tare, body=body)
        assert status == 400 and answer["code"] == 400, body
    status, _, answer = daemon.request("POST", tare, body=json.dumps({"tare_kg": "1" * 300}))
    assert (status, answer["code"]) == (413, 413)
    assert daemon.get("/v1/scales/other/reading")[0] == 404
    assert daemon.get("/v1/nothing")[0] == 404
    status, headers, _ = daemon.get(tare)
    assert status == 405 and headers["Allow"] == "POST, OPTIONS"
    assert daemon.request("DELETE", "/v1/scales")[0] == 405
    assert sim.status()["tare"] == "40"


def test_commands_disabled_and_a_scale_not_online(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(
        scale_config(sim.endpoint, extra_scale="commands = off")
        + "[scale.gone]\nend_point = /dev/ponderix-no-such-port\nprotocol = POS2K\n"
        + "[mqtt]\nbroker = somewhere\n"  # another part's section is left alone
    )
    daemon.wait_for("/v1/scales/counter/reading", lambda body: body["current"])
    status, _, answer = daemon.request("POST", "/v1/scales/counter/zero")
    assert status == 403 and answer["error"]
    daemon.wait_for("/v1/scales/gone/reading", lambda body: body["state"] == "lost")
    status, _, answer = daemon.request("POST", "/v1/scales/gone/zero")
    assert status == 503 and answer["name"] in ("UnableToOpenSerialPort", "ConnectionError")
    assert answer["description"] and answer["description_ru"]


def test_cors_answers_configured_origins_only(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(scale_config(sim.endpoint, extra_service="cors_origins = http://till.local, http://b"))
    preflight = {"Origin": "http://till.local", "Access-Control-Request-Method": "POST"}
    status, headers, _ = daemon.request("OPTIONS", "/v1/scales/counter/tare", headers=preflight)
    assert status == 204 and headers["Access-Control-Allow-Origin"] == "http://till.local"
    assert "POST" in headers["Access-Control-Allow-Methods"]
    status, headers, _ = daemon.get("/v1/scales", headers={"Origin": "http://till.local"})
    assert status == 200 and headers["Access-Control-Allow-Origin"] == "http://till.local"
    status, headers, _ = daemon.get("/v1/scales", headers={"Origin": "http://evil.example"})
    assert status == 403 and "Access-Control-Allow-Origin" not in headers
    assert "Access-Control-Allow-Origin" not in daemon.get("/v1/scales")[1]


def test_requests_over_the_rate_are_refused(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(scale_config(sim.endpoint, extra_service="requests_per_second = 3"))
    statuses = [daemon.get("/v1/scales")[0] for _ in range(8)]
    assert statuses[:3] == [200] * 3 and 429 in statuses


@pytest.mark.parametrize(
    "config, key",
    [
        ("[service]\nport = 99999\n", "service.port"),
        ("[service]\nlisten = 0.0.0.0\n", "service.token"),
        ("[service]\npoll = 5\n", "service.poll"),
        ("[scale.a]\nprotocol = POS2K\n", "scale.a.end_point"),
        ("[scale.a]\nend_point = x\ncommands = maybe\n", "scale.a.commands"),
    ],
)
def test_a_bad_configuration_stops_with_status_2_naming_the_key(start_daemon, config, key):
    status, log = start_daemon(config, listening=False).exit()
    assert status == 2 and key in log


def test_a_token_in_a_file_others_may_read_is_refused(start_daemon):
    status, log = start_daemon("[service]\nport = @PORT@\ntoken = secret\n", listening=False, mode=0o644).exit()
    assert status == 2 and "chmod 600" in log
