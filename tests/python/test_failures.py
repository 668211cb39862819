"""Failures raise the exception of their code; a lost line and a closed scale are reported."""

import os
import re
import shutil
import subprocess
import sys
import threading
import time
from decimal import Decimal
from pathlib import Path

import pytest

import ponderix


def test_a_missing_port_is_a_line_error_described_in_both_languages():
    with pytest.raises(ponderix.LineError) as raised:
        ponderix.Scale("/dev/ponderix-no-such-port", "POS2K")
    error = raised.value
    assert error.code in (4, 5) and error.name in str(error)
    assert error.description and re.search("[а-яА-Я]", error.description_ru)


@pytest.mark.parametrize("line", ["pty", "tcp"])
def test_a_dropped_line_raises_and_the_scale_opens_again(make_sim, line):
    sim = make_sim("--protocol", "pos", "--plain", *(["--tcp", "127.0.0.1:0"] if line == "tcp" else []))
    sim.control("weight 250")
    with ponderix.Scale(sim.endpoint, "POS2K") as scale:
        sim.control("drop")
        with pytest.raises((ponderix.Timeout, ponderix.LineError)):
            scale.read()
    with ponderix.Scale(sim.status()["endpoint"], "POS2K") as scale:
        assert scale.read().weight == Decimal("0.25")


def test_a_wrong_model_wrong_arguments_and_a_closed_scale(make_sim):
    sim = make_sim("--protocol", "pos", "--pro")
    scale = ponderix.Scale(sim.endpoint, "POS2KProV1", model="A15")
    with pytest.raises(ponderix.WrongModel):
        scale.read()
    for tare in ("0.0005", -1, "heavy", Decimal("NaN"), 2**32):
        with pytest.raises(ponderix.InvalidArgument):
            scale.specify_tare(tare)
    scale.close()
    scale.close()
    assert not scale.is_open
    with pytest.raises(ponderix.HandleError):
        scale.read()


def test_two_threads_on_one_scale_never_mix_their_frames(make_sim):
    sim = make_sim("--protocol", "pos", "--pro")
    sim.control("weight 1234", "stable 1")
    failures, readings, end = [], [], time.monotonic() + 1.5

    def work(*steps):
        try:
            while time.monotonic() < end:
                readings.append([step() for step in steps][-1])
        except Exception as error:  # a failure in a thread fails the test
            failures.append(error)

    with ponderix.Scale(sim.endpoint, "POS2KProV1") as scale:
        threads = [
            threading.Thread(target=work, args=(scale.read,)),
            threading.Thread(target=work, args=(scale.tare, lambda: scale.specify_tare("0.1"), scale.read)),
        ]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    assert not failures
    # Taring moves weight into the tare; the gross weight stays.
    assert len(readings) > 20 and {r.weight + r.tare for r in readings} == {Decimal("1.234")}


def test_the_versions_agree_with_the_project(monkeypatch):
    cmake = (Path(__file__).parents[2] / "CMakeLists.txt").read_text()
    project = re.search(r"project\(ponderix VERSION ([0-9.]+)", cmake).group(1)
    assert ponderix.__version__ == project and ponderix.version().startswith(project)
    # A text longer than the buffer is asked for again, whole.
    monkeypatch.setattr(ponderix._library, "TEXT_SIZE", 3)
    assert ponderix.version().startswith(project)


def test_the_library_is_found_through_the_installed_link_or_the_variable(tmp_path):
    """The layout the .deb makes: the package beside a link into the private library folder."""
    built = Path(os.environ["PONDERIX_LIBRARY"]).parent
    private, site = tmp_path / "lib/ponderix", tmp_path / "lib/python3/dist-packages"
    private.mkdir(parents=True)
    for library in built.glob("lib*.so"):
        shutil.copy(library, private)
    shutil.copytree(Path(ponderix.__file__).parent, site / "ponderix")
    (site / "ponderix/libponderix.so").symlink_to("../../../ponderix/libponderix.so")
    code = "import ponderix\ntry: print(ponderix.version())\nexcept ImportError as e: print(e)"

    def run(**env):
        env = dict(os.environ, PYTHONPATH=str(site), **env)
        return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True).stdout

    assert run(PONDERIX_LIBRARY="") == f"{ponderix.__version__}\n"
    assert "PONDERIX_LIBRARY=/nowhere/libponderix.so" in run(PONDERIX_LIBRARY="/nowhere/libponderix.so")
