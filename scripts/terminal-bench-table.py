#!/usr/bin/env python3
"""The terminal benchmarks' results (Google Benchmark JSON) as one table against the goals."""
import json
import sys


GAP_PREFIX = "BM_GuiThreadGap/"
# Google Benchmark's time units, in milliseconds.
UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def main(path):
    benchmarks = json.load(open(path))["benchmarks"]
    runs = {b["name"].split("/")[0]: b for b in benchmarks}
    rows = []

    def row(name, value, unit, goal, ok, note=""):
        rows.append((name, f"{value:.1f} {unit}", goal, "yes" if ok else "NO", note))

    latency = runs.get("BM_WeightChangeToLabel")
    if latency and "p95_ms" in latency:
        row(f"weight change -> label, median ({int(latency['changes'])} changes)", latency["median_ms"], "ms", "", True)
        row("weight change -> label, p95", latency["p95_ms"], "ms", "<= 120 ms", latency["p95_ms"] <= 120)
    check = runs.get("BM_PortCheckWithSilentScale")
    if check and "real_time" in check:
        row("port check, silent scale", check["real_time"], "ms", "<= 2100 ms", check["real_time"] <= 2100)
    process = runs.get("BM_WeighdeskOnMainPage")
    if process and "cpu_percent" in process:
        row("weighdesk CPU on the main page (30 s)", process["cpu_percent"], "% of a core", "< 3 %",
            process["cpu_percent"] < 3)
        row("weighdesk status exchanges meanwhile", process["polls_per_s"], "per s", "", process["polls_per_s"] > 0)
        row("weighdesk RSS, first sample", process["rss_first_MB"], "MB", "< 100 MB", process["rss_first_MB"] < 100)
        grew = process["rss_last_MB"] - process["rss_first_MB"]
        row("weighdesk RSS, last sample", process["rss_last_MB"], "MB", "< 100 MB, flat",
            process["rss_last_MB"] < 100 and grew < 2)
    # One run per window flow, in the order they ran; the flow's own time goes beside the gap.
    for run in benchmarks:
        if not run["name"].startswith(GAP_PREFIX):
            continue
        flow = run.get("label") or run["name"][len(GAP_PREFIX):].split("/")[0].replace("_", " ")
        name = f"GUI thread, longest gap: {flow}"
        if run.get("error_occurred") or "max_gap_ms" not in run:
            rows.append((name, "failed", "< 100 ms", "NO", run.get("error_message", "")))
            continue
        flow_s = run["real_time"] * UNIT_MS[run.get("time_unit", "ns")] / 1000
        row(name, run["max_gap_ms"], "ms", "< 100 ms", run["max_gap_ms"] < 100, f"flow {flow_s:.2f} s")
    for run in benchmarks:
        if run.get("error_occurred"):
            print(f"{run['name']}: {run.get('error_message')}", file=sys.stderr)
    width = max(len(r[0]) for r in rows) if rows else 0
    print(f"{'measure':<{width}}  {'value':>18}  {'goal':<16} met  note")
    for name, value, goal, ok, note in rows:
        print(f"{name:<{width}}  {value:>18}  {goal:<16} {ok:<4} {note}".rstrip())


if __name__ == "__main__":
    main(sys.argv[1])
