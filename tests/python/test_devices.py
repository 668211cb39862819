"""Logic devices: stored, edited, shared between programs, opened."""

import json
import os
import subprocess
import sys
from decimal import Decimal

import pytest

import ponderix


def run(code, appdata):
    """Runs Python code in a program of its own on the given app-data folder."""
    env = dict(os.environ, APPDATA=str(appdata))
    done = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, timeout=30)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_a_device_stored_by_one_program_is_seen_by_another(tmp_path):
    run(
        "import ponderix; d = ponderix.add_logic_device('10.0.0.5:5001', name='back room', "
        "protocol='POS2K'); d.baud_rate = 4800; d.use()",
        tmp_path,
    )
    listed = run(
        "import json, ponderix; print(json.dumps([dict(id=d.id, name=d.name, type=d.connection_type, "
        "end_point=d.end_point, baud=d.baud_rate, model=d.model, protocol=d.protocol, "
        "current=d.is_current) for d in ponderix.logic_devices()]))",
        tmp_path,
    )
    stored = json.loads(listed)[-1]
    del stored["id"]
    assert stored == dict(name="back room", type="TCP", end_point="10.0.0.5:5001", baud=4800, model="auto",
                          protocol="POS2K", current=True)  # fmt: skip


def test_the_current_device_opens_and_a_deleted_one_is_gone(make_sim):
    sim = make_sim("--protocol", "pos", "--plain")
    sim.control("weight 500")
    device = ponderix.add_logic_device(sim.endpoint, name="counter")
    assert device in ponderix.logic_devices() and device.connection_type == "Serial Port"
    device.use()
    assert ponderix.logic_device() == device and device.is_current
    with ponderix.Scale.from_logic_device() as scale:
        assert scale.read().weight == Decimal("0.5")
    # Opening stores the protocol it found.
    assert device.protocol == "POS2K"
    device.delete()
    assert device not in ponderix.logic_devices()
    for missing in (lambda: ponderix.logic_device(device.id), lambda: ponderix.Scale.from_logic_device(device.id)):
        with pytest.raises(ponderix.LogicDeviceError):
            missing()
