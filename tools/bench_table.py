#!/usr/bin/env python3
"""Prints one table from the JSON files of `make bench`: each figure beside its baseline
from the same run. Usage: bench_table.py FILE.json..."""
import json
import sys

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

# (what, benchmark, per item counter or None, baseline text, baseline benchmark or seconds);
# "name@counter" takes that counter (seconds per iteration, or a share of one core per
# second for a "_pct" counter) instead of the time; the main loop's runs are named with
# their kind ("BM_RealWindowLoop/paced_running").
ROWS = [
    ("collision pass, 125 enemies x 300 shots", "BM_CollisionPass", None, "full scan", "BM_CollisionPassFullScan"),
    ("collision pass, random world with hits", "BM_CollisionPassRandomWorld", None, "full scan",
     "BM_CollisionPassRandomWorldFullScan"),
    ("one tick", "BM_OneTick", None, "bare frame", "BM_BareFrame"),
    ("whole pass, start-up population", "BM_WholePassStartupPopulation", None, "bare frame", "BM_BareFrame"),
    ("whole pass, 300 projectiles", "BM_WholePass300Projectiles", None, "bare frame", "BM_BareFrame"),
    ("mixing 1 s of six game sounds", "BM_MixSixGameSounds", None, "1 s of sound", 1.0),
    ("mixing 1 s of six assorted formats", "BM_MixSixAssortedFormats", None, "1 s of sound", 1.0),
    ("mesh load, 200,000 faces", "BM_MeshLoad200000Faces", None, "reading the file", "BM_MeshFileRead"),
    ("mesh draw, 200,000 faces in 2,000 materials", "BM_MeshDraw2000Materials", None, "in 1 material",
     "BM_MeshDraw1Material"),
    ("mesh load, 65,000 references to the last material", "BM_MeshReferencesToLast", None,
     "to the first", "BM_MeshReferencesToFirst"),
    ("result-code lookup, name + text", "BM_ResultCodeLookup", "codes", "linear name scan", "BM_ResultCodeLinearScan"),
    ("recording, per pass (goal < 0.02x)", "BM_RecordingPerPass", None, "whole pass, start-up population",
     "BM_WholePassStartupPopulation"),
    ("real window: whole pass, start-up population (goal <= 2.0x)", "BM_RealWindowWholePassStartupPopulation",
     None, "bare frame", "BM_RealWindowBareFrame"),
    ("real window: whole pass, 300 projectiles", "BM_RealWindowWholePass300Projectiles", None,
     "bare frame", "BM_RealWindowBareFrame"),
    ("real window: whole pass, 300 projectiles (goal <= 2.0x)", "BM_RealWindowWholePass300Projectiles", None,
     "whole pass, start-up population", "BM_RealWindowWholePassStartupPopulation"),
    ("real window: whole pass, start-up population", "BM_RealWindowWholePassStartupPopulation", None,
     "the same on OpenGL", "BM_RealWindowWholePassStartupPopulationOpenGL"),
    ("real window: CPU per pass, start-up population", "BM_RealWindowWholePassStartupPopulation@cpu", None,
     "the same on OpenGL", "BM_RealWindowWholePassStartupPopulationOpenGL@cpu"),
    ("real window: whole pass, 300 projectiles", "BM_RealWindowWholePass300Projectiles", None,
     "the same on OpenGL", "BM_RealWindowWholePass300ProjectilesOpenGL"),
    ("fresh process to the first frame, real window (goal <= 1.6x)", "BM_RealWindowFreshStartupToFirstFrame",
     None, "bare window, fresh", "BM_RealWindowFreshBareWindowFirstFrame"),
    ("real window: CPU per s, paced game playing (goal <= 0.2x)", "BM_RealWindowLoop/paced_running@cpu_pct",
     None, "one core", 1.0),
    ("real window: CPU per s, paced game in full screen (goal <= 1.3x)",
     "BM_RealWindowLoop/paced_fullscreen@cpu_pct", None, "the same in the window, by turns",
     "BM_RealWindowLoop/paced_fullscreen@window_cpu_pct"),
]


# (what, benchmark, counter of bytes, baseline text, baseline bytes)
SIZE_ROWS = [
    ("size of a 10-minute recording", "BM_TenMinuteRecording", "bytes", "the goal", 1e6),
]


def show_bytes(count):
    for unit, scale in (("MB", 1e6), ("KB", 1e3)):
        if count >= scale:
            return f"{count / scale:.3g} {unit}"
    return f"{count:.0f} B"


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
            parts = run["name"].split("/")
            runs[parts[0]] = run
            if parts[0] == "BM_RealWindowLoop" and len(parts) > 1:
                runs[parts[0] + "/" + parts[1]] = run
    return runs


def find(runs, name):
    name, _, counter = name.partition("@")
    run = runs.get(name)
    if not run or not counter:
        return run
    value = run.get(counter, 0.0) / (100.0 if counter.endswith("_pct") else 1.0)
    return dict(run, real_time=value, time_unit="s")


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
        base_run = None if isinstance(base, float) else find(runs, base)
        if isinstance(base, float):
            base_time = base * 1e9
        elif base_run and not base_run.get("error_occurred"):
            # A baseline runs over the same items as its figure.
            base_time = nanoseconds(base_run) / (run.get(per, 1.0) if per else 1.0)
        else:
            base_time = None
        label = run.get("label")
        if label:
            # The renderer's name goes before any goal.
            head, goal, tail = what.partition(" (goal")
            what = f"{head} ({label}){goal}{tail}"
        if per:
            what += ", per code"
        ratio = f"{time / base_time:.3g}x" if base_time else "-"
        lines.append((what, show(time), base_text, show(base_time) if base_time else "not run", ratio))
    for what, name, counter, base_text, base in SIZE_ROWS:
        run = runs.get(name)
        if not run or run.get("error_occurred") or counter not in run:
            missing.append(f"{name}: {run.get('error_message', 'not run') if run else 'not run'}")
            continue
        lines.append((what, show_bytes(run[counter]), base_text, show_bytes(base), f"{run[counter] / base:.3g}x"))
    widths = [max(len(line[i]) for line in lines) for i in range(5)]
    for index, line in enumerate(lines):
        print("  ".join(cell.ljust(width) for cell, width in zip(line, widths)).rstrip())
        if index == 0:
            print("  ".join("-" * width for width in widths))
    for text in missing:
        print(f"missing: {text}")
    return 0 if not missing else 1


# The main loop in a real window (BM_RealWindowLoop, bench/game/game_bench.cpp): paced
# beside unpaced.
LOOP_ROWS = [
    ("ticks per second (goal paced >= 66.0)", "ticks_per_s", "{:.1f}"),
    ("frames per second", "fps", "{:.1f}"),
    ("CPU, % of one core", "cpu_pct", "{:.0f}"),
    ("  budget: fps x CPU of a pass + 5 %", "budget_pct", "{:.0f}"),
    ("mean pass: time / CPU, ms", ("pass_ms", "pass_cpu_ms"), "{:.2f}"),
    ("tick spacing 15 / 16 / more ms, %", ("at15_pct", "at16_pct", "later_pct"), "{:.1f}"),
    ("longest tick spacing", "longest_ms", "{:.0f} ms"),
]


def loop_table(paths):
    runs = {}
    for path in paths:
        try:
            with open(path) as handle:
                data = json.load(handle)
        except (OSError, ValueError):
            continue
        for run in data.get("benchmarks", []):
            name = run["name"].split("/")
            if name[0] == "BM_RealWindowLoop" and len(name) > 1 and not run.get("error_occurred"):
                runs[name[1]] = run
    if not runs:
        print("missing: BM_RealWindowLoop: not run")
        return 1
    # "undrawn": the same passes without their drawing, what the loop itself costs.
    lines = [("main loop in a real window, 10 s", "paced", "unpaced")]
    for state in ("running", "paused", "undrawn"):
        for what, counter, form in LOOP_ROWS:
            cells = []
            for loop in ("paced", "unpaced"):
                run = runs.get(f"{loop}_{state}")
                if not run:
                    cells.append("not run")
                elif isinstance(counter, tuple):
                    cells.append(" / ".join(form.format(run.get(c, 0)) for c in counter))
                else:
                    cells.append(form.format(run.get(counter, 0)))
            lines.append((f"{what}, {state}", *cells))
    widths = [max(len(line[i]) for line in lines) for i in range(3)]
    print()
    for index, line in enumerate(lines):
        print("  ".join(cell.ljust(width) for cell, width in zip(line, widths)).rstrip())
        if index == 0:
            print("  ".join("-" * width for width in widths))
    return 0


if __name__ == "__main__":
    status = main(sys.argv[1:])
    sys.exit(loop_table(sys.argv[1:]) or status)
