"""Settings and calibration through the scale's service protocol."""

import pytest

import ponderix


@pytest.fixture
def pro(make_sim):
    sim = make_sim("--protocol", "pos", "--pro")
    sim.control("stable 1")
    with ponderix.Scale(sim.endpoint, "POS2KProV1") as scale:
        yield sim, scale


def test_settings_are_read_and_written_by_name(pro):
    sim, scale = pro
    settings = scale.settings
    assert "MaxWeight" in list(settings) and len(settings) == len(list(settings))
    assert settings["MaxWeight"] == sim.get("max")
    settings["MaxWeight"] = "030"
    settings["Discret"] = 2
    assert (sim.get("max"), sim.get("div")) == ("030", "2")
    # The scale refuses a division outside its table.
    with pytest.raises(ponderix.DeviceError):
        settings["Discret"] = "9"
    assert sim.get("div") == "2"
    assert "NoSuchSetting" not in settings and settings.get("NoSuchSetting") is None
    with pytest.raises(KeyError):
        settings["NoSuchSetting"]


def test_calibration_reaches_the_scale_and_is_counted(pro):
    sim, scale = pro
    scale.calibrate_zero()
    scale.calibrate_weight(5000)
    assert (sim.get("cal"), sim.get("cnt"), scale.calibration_count) == ("0005", "1", 1)
    sim.control("stable 0")
    with pytest.raises(ponderix.NotStable):
        scale.calibrate_weight(7000)
    assert sim.get("cal") == "0005"

