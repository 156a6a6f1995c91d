#!/usr/bin/env python3
"""Prints one table from the JSON files of `make bench`: each figure beside its baseline
from the same run. Usage: bench_table.py FILE.json..."""
import json
import sys

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

# (what, benchmark, per item counter or None, baseline text, baseline benchmark or seconds);
# "name@counter" takes that counter (seconds per iteration) instead of the time.
ROWS = [
    ("collision pass, 125 enemies x 300 shots", "BM_CollisionPass", None, "full scan", "BM_CollisionPassFullScan"),
    ("collision pass, random world with hits", "BM_CollisionPassRandomWorld", None, "full scan",
     "BM_CollisionPassRandomWorldFullScan"),
    ("one tick", "BM_OneTick", None, "bare frame", "BM_BareFrame"),
    ("whole pass, start-up population", "BM_WholePassStartupPopulation", None, "bare frame", "BM_BareFrame"),
    ("whole pass, 300 projectiles", "BM_WholePass300Projectiles", None, "bare frame", "BM_BareFrame"),
    ("sprite drawing, full frame", "BM_FullFrame", None, "background copy + present", "BM_BackgroundCopyAndPresent"),
    ("mixing 1 s of six game sounds", "BM_MixSixGameSounds", None, "1 s of sound", 1.0),
    ("mixing 1 s of six assorted formats", "BM_MixSixAssortedFormats", None, "1 s of sound", 1.0),
    ("result-code lookup, name + text", "BM_ResultCodeLookup", "codes", "linear name scan", "BM_ResultCodeLinearScan"),
    ("real window: whole pass, start-up population", "BM_RealWindowWholePassStartupPopulation", None,
     "bare frame", "BM_RealWindowBareFrame"),
    ("real window: whole pass, 300 projectiles", "BM_RealWindowWholePass300Projectiles", None,
     "bare frame", "BM_RealWindowBareFrame"),
    ("real window: whole pass, start-up population", "BM_RealWindowWholePassStartupPopulation", None,
     "the same on OpenGL", "BM_RealWindowWholePassStartupPopulationOpenGL"),
    ("real window: CPU per pass, start-up population", "BM_RealWindowWholePassStartupPopulation@cpu", None,
     "the same on OpenGL", "BM_RealWindowWholePassStartupPopulationOpenGL@cpu"),
    ("real window: whole pass, 300 projectiles", "BM_RealWindowWholePass300Projectiles", None,
     "the same on OpenGL", "BM_RealWindowWholePass300ProjectilesOpenGL"),
    ("fresh process to the first frame, real window", "BM_RealWindowFreshStartupToFirstFrame", None,
     "bare window, fresh", "BM_RealWindowFreshBareWindowFirstFrame"),
]


def load(paths):
    runs = {}
    for path in paths:
        try:
            with open(path) as handle:
                data = json.load(handle)
        except (OSError, ValueError) as error:
            print(f"bench_table: cannot read {path}: {error}", file=sys.stderr)
            continue
        for run in data.get("benchmarks", []):
            if run.get("run_type", "iteration") != "iteration":
                continue
            runs[run["name"].split("/")[0]] = run
    return runs


def find(runs, name):
    name, _, counter = name.partition("@")
    run = runs.get(name)
    return (dict(run, real_time=run.get(counter, 0.0), time_unit="s") if run and counter else run)


def nanoseconds(run, per=None):
    time = run["real_time"] * UNIT_NS[run.get("time_unit", "ns")]
    if per:
        time /= run.get(per, 1.0) or 1.0
    return time


def show(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def main(paths):
    runs = load(paths)
    lines = [("figure", "time", "baseline", "time", "ratio")]
    missing = []
    for what, name, per, base_text, base in ROWS:
        run = find(runs, name)
        if not run or run.get("error_occurred"):
            reason = run.get("error_message", "not run") if run else "not run"
            missing.append(f"{name}: {reason}")
            continue
        time = nanoseconds(run, per)
        if isinstance(base, float):
            base_time = base * 1e9
        elif find(runs, base) and not find(runs, base).get("error_occurred"):
            # A baseline runs over the same items as its figure.
            base_time = nanoseconds(find(runs, base)) / (run.get(per, 1.0) if per else 1.0)
        else:
            base_time = None
        label = run.get("label")
        if label:
            what = f"{what} ({label})"
        if per:
            what += ", per code"
        ratio = f"{time / base_time:.3g}x" if base_time else "-"
        lines.append((what, show(time), base_text, show(base_time) if base_time else "not run", ratio))
    widths = [max(len(line[i]) for line in lines) for i in range(5)]
    for index, line in enumerate(lines):
        print("  ".join(cell.ljust(width) for cell, width in zip(line, widths)).rstrip())
        if index == 0:
            print("  ".join("-" * width for width in widths))
    for text in missing:
        print(f"missing: {text}")
    return 0 if not missing else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
