#!/usr/bin/env python3
"""The black-box benchmark: the real orlimbo in a real X window, timed as a user meets it.

blackbox.py ORLIMBO PROBE RESULTS_FOLDER [--runs=N] [--no-huge] [--no-gigabyte] [--only=REGEX]

Runs inside an X server (bench/run starts Xvfb 1920x1080x24 without a window manager). Every
run starts the program with a fresh HOME, LANG=ja_JP.UTF-8 and the file in the page cache;
orlimbo_probe measures the settle time (launch until a window of the process is viewable and
its CPU time has not grown for 500 ms, the 500 ms not counted), the CPU time and the peak RSS.
Writes blackbox.json and blackbox.md into the results folder.
"""
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

KB, MB, GB = 1024, 1024 ** 2, 1024 ** 3
TITLE = " - Orlimbo  Ver 1.40"
WALK_FILES = 200
RESIZE_WIDTHS = [1400, 900, 1700, 1000, 1500, 800, 1800, 1100, 1300, 1000]

# (case, limit, unit, text). File costs are against the floor of the same run.
TARGETS = {
    "load/1MB/wrap_on": (30, "file_cost", "file cost ≤ 30 ms"),
    "load/1MB/wrap_off": (30, "file_cost", "file cost ≤ 30 ms"),
    "load/10MB/wrap_on": (120, "file_cost", "file cost ≤ 120 ms"),
    "load/10MB/wrap_off": (120, "file_cost", "file cost ≤ 120 ms"),
    "load/100MB/wrap_on": (700, "file_cost", "file cost ≤ 700 ms; RSS ≤ 2.5 B/B"),
    "load/100MB/wrap_off": (700, "file_cost", "file cost ≤ 700 ms; RSS ≤ 2.5 B/B"),
    "load/1GB/wrap_on": (None, "file_cost", "no crash; RSS ≤ 2.5 B/B"),
    "walk/200files/20KB": (2, "per_step", "≤ 2 ms a step"),
    "walk/200files/20KB/one_by_one": (None, "per_step", ""),
    "resize/100MB/wrap_on": (60, "per_step", "≤ 60 ms a width change"),
}
RSS_LIMIT = 2.5


def size_name(size):
    return f"{size // GB}GB" if size >= GB else f"{size // MB}MB" if size >= MB else f"{size // KB}KB"


def ensure_locale(cache):
    """LANG=ja_JP.UTF-8 needs the locale; where the system lacks it, build it for us alone."""
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if any(name.lower().replace("-", "") in ("ja_jp.utf8",) for name in have):
        return {}
    target = cache / "locale"
    if not (target / "ja_JP.UTF-8").exists():
        target.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", str(target / "ja_JP.UTF-8")], check=True)
    return {"LOCPATH": str(target)}


def page_in(path):
    with open(path, "rb") as f:
        while f.read(16 * MB):
            pass


class Bench:
    def __init__(self, orlimbo, probe, results, runs, locale_env):
        self.orlimbo, self.probe, self.results, self.runs = orlimbo, probe, results, runs
        self.locale_env = locale_env
        self.samples = {}

    def environment(self, home, settings=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "XDG_", "QT_"))}
        env.update(self.locale_env)
        env.update({
            "HOME": str(home), "LANG": "ja_JP.UTF-8", "QT_QPA_PLATFORM": "xcb",
            "XDG_CONFIG_HOME": str(home / ".config"), "XDG_CACHE_HOME": str(home / ".cache"),
            "XDG_DATA_HOME": str(home / ".local/share"), "XDG_RUNTIME_DIR": str(home / "run"),
        })
        (home / "run").mkdir(parents=True)
        os.chmod(home / "run", 0o700)
        if settings:
            conf = home / ".config" / "brennick"
            conf.mkdir(parents=True)
            (conf / "Skimlet.conf").write_text("[General]\n" + "".join(f"{k}={v}\n" for k, v in settings.items()))
        return env

    def probe_run(self, name, args, options=(), settings=None, page=None):
        if page:
            page_in(page)
        with tempfile.TemporaryDirectory(prefix="orlimbo-home-") as home:
            env = self.environment(Path(home), settings)
            cmd = [self.probe, "run", *options, "--", self.orlimbo, *args]
            done = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=900)
        if done.returncode != 0:
            print(f"   {name}: failed: {done.stderr.strip()}", file=sys.stderr)
            self.samples.setdefault(name, []).append({"error": done.stderr.strip()})
            return
        sample = json.loads(done.stdout.strip().splitlines()[-1])
        self.samples.setdefault(name, []).append(sample)
        print(f"   {name}: {sample}", flush=True)


def median(values):
    return statistics.median(values) if values else None


def summarise(samples):
    ok = [s for s in samples if "error" not in s]
    out = {"runs": len(ok), "errors": [s["error"] for s in samples if "error" in s]}
    for key in ("settle_ms", "cpu_ms", "peak_rss"):
        out[key] = median([s[key] for s in ok])
    if ok and "walk_ms" in ok[0]:
        out["per_step"] = median([s["walk_ms"] / s["walk_steps"] for s in ok])
        out["walk_cpu_per_step"] = median([s["walk_cpu_ms"] / s["walk_steps"] for s in ok])
    if ok and "resize_ms" in ok[0]:
        out["per_step"] = median([statistics.mean(s["resize_ms"]) for s in ok])
        out["resize_max"] = median([max(s["resize_ms"]) for s in ok])
    return out


def markdown(summary, sizes, load_start, load_end, runs):
    floor = summary.get("floor", {})
    f_settle, f_rss = floor.get("settle_ms"), floor.get("peak_rss")
    f_cpu = floor.get("cpu_ms")
    rows = ["| Case | Settle ms | File cost ms | CPU ms | CPU cost ms | Peak RSS MB | RSS above floor, B/B | Per step ms | Target | Met |",
            "|---|---:|---:|---:|---:|---:|---:|---:|---|---|"]
    for name, s in summary.items():
        if not s.get("runs"):
            rows.append(f"| {name} | failed: {'; '.join(s['errors'])[:120]} | | | | | | | | no |")
            continue
        size = next((v for k, v in sizes.items() if f"/{k}/" in name), None)
        cost = s["settle_ms"] - f_settle if f_settle is not None and name.startswith("load/") else None
        bpb = (s["peak_rss"] - f_rss) / size if size and size >= MB and f_rss and name.startswith("load/") else None
        cpu_cost = s["cpu_ms"] - f_cpu if f_cpu is not None and name.startswith("load/") else None
        limit, what, text = TARGETS.get(name, (None, None, ""))
        met = ""
        if what == "file_cost" and cost is not None:
            ok = (limit is None or cost <= limit) and (bpb is None or size < 100 * MB or bpb <= RSS_LIMIT)
            met = "yes" if ok else "no"
        elif what == "per_step" and s.get("per_step") is not None:
            met = "" if limit is None else "yes" if s["per_step"] <= limit else "no"
        step = s.get("per_step")
        rows.append(
            f"| {name} | {s['settle_ms']:,.0f} | {'' if cost is None else f'{cost:,.0f}'} | {s['cpu_ms']:,.0f} "
            f"| {'' if cpu_cost is None else f'{cpu_cost:,.0f}'} "
            f"| {s['peak_rss'] / MB:,.0f} | {'' if bpb is None else f'{bpb:.2f}'} "
            f"| {'' if step is None else f'{step:.2f}'} | {text} | {met} |")
    return f"""## As the user sees it (black box)

The real `orlimbo` under Xvfb 1920x1080x24 without a window manager, fresh HOME,
LANG=ja_JP.UTF-8, the file in the page cache. Median of {runs} runs; the cases of one round
run one after another, round after round, so a burst of load from elsewhere hits all cases
alike. Load average at the start of these cases: {load_start}; at the end: {load_end}.
(The machine is shared: on a busy machine every wall-clock figure is high, CPU ms less so.)

{chr(10).join(rows)}

- **Settle**: from launch until a window of the process is viewable and its CPU time
  (utime+stime of /proc/PID/stat, 10 ms ticks) has not grown for 500 ms, the 500 ms not
  counted. **File cost** = settle with the file − settle of **floor** (the same binary
  started with no file, same rounds); **CPU cost** the same for the CPU time (both threads
  counted), the steadier figure on a loaded machine. Settles of the same case spread over some
  ±25 ms from run to run (the CPU time is read in 10 ms ticks), so the cost of a small file can
  come out below zero. **Peak RSS** is VmHWM at settle; "RSS above floor" is
  (peak − floor peak) / file size.
- **load/size/wrap**: `orlimbo FILE` with the stored `WordWrapFlag` R (on, the default) or N
  (off); the settle also waits for the caption to name the file. Files are generated CP932
  text (Japanese and ASCII lines of 10-120 characters, CR LF, seed 42) drawn from kana,
  punctuation and the 2,965 first-level kanji, so a file holds thousands of distinct characters.
- **walk/200files/20KB**: `orlimbo /n FOLDER` with 200 files of 20 KB (seeds 1-200); once
  settled, 200 Down keys through XTEST in one burst, as fast as the X server takes them, from
  the first key until the caption names the 200th file and the CPU is quiet; the time divided
  by the 200 steps (key sending included). Every file must be shown: the probe counts the
  caption's PropertyNotify events and fails the run unless there are exactly 200. The
  program need not paint a file it has already left.
- **walk/200files/20KB/one_by_one**: the same walk with each Down sent only once the caption
  names the file before, so the program paints between steps: the time a step takes when
  the keys come slower than the program (caption polling included). No target.
- **resize/100MB/wrap_on**: the wrapped 100 MB file, then the window's width set ten times
  ({', '.join(map(str, RESIZE_WIDTHS))}) by ConfigureWindow, each until the window has the
  width and the CPU is quiet; the mean of the ten steps (max {summary.get('resize/100MB/wrap_on', {}).get('resize_max') or 0:,.0f} ms).
"""


def rerender(results):
    """Writes blackbox.md again from a run's blackbox.json."""
    data = json.loads((results / "blackbox.json").read_text())
    sizes = {size_name(s): s for s in [20 * KB, MB, 10 * MB, 100 * MB, GB]}
    (results / "blackbox.md").write_text(markdown(data["summary"], sizes, data.get("load_start", "?"),
                                                  data.get("load_end", "?"), data.get("runs", 3)))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--rerender":
        return rerender(Path(sys.argv[2]))
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    opts = [a for a in sys.argv[1:] if a.startswith("--")]
    orlimbo, probe, results = args[0], args[1], Path(args[2])
    runs = next((int(o.split("=")[1]) for o in opts if o.startswith("--runs=")), 3)
    only = next((o.split("=", 1)[1] for o in opts if o.startswith("--only=")), None)
    huge = "--no-huge" not in opts
    gigabyte = huge and "--no-gigabyte" not in opts
    results.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="orlimbo-bb-", dir="/tmp"))
    try:
        bench = Bench(orlimbo, probe, results, runs, ensure_locale(results.parent))
        sizes = {size_name(s): s for s in [20 * KB, MB, 10 * MB] + ([100 * MB] if huge else []) + ([GB] if gigabyte else [])}
        if gigabyte and shutil.disk_usage("/tmp").free < 3 * GB:
            print("less than 3 GB free in /tmp: the 1 GB case is left out", file=sys.stderr)
            del sizes["1GB"]
        files = {}
        for name, size in sizes.items():
            files[name] = work / f"text{name}.txt"
            subprocess.run([probe, "generate", str(size), str(files[name]), "42"], check=True)
        folder = work / "walk"
        folder.mkdir()
        for i in range(1, WALK_FILES + 1):
            subprocess.run([probe, "generate", str(20 * KB), str(folder / f"walk{i:03}.txt"), str(i)], check=True)

        cases = [("floor", [], [], None, None)]
        for name, path in files.items():
            for wrap, flag in (("wrap_on", "R"), ("wrap_off", "N")):
                if name == "1GB" and wrap == "wrap_off":
                    continue
                cases.append((f"load/{name}/{wrap}", [str(path)], [f"--caption={path.name}{TITLE}"],
                              {"WordWrapFlag": flag}, path))
        for name, walk in (("walk/200files/20KB", "--walk"), ("walk/200files/20KB/one_by_one", "--walk-each")):
            cases.append((name, ["/n", str(folder)],
                          [f"{walk}={WALK_FILES}", f"--last-caption=walk{WALK_FILES:03}.txt{TITLE}"], None, None))
        if huge:
            cases.append(("resize/100MB/wrap_on", [str(files["100MB"])],
                          [f"--caption={files['100MB'].name}{TITLE}", "--resize=" + ",".join(map(str, RESIZE_WIDTHS))],
                          {"WordWrapFlag": "R"}, files["100MB"]))
        if only:
            cases = [c for c in cases if c[0] == "floor" or re.search(only, c[0])]
        load_start = open("/proc/loadavg").read().split()[:3]
        for r in range(runs):
            print(f"== round {r + 1} of {runs}", flush=True)
            for name, argv, options, settings, page in cases:
                if name == "load/1GB/wrap_on" and r > 0 and runs > 3 :
                    continue
                bench.probe_run(name, argv, options, settings, page)
        load_end = open("/proc/loadavg").read().split()[:3]
        summary = {name: summarise(bench.samples.get(name, [])) for name, *_ in cases}
        (results / "blackbox.json").write_text(json.dumps({"samples": bench.samples, "summary": summary, "runs": runs,
                                                             "load_start": " ".join(load_start),
                                                             "load_end": " ".join(load_end)}, indent=1))
        (results / "blackbox.md").write_text(markdown(summary, sizes, " ".join(load_start), " ".join(load_end), runs))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
