#!/usr/bin/env python3
"""Turns the Google Benchmark JSON files of one bench/run into bench/RESULTS.md.

make_results.py <results folder> <RESULTS.md>

The folder holds one <n>.json per case, status.tsv (case name, exit code, seconds, time
limit) and machine.txt (the lines written by bench/run about the machine and the run).
"""
import json
import re
import sys
from pathlib import Path

# Case-name pattern, statistic, limit, unit text. The statistic is "time" (the median
# where repetitions give one, else the mean) or the name of a counter.
TARGETS = [
    (r"^Walk/step/", "time", 5.0, "≤ 5 ms median"),
    (r"^Load/10MB/wrap_off$", "time", 150.0, "≤ 150 ms"),
    (r"^Load/10MB/wrap_on$", "time", 300.0, "≤ 300 ms"),
    (r"^Load/100MB(_mixed)?/", "time", 2000.0, "≤ 2 s"),
    (r"^PeakMemory/100MB(_mixed)?/", "bytes_per_byte", 4.0, "≤ 4 bytes per byte"),
    (r"^Effect/[^/]+/1MB$", "time", 50.0, "≤ 50 ms"),
]

# What the suffixes of a run name say is shown in the runs column instead.
SUFFIX = re.compile(r"/(repeats|iterations|min_time|threads):[^/]*|/manual_time|/real_time")

# Counters that are rates or sizes get a unit; the rest are plain numbers.
SKIPPED_COUNTERS = {"rss_before_MB"}


def case_name(run_name):
    return SUFFIX.sub("", run_name)


def to_ms(value, unit):
    return value * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[unit]


def counters_of(entry):
    standard = {
        "name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
        "real_time", "cpu_time", "time_unit", "family_index", "per_family_instance_index",
        "aggregate_name", "aggregate_unit", "error_occurred", "error_message", "label",
    }
    return {k: v for k, v in entry.items() if k not in standard and isinstance(v, (int, float))}


def format_counter(name, value):
    if name == "bytes_per_second":
        return f"{value / 1048576:.0f} MB/s"
    if name == "bytes_per_byte":
        return f"{value:.2f} bytes/byte"
    if name.endswith("_MB"):
        return f"{name[:-3]} {value:.0f} MB"
    if float(value).is_integer():
        return f"{name} {int(value):,}"
    return f"{name} {value:.3g}"


def collect(folder):
    """Case name -> dict(median, mean, runs, counters, error)."""
    cases = {}
    order = []
    for path in sorted((p for p in folder.glob("*.json") if p.stem.isdigit()), key=lambda p: int(p.stem)):
        try:
            data = json.loads(path.read_text())
        except (OSError, json.JSONDecodeError):
            continue  # a case killed while writing leaves no usable file; status.tsv names it
        for entry in data.get("benchmarks", []):
            name = case_name(entry.get("run_name", entry["name"]))
            if name not in cases:
                cases[name] = {"iterations": [], "median": None, "mean": None, "counters": {}, "error": None,
                               "per_iteration": None}
                order.append(name)
            case = cases[name]
            if entry.get("error_occurred"):
                case["error"] = entry.get("error_message", "error")
                continue
            if entry.get("run_type") == "aggregate":
                agg = entry.get("aggregate_name")
                if agg in ("median", "mean"):
                    case[agg] = to_ms(entry["real_time"], entry["time_unit"])
                if agg == "median":
                    case["counters"] = counters_of(entry)
            else:
                case["iterations"].append(
                    (to_ms(entry["real_time"], entry["time_unit"]), int(entry.get("iterations", 1)), counters_of(entry)))
    for case in cases.values():
        runs = case["iterations"]
        if runs and case["mean"] is None:
            # A single repetition: its figure is the mean over its iterations, and the
            # median too when it was one iteration.
            total = sum(t * n for t, n, _ in runs)
            count = sum(n for _, n, _ in runs)
            case["mean"] = total / count
            if count == 1:
                case["median"] = case["mean"]
            case["counters"] = runs[-1][2]
        if runs:
            case["per_iteration"] = (len(runs), runs[0][1])
    return cases, order


def statuses(folder):
    out = {}
    path = folder / "status.tsv"
    if path.exists():
        for line in path.read_text().splitlines():
            parts = line.split("\t")
            if len(parts) == 4:
                out[case_name(parts[0])] = (int(parts[1]), float(parts[2]), float(parts[3]))
    return out


def target_for(name):
    for pattern, stat, limit, text in TARGETS:
        if re.search(pattern, name):
            return stat, limit, text
    return None


def cell(value):
    if value is None:
        return "—"
    if value >= 100:
        return f"{value:,.0f}"
    if value >= 10:
        return f"{value:.1f}"
    return f"{value:.2f}"


def table(cases, order, status):
    rows = ["| Case | Median ms | Mean ms | Runs | Counters | Target | Met |",
            "|---|---:|---:|---|---|---|---|"]
    # The cases with targets first, grouped by kind; within a group, the order of the run.
    names = list(status) + [n for n in order if n not in status]
    groups = ["Load/", "Walk/", "Effect/", "Startup/", "PeakMemory/", "List/", "Raw/"]
    names.sort(key=lambda n: next((i for i, g in enumerate(groups) if n.startswith(g)), len(groups)))
    for name in names:
        case = cases.get(name)
        code, seconds, limit = status.get(name, (0, 0.0, 0.0))
        target = target_for(name)
        target_text = target[2] if target else ""
        if case is None or (case["mean"] is None and case["error"] is None):
            why = f"did not finish within {limit:.0f} s" if code in (124, 137) else f"exited with {code}"
            rows.append(f"| {name} | — | — | — | {why} | {target_text} | {'NO' if target else ''} |")
            continue
        if case["error"]:
            rows.append(f"| {name} | — | — | — | error: {case['error']} | {target_text} | {'NO' if target else ''} |")
            continue
        reps, iters = case["per_iteration"] or (0, 0)
        runs = f"{reps} × {iters}" if reps > 1 else f"{iters}"
        counters = ", ".join(format_counter(k, v) for k, v in sorted(case["counters"].items())
                             if k not in SKIPPED_COUNTERS)
        met = ""
        if target:
            stat, limit_value, _ = target
            if stat == "time":
                value = case["median"] if case["median"] is not None else case["mean"]
            else:
                value = case["counters"].get(stat)
            met = "—" if value is None else ("yes" if value <= limit_value else "NO")
        rows.append(f"| {name} | {cell(case['median'])} | {cell(case['mean'])} | {runs} | {counters} "
                    f"| {target_text} | {met} |")
    return "\n".join(rows)


def main():
    folder, output = Path(sys.argv[1]), Path(sys.argv[2])
    cases, order = collect(folder)
    status = statuses(folder)
    machine = (folder / "machine.txt").read_text() if (folder / "machine.txt").exists() else ""
    context = {}
    for path in folder.glob("*.json"):
        try:
            context = json.loads(path.read_text()).get("context", {})
            break
        except (OSError, json.JSONDecodeError):
            pass
    blackbox = ""
    if (folder / "blackbox.json").exists():
        # Rendered here rather than taken from blackbox.md, so the stored figures from before
        # (bench/baseline.json) are the ones in the repository now.
        sys.path.insert(0, str(Path(__file__).resolve().parent))
        import blackbox as bb
        blackbox = bb.render(folder)
    elif (folder / "blackbox.md").exists():
        blackbox = (folder / "blackbox.md").read_text()
    build_note = ""
    if context.get("library_build_type") == "debug":
        build_note = ("- Debian's libbenchmark reports itself built as DEBUG; that slows only the harness's "
                      "own loop, negligible at these millisecond scales. The measured code is RelWithDebInfo.\n")
    text = f"""# Benchmark results

Written by `bench/run`; do not edit by hand.

{machine}
{blackbox}
## Figures inside the process

Times are wall-clock milliseconds per run of the case (manual timing where a case has
untimed set-up between runs). "Runs" is repetitions × iterations; the median is over
repetitions, or the single run itself. Targets are compared with the median where there is one.

{table(cases, order, status) if cases else "Not run this time (`bench/run --blackbox-only`); the last figures are in this file's history."}

## How the cases are measured

- Every case generates its own CP932 text (Japanese and ASCII lines of 10-120 characters,
  CR LF, fixed seed) in a temporary folder, and runs in its own process on the offscreen
  platform, so one slow or crashing case cannot take the others with it; `bench/run` gives
  each a time limit (ORLIMBO_BENCH_TIMEOUT, default 300 s).
- **Load/size/wrap**: `ReadingSession::LoadDocument(path, LoadMode::New, 0)` in a shown 696 x 480 window
  with the wrap mode off or at the window's edge, plus the queued events (the first paint).
  LoadDocument ends in `RefreshViewState`, so the line count of the status bar's line panel is
  included; the count is checked against the file. The view is emptied untimed before each run.
- **Load/size_mixed/wrap_on**, **PeakMemory/size_mixed/wrap_on**: the same with the whole
  character mix of users' files (second-level kanji, NEC and IBM characters, full-width
  letters, half-width katakana; bench/MixedText.h), the text the black box's
  load/100MB_mixed loads.
- **Walk/step**: one Down key in the file list of a folder of 1,000 files of 20 KB, until the
  next file is in the view and the status bar is filled (the load is synchronous; pending
  events are processed inside the timing). **Walk/1000files** is the whole folder in one go.
- **Effect/kind/size**: triggering the command's QAction (Yes answered to the large-text
  question) until the result is shown; switching it off again is not timed. The text starts
  with a short mail header so that the header cut leaves the body.
  **Raw/EffectsTransform** is the byte filter alone over the same bytes in memory.
- **List**: `listFolder` over 10,000 files (7,500 match the mask), the window's
  `FileListBox::setDirectory` over the same folder, and `DirectoryListBox::setDirectory`
  over a folder with 1,000 subfolders, each with the repaint.
- **Startup/reopen/1MB**: constructing `MainWindow`, `show()` (which runs FormShow and reopens
  the stored last file, a 1 MB text, with AppliSetFlags=111111C0001000S0) until the window is
  exposed and painted. The launch of the real executable is not measured: the program has no
  hook that says "shown", and adding one for the benchmark was ruled out, so process start,
  dynamic linking and QApplication creation are left out of this figure. Only the first run
  in the process pays for reading the font database, so the median is the warm figure.
- **PeakMemory/size/wrap**: the bench re-runs itself in a fresh child process
  (`--peak-memory=<file>`), shows the window, notes VmRSS, resets VmHWM (`/proc/self/clear_refs`),
  loads the file and reads VmHWM: (peak − before) / file size. Its time is the child's load.
- **Raw/ReadWholeFile**, **Raw/DecodeCp932**: the floor any load stands on — reading the file
  from the page cache (`FileSystem::readWholeFile`) and decoding it (`Cp932::decode`).
{build_note}- The 100 MB cases run when ORLIMBO_BENCH_HUGE=1, which `bench/run` sets unless given `--no-huge`.
"""
    output.write_text(text)


if __name__ == "__main__":
    main()
