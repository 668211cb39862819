#!/usr/bin/python3
"""Readings per second of a read() loop through the Python package on a scale already running.

Usage: read_loop.py --port PORT [--protocol POS2K] [--seconds 3]
(libponderix.so from PONDERIX_LIBRARY or the usual places; the package from this tree unless one
is installed). Prints one JSON line: {"python_reads_per_second": ..., "python_cpu_us_per_read": ...}.
"""

import argparse
import json
import sys
import time
from pathlib import Path

sys.path.append(str(Path(__file__).resolve().parents[2] / "python"))
import ponderix  # noqa: E402
from ponderix import _library  # noqa: E402


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", required=True)
    parser.add_argument("--protocol", default="POS2K")
    parser.add_argument("--seconds", type=float, default=3.0)
    options = parser.parse_args()
    # Logging at the level the C side of the comparison uses: errors only.
    _library.library().pdx_logging_set_mode(3)
    with ponderix.Scale(options.port, options.protocol) as scale:
        reads = 0
        start, cpu_start = time.monotonic(), time.process_time()
        while time.monotonic() - start < options.seconds:
            scale.read()
            reads += 1
        elapsed, cpu = time.monotonic() - start, time.process_time() - cpu_start
    print(json.dumps({"python_reads_per_second": round(reads / elapsed, 1),
                      "python_cpu_us_per_read": round(cpu / reads * 1e6, 2)}))


if __name__ == "__main__":
    main()
