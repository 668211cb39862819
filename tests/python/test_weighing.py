"""Readings, tare and zero on every retail protocol, over a pty and over TCP."""

import decimal
import itertools
import time
from decimal import Decimal

import pytest

import ponderix
from ponderix.scale import kilograms

# Simulator arguments, the protocol the driver reports, whether "auto" finds it, and which of
# tare / specify_tare / zero the protocol offers.
PROTOCOLS = {
    "pos": (["--protocol", "pos", "--plain"], "POS2K", True, {"tare", "zero"}),
    "pos-pro": (["--protocol", "pos", "--pro"], "POS2KProV1", True, {"tare", "specify_tare", "zero"}),
    "cas": (["--protocol", "cas", "--plain"], "CAS-K", True, {"tare", "zero"}),
    "cas-active": (["--protocol", "cas-active", "--plain", "--interval", "30"], "CAS-K-Active", False, set()),
    "oka": (["--protocol", "oka", "--plain"], "OKA", False, {"specify_tare", "zero"}),
}

# Each action from a gross weight of 1234 g with no tare, and the net and tare it leaves.
ACTIONS = [("tare", (), 0, 1234), ("specify_tare", ("0.2",), 1034, 200), ("zero", (), 0, 0)]


def read_until(scale, weight):
    """A streaming scale shows a change only in the frames sent after it."""
    for _ in range(20):
        reading = scale.read()
        if reading.weight == weight:
            break
    return reading


@pytest.mark.parametrize("line", ["pty", "tcp"])
@pytest.mark.parametrize("name", PROTOCOLS)
def test_readings_and_actions_reach_the_scale(make_sim, name, line):
    args, protocol, detected, offered = PROTOCOLS[name]
    sim = make_sim(*args, *(["--tcp", "127.0.0.1:0"] if line == "tcp" else []))
    sim.control("weight 1234", "stable 1")
    with ponderix.Scale(sim.endpoint, "auto" if detected else protocol) as scale:
        assert scale.is_open and scale.protocol == protocol
        reading = read_until(scale, Decimal("1.234"))
        assert (reading.weight, reading.stable, reading.overload) == (Decimal("1.234"), True, False)
        for action, arguments, net, tare in ACTIONS:
            sim.control("weight 1234", "tare 0")
            read_until(scale, Decimal("1.234"))
            if action not in offered:
                with pytest.raises(ponderix.Unsupported):
                    getattr(scale, action)(*arguments)
                continue
            getattr(scale, action)(*arguments)
            # A CAS scale does not answer: the reading after it shows the action was taken.
            assert read_until(scale, Decimal(net) / 1000).weight == Decimal(net) / 1000, action
            status = sim.status()
            assert (status["weight"], status["tare"]) == (str(net), str(tare)), action
    assert not scale.is_open


@pytest.mark.parametrize(
    "unit, weight, expected",
    [("kg", "-12500", Decimal("-12.5")), ("g", "1234", Decimal("1.234")), ("lb", "1000", Decimal("0.997903214"))],
)
def test_the_scale_unit_comes_out_as_exact_kilograms(make_sim, unit, weight, expected):
    sim = make_sim("--protocol", "cas", "--plain")
    sim.control(f"unit {unit}", f"weight {weight}")
    with ponderix.Scale(sim.endpoint, "CAS-K") as scale:
        reading = scale.read()
    # The lb frame has two decimals: 1000 g shows as 2.20 lb.
    assert (reading.unit, reading.weight, reading.tare) == (unit, expected, None)


def test_kilograms_are_exact_whatever_the_callers_context():
    with decimal.localcontext(decimal.Context(prec=4)):
        assert kilograms(2**63 - 1, 2, 2) == Decimal(f"{(2**63 - 1) * 45359237}E-10")


def test_an_overloaded_scale_shows_no_weight(make_sim):
    sim = make_sim("--protocol", "oka", "--plain")
    sim.control("weight 1234", "overload 1")
    with ponderix.Scale(sim.endpoint, "OKA") as scale:
        reading = scale.read()
    assert reading.overload and reading.weight is None


def test_readings_follow_the_scale_at_the_interval(make_sim):
    sim = make_sim("--protocol", "pos", "--plain")
    with ponderix.Scale(sim.endpoint, "POS2K") as scale:
        start = time.monotonic()
        weights = []
        for reading in itertools.islice(scale.readings(0.1), 3):
            weights.append(reading.weight)
            sim.control(f"weight {len(weights)}")
        assert time.monotonic() - start >= 0.2
    assert weights == [Decimal(0), Decimal("0.001"), Decimal("0.002")]
