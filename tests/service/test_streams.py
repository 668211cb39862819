"""WebSocket streams, many clients on one line, the token, and a scale that goes silent or away."""

import asyncio
import json
import threading
import time

import pytest
import websockets

from conftest import scale_config

READING = "/v1/scales/counter/reading"


async def next_reading(stream, accept, timeout=3.0):
    """The first reading the stream pushes that accept() takes."""

    async def find():
        while True:
            reading = json.loads(await stream.recv())
            if accept(reading):
                return reading

    return await asyncio.wait_for(find(), timeout)


def test_ten_streams_and_polling_cost_one_exchange_per_poll(make_sim, start_daemon, tmp_path):
    log = open(tmp_path / "sim.log", "w+")
    sim = make_sim("--protocol", "pos", "--plain", "--log", stderr=log)
    sim.control("weight 100")
    daemon = start_daemon(scale_config(sim.endpoint, poll_ms=100))
    daemon.wait_for(READING, lambda body: body["current"])
    url = f"ws://127.0.0.1:{daemon.port}/v1/scales/counter/stream"

    async def watch():
        streams = [await websockets.connect(url) for _ in range(10)]
        first = [json.loads(await stream.recv()) for stream in streams]
        start, requests_before = time.monotonic(), status_requests(log)
        sim.control("weight 2000")
        for _ in range(10):
            assert daemon.get(READING)[0] == 200
        changed = [await next_reading(stream, lambda r: r["net"] == 2.0) for stream in streams]
        await asyncio.sleep(max(0.0, 1.0 - (time.monotonic() - start)))
        polls = status_requests(log) - requests_before
        elapsed = time.monotonic() - start
        for stream in streams:
            await stream.close()
        return first, changed, polls, elapsed

    first, changed, polls, elapsed = asyncio.run(watch())
    assert all(reading["net"] == 0.1 for reading in first)
    assert all(reading == changed[0] for reading in changed)
    # One status request per 100 ms poll, however many clients watch.
    assert elapsed / 0.1 / 2 <= polls <= elapsed / 0.1 + 2, f"{polls} status requests in {elapsed:.2f} s"


def status_requests(log):
    """The POS status requests the simulator logged so far."""
    log.flush()
    log.seek(0)
    return sum(1 for line in log if "rx: 02 05 3a" in line)


def test_a_token_guards_every_request_and_the_stream(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    daemon = start_daemon(scale_config(sim.endpoint, extra_service="token = s3cret"))
    for headers in ({}, {"Authorization": "Bearer wrong"}, {"Authorization": "Bearer s3cret-"}):
        status, answer_headers, answer = daemon.get("/v1/scales", headers=headers)
        assert (status, answer["code"], answer_headers["WWW-Authenticate"]) == (401, 401, "Bearer"), headers
    assert daemon.get("/v1/scales", headers={"Authorization": "Bearer s3cret"})[0] == 200
    url = f"ws://127.0.0.1:{daemon.port}/v1/scales/counter/stream"

    async def upgrade(url, headers):
        try:
            async with websockets.connect(url, extra_headers=headers) as stream:
                return json.loads(await stream.recv())["state"]
        except websockets.exceptions.InvalidStatusCode as refused:
            return refused.status_code

    assert asyncio.run(upgrade(url, {})) == 401
    assert asyncio.run(upgrade(url, {"Authorization": "Bearer wrong"})) == 401
    assert isinstance(asyncio.run(upgrade(url, {"Authorization": "Bearer s3cret"})), str)
    assert isinstance(asyncio.run(upgrade(url + "?access_token=s3cret", {})), str)


def test_a_silent_scale_loses_its_weight_at_once_and_runs_no_command_late(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain")
    sim.control("weight 700")
    daemon = start_daemon(scale_config(sim.endpoint))
    daemon.wait_for(READING, lambda body: body["current"])
    sim.control("silent 1")
    # Tares queued on the silent line wait out its timeout one after another: the weight must still
    # go at once, and the last ones are still queued when their clients are told 504 after 5 s.
    statuses = []
    tares = [threading.Thread(target=lambda: statuses.append(daemon.request("POST", "/v1/scales/counter/tare")[0]))
             for _ in range(14)]
    for tare in tares:
        tare.start()
    reading, seconds = daemon.wait_for(READING, lambda body: body["state"] == "silent")
    assert seconds < 1.0 and reading == {"current": False, "state": "silent"}
    _, _, scale = daemon.get("/v1/scales/counter")
    assert scale["state"]["last_error"]["name"] in ("BoostTimeOut", "ConnectionError")
    for tare in tares:
        tare.join()
    assert 504 in statuses and 200 not in statuses, statuses
    sim.control("silent 0")
    daemon.wait_for(READING, lambda body: body["current"] and body["net"] == 0.7)
    time.sleep(2.5)  # what was left in the queue would have run by now
    _, _, reading = daemon.get(READING)
    assert (reading["net"], reading["tare"]) == (0.7, 0.0)


def test_a_dropped_line_is_lost_then_reopened(make_sim, start_daemon):
    sim = make_sim("--protocol", "pos", "--plain", "--tcp", "127.0.0.1:0")
    sim.control("weight 300")
    daemon = start_daemon(scale_config(sim.endpoint))
    daemon.wait_for(READING, lambda body: body["current"])
    url = f"ws://127.0.0.1:{daemon.port}/v1/scales/counter/stream"

    async def watch():
        async with websockets.connect(url) as stream:
            await next_reading(stream, lambda r: r["current"])
            sim.control("drop")
            lost = await next_reading(stream, lambda r: r["state"] == "lost")
            back = await next_reading(stream, lambda r: r["current"], timeout=4.0)
            return lost, back

    lost, back = asyncio.run(watch())
    assert lost == {"current": False, "state": "lost"} and back["net"] == 0.3
