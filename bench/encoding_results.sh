#!/usr/bin/env bash
# Measures the recognition of a file's encoding and writes the section "Encoding recognition"
# at the end of bench/RESULTS.md (replacing an earlier one; the rest of the file stays).
#
#   [OLD_BENCH=path/to/an/older/orlimbo_bench] bench/encoding_results.sh [texts per encoding (default 250)]
#
# The corpus table comes from build/encoding_corpus_report; the times from the Encoding/*
# cases of build/orlimbo_bench, set against Load/10MB/wrap_off of the same run. With OLD_BENCH,
# that binary's Encoding/* cases run in the same run, taking turns with this one's, and each
# case's time is also given as a ratio to the old one.
set -euo pipefail
cd "$(dirname "$0")/.."
per_encoding="${1:-250}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target encoding_corpus_report orlimbo_bench

out=build/bench-results/encoding
mkdir -p "$out"
set +e
build/encoding_corpus_report "$per_encoding" >"$out/corpus.md"
corpus_status=$?
set -e
# Other builds share the machine: with OLD_BENCH, old and new take turns twice, and each case
# keeps the lower of its two medians.
rm -f "$out"/times*.json
rounds=1
[[ -n "${OLD_BENCH:-}" ]] && rounds=2
for round in $(seq "$rounds"); do
    if [[ -n "${OLD_BENCH:-}" ]]; then
        QT_QPA_PLATFORM=offscreen "$OLD_BENCH" --benchmark_filter='^Encoding/' \
            --benchmark_out="$out/times-old-$round.json" --benchmark_out_format=json >/dev/null 2>"$out/bench-old.err" || {
            cat "$out/bench-old.err" >&2
            exit 1
        }
    fi
    QT_QPA_PLATFORM=offscreen build/orlimbo_bench --benchmark_filter='^(Encoding/|Load/10MB/wrap_off)' \
        --benchmark_out="$out/times-$round.json" --benchmark_out_format=json >/dev/null 2>"$out/bench.err" || {
        cat "$out/bench.err" >&2
        exit 1
    }
done

python3 - "$out" bench/RESULTS.md "$(git rev-parse --short HEAD 2>/dev/null || echo unknown)" "${OLD_BENCH:-}" <<'PY'
import json
import re
import sys
from pathlib import Path

out, results, commit, old_bench = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3], sys.argv[4]
heading = "## Encoding recognition"

def read_medians(path):
    medians = {}
    for b in json.loads(path.read_text())["benchmarks"]:
        name = re.sub(r"/(repeats|iterations|manual_time|real_time)[^/]*", "", b["run_name"])
        if b.get("error_occurred"):
            medians[name] = None
        elif b.get("aggregate_name") == "median" or (b.get("run_type") == "iteration" and name not in medians):
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            medians[name] = b["real_time"] * scale
    return medians


def lowest(paths):
    """Each case's lowest median over the runs."""
    runs = [read_medians(p) for p in paths]
    if not runs:
        return None
    best = {}
    for run in runs:
        for name, ms in run.items():
            if name not in best or (ms is not None and (best[name] is None or ms < best[name])):
                best[name] = ms
    return best


medians = lowest(sorted(out.glob("times-[0-9]*.json")))
old_medians = lowest(sorted(out.glob("times-old-*.json")))

corpus = (out / "corpus.md").read_text()
undamaged, _, damaged = corpus.partition("\n#### Damaged texts\n")

load = medians.get("Load/10MB/wrap_off")
rows = []
for name, ms in medians.items():
    if not name.startswith("Encoding/"):
        continue
    share = "" if ms is None or not load else f"{100 * ms / load:.1f} %"
    target = ""
    if name.startswith("Encoding/Detect/") and ms is not None and load:
        target = "yes" if ms <= 0.1 * load else "no"
    ratio = ""
    if old_medians is not None:
        old_ms = old_medians.get(name)
        ratio = "-" if old_ms is None or ms is None else f"{ms / old_ms:.2f}"
    rows.append(f"| {name} | {'failed' if ms is None else f'{ms:.3f}'} | {share} | {target} | {ratio} |")

lines = [
    heading,
    "",
    "Written by `bench/encoding_results.sh`; do not edit by hand. "
    f"Commit {commit}; load average {Path('/proc/loadavg').read_text().split()[0]} at the end.",
    "",
    "### Right and wrong on the generated corpus",
    "",
    undamaged.rstrip(),
    "",
    "### Damaged texts, ours against uchardet",
    "",
    "Below 1 KB a text must decode without an error (a rate over so few bytes says nothing), so the "
    "damaged copies start at 1 KB. uchardet names no encoding at all for UTF-16 without a mark.",
    "",
    damaged.strip(),
    "",
    "### Time against the load of a 10 MB file",
    "",
    f"Load/10MB/wrap_off (CP932, view and status bar) took {load:.1f} ms in the same run; the recognition "
    "may cost at most 10 % of it. Median of three repetitions each"
    + (f"; the old binary {old_bench} and this one took turns twice, each case keeping the lower of its two medians. "
       "New / old: the time against the old binary's (- where it has no such case or failed it)."
       if old_medians is not None else " (no older binary was given to compare with: OLD_BENCH)."),
    "",
    "| Case | Median ms | Of the load | Within 10 % | New / old |",
    "|---|---:|---:|---|---:|",
    *rows,
    "",
    "- Encoding/Detect/*: `EncodingDetect::detect` on the load benchmark's text (Japanese and ASCII lines, "
    "CR LF) in each encoding, UTF-16 with its byte-order mark, the others without.",
    "- Encoding/Detect/EUC-halfwidth-kana: half-width kana in EUC-JP, which decode as CP932 too, so both "
    "decodings are read up to the 256 KB after which the score decides.",
    "- Encoding/Detect/UTF-8-damaged/10MB: the UTF-8 text with a stray byte in each 64 KB and its last "
    "character cut; the fast check of valid UTF-8 fails, and the errors are counted to the end.",
    "- Encoding/Decode/*: `EncodingDetect::decode` to the text form, for the loader of the other encodings.",
    "",
]
text = results.read_text() if results.exists() else ""
at = text.find("\n" + heading + "\n")
if at >= 0:
    text = text[: at + 1]
elif text.startswith(heading + "\n"):
    text = ""
text = text.rstrip("\n") + "\n\n" if text else ""
results.write_text(text + "\n".join(lines))
PY
echo "written the encoding section of bench/RESULTS.md"
exit "$corpus_status"
