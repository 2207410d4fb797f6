#!/usr/bin/env python3
"""The real orlimbo and the peer viewer (glogg) side by side on the same large files, in turns.

peer.py ORLIMBO PROBE RESULTS_FOLDER [--runs=N] [--no-gigabyte] [--peer=PROGRAM]
        [--against=OTHER_ORLIMBO]

Runs inside an X server (bench/run --peer starts Xvfb 1920x1080x24). For 1 MB, 100 MB and 1 GB
of Japanese text in code page 932 and in UTF-8 (the same text converted and cut at a line
end), each program is started on the file with a fresh HOME, LANG=ja_JP.UTF-8 and the file in
the page cache; orlimbo_probe --first-text gives the time from launch to the first text in the
middle of the window, the settle time (the window shown, the text on it and the CPU quiet for
500 ms, not counted) and the peak RSS. The programs take turns within each round; the medians
go to peer.json and peer.md in the results folder. With --against, an older orlimbo takes its
turn too, in rows of its own.
"""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

MB, GB = 1024 ** 2, 1024 ** 3
TITLE = " - Orlimbo  Ver 1.40"


def size_name(size):
    return f"{size // GB}GB" if size >= GB else f"{size // MB}MB"


def make_files(probe, work, sizes):
    """CP932 text from the probe, and the same text in UTF-8 cut to the size at a line end."""
    files = {}
    for size in sizes:
        sjis = work / f"cp932_{size_name(size)}.txt"
        subprocess.run([probe, "generate", str(size), str(sjis)], check=True, stdout=subprocess.DEVNULL)
        utf8 = work / f"utf8_{size_name(size)}.txt"
        with open(utf8, "wb") as out:
            subprocess.run(["iconv", "-c", "-f", "CP932", "-t", "UTF-8", str(sjis)], stdout=out,
                           stderr=subprocess.DEVNULL)
        with open(utf8, "rb") as f:
            f.seek(size - 4096)
            tail = f.read(4096)
        os.truncate(utf8, size - 4096 + tail.rfind(b"\n") + 1)
        files[f"CP932 {size_name(size)}"] = sjis
        files[f"UTF-8 {size_name(size)}"] = utf8
    return files


def page_in(path):
    with open(path, "rb") as f:
        while f.read(1 << 24):
            pass


def run_once(probe, program, path, ours, env):
    home = Path(tempfile.mkdtemp(prefix="peer-home-"))
    try:
        page_in(path)
        options = ["--first-text"] + ([f"--caption={path.name}{TITLE}"] if ours else [])
        argv = [probe, "run", *options, "--", program, str(path)]
        out = subprocess.run(argv, env={**env, "HOME": str(home)}, capture_output=True, text=True, timeout=600)
        line = out.stdout.strip().splitlines()[-1] if out.stdout.strip() else ""
        return json.loads(line) if line.startswith("{") else None
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    orlimbo, probe, results = os.path.abspath(argv[1]), os.path.abspath(argv[2]), Path(argv[3])
    opts = argv[4:]
    runs = int(next((o.split("=", 1)[1] for o in opts if o.startswith("--runs=")), "3"))
    peer = next((o.split("=", 1)[1] for o in opts if o.startswith("--peer=")), "glogg")
    against = next((o.split("=", 1)[1] for o in opts if o.startswith("--against=")), None)
    sizes = [MB, 100 * MB] + ([] if "--no-gigabyte" in opts else [GB])
    if not shutil.which(peer):
        print(f"{peer} is not installed: apt-get install {peer}", file=sys.stderr)
        return 1
    results.mkdir(parents=True, exist_ok=True)
    programs = [("orlimbo", orlimbo, True), (peer, peer, False)]
    if against:
        programs.append(("orlimbo (against)", os.path.abspath(against), True))
    env = {k: v for k, v in os.environ.items() if k not in ("HOME", "LANGUAGE", "LC_ALL")}
    env["LANG"] = "ja_JP.UTF-8"
    work = Path(tempfile.mkdtemp(prefix="orlimbo-peer-", dir="/tmp"))
    figures = {}
    try:
        files = make_files(probe, work, sizes)
        for name, path in files.items():
            for round_ in range(runs):
                # Each program goes first in turn.
                order = programs[round_ % len(programs):] + programs[:round_ % len(programs)]
                for label, program, ours in order:
                    got = run_once(probe, program, path, ours, env)
                    figures.setdefault(name, {}).setdefault(label, []).append(got)
                    print(f"{name} {label}: {got}", file=sys.stderr)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    def median(values, key):
        got = [v[key] for v in values if v and key in v]
        return statistics.median(got) if got else None

    table = {}
    for name, by in figures.items():
        size = next(s for s in sizes if name.endswith(size_name(s)))
        table[name] = {label: {"first_text_ms": median(v, "first_text_ms"), "settle_ms": median(v, "settle_ms"),
                               "peak_rss": median(v, "peak_rss"), "size": size} for label, v in by.items()}
    (results / "peer.json").write_text(json.dumps(table, indent=1))
    lines = [f"Medians of {runs} runs, the programs taking turns; first text = launch to the first text in the",
             "middle of the window; settle = shown and the CPU quiet (the 500 ms not counted).", "",
             "| file | program | first text | settle | peak RSS | bytes of RSS a byte |", "|---|---|---:|---:|---:|---:|"]
    fmt = lambda ms: "–" if ms is None else f"{ms:,.0f} ms"
    for name, by in table.items():
        for label, f in by.items():
            rss = f["peak_rss"]
            peak = "–" if rss is None else f"{rss / MB:,.0f} MB"
            per_byte = "–" if rss is None else f"{rss / f['size']:.2f}"
            lines.append(f"| {name} | {label} | {fmt(f['first_text_ms'])} | {fmt(f['settle_ms'])} | {peak} | {per_byte} |")
    for encoding in ("CP932", "UTF-8"):
        small, large = table.get(f"{encoding} 1MB", {}), table.get(f"{encoding} 1GB", {})
        for label in small:
            a, b = small[label]["first_text_ms"], large.get(label, {}).get("first_text_ms")
            if a and b:
                lines.append(f"\n{encoding}, {label}: the first text of 1 GB comes {b / a:.2f} times as late as that of 1 MB.")
    (results / "peer.md").write_text("\n".join(lines) + "\n")
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
