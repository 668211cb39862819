#!/usr/bin/python3
"""Readings per second of a read() loop through the Python package on a simulated POS scale.

Usage: read_loop.py SCALE_SIM [SECONDS]   (libponderix.so from PONDERIX_LIBRARY or the usual places)
Prints one JSON line: {"python_reads_per_second": ...}.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# The package from this tree, unless one is installed.
sys.path.append(str(Path(__file__).resolve().parents[2] / "python"))
import ponderix  # noqa: E402


def main() -> None:
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    seconds = float(sys.argv[2]) if len(sys.argv) == 3 else 3.0
    # The driver's log goes to a folder of the run's own, set before the library loads.
    appdata = tempfile.TemporaryDirectory(prefix="ponderix-bench-")
    os.environ["APPDATA"] = appdata.name
    sim = subprocess.Popen(
        [sys.argv[1], "--pty", "--protocol", "pos", "--plain"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True
    )
    try:
        port = sim.stdout.readline().strip()
        with ponderix.Scale(port, "POS2K") as scale:
            reads = 0
            start = time.monotonic()
            while time.monotonic() - start < seconds:
                scale.read()
                reads += 1
            elapsed = time.monotonic() - start
    finally:
        # The end of its input makes it quit.
        sim.stdin.close()
        sim.wait(timeout=5)
    print(json.dumps({"python_reads_per_second": round(reads / elapsed, 1)}))


if __name__ == "__main__":
    main()
