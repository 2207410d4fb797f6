#!/usr/bin/env bash
# Measures the recognition of a file's encoding and writes the section "Encoding recognition"
# at the end of bench/RESULTS.md (replacing an earlier one; the rest of the file stays).
#
#   bench/encoding_results.sh [texts per encoding (default 250)]
#
# The corpus table comes from build/encoding_corpus_report; the times from the Encoding/*
# cases of build/orlimbo_bench, set against Load/10MB/wrap_off of the same run.
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
QT_QPA_PLATFORM=offscreen build/orlimbo_bench --benchmark_filter='^(Encoding/|Load/10MB/wrap_off)' \
    --benchmark_out="$out/times.json" --benchmark_out_format=json >/dev/null 2>"$out/bench.err" || {
    cat "$out/bench.err" >&2
    exit 1
}

python3 - "$out" bench/RESULTS.md "$(git rev-parse --short HEAD 2>/dev/null || echo unknown)" <<'PY'
import json
import re
import sys
from pathlib import Path

out, results, commit = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
heading = "## Encoding recognition"

medians = {}
for b in json.loads((out / "times.json").read_text())["benchmarks"]:
    name = re.sub(r"/(repeats|iterations|manual_time|real_time)[^/]*", "", b["run_name"])
    if b.get("error_occurred"):
        medians[name] = None
    elif b.get("aggregate_name") == "median" or (b.get("run_type") == "iteration" and name not in medians):
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        medians[name] = b["real_time"] * scale

load = medians.get("Load/10MB/wrap_off")
rows = []
for name, ms in medians.items():
    if not name.startswith("Encoding/"):
        continue
    share = "" if ms is None or not load else f"{100 * ms / load:.1f} %"
    target = ""
    if name.startswith("Encoding/Detect/") and ms is not None and load:
        target = "yes" if ms <= 0.1 * load else "no"
    rows.append(f"| {name} | {'failed' if ms is None else f'{ms:.3f}'} | {share} | {target} |")

lines = [
    heading,
    "",
    "Written by `bench/encoding_results.sh`; do not edit by hand. "
    f"Commit {commit}; load average {Path('/proc/loadavg').read_text().split()[0]} at the end.",
    "",
    "### Right and wrong on the generated corpus",
    "",
    (out / "corpus.md").read_text().rstrip(),
    "",
    "### Time against the load of a 10 MB file",
    "",
    f"Load/10MB/wrap_off (CP932, view and status bar) took {load:.1f} ms in the same run; the recognition "
    "may cost at most 10 % of it. Median of three repetitions each.",
    "",
    "| Case | Median ms | Of the load | Within 10 % |",
    "|---|---:|---:|---|",
    *rows,
    "",
    "- Encoding/Detect/*: `EncodingDetect::detect` on the load benchmark's text (Japanese and ASCII lines, "
    "CR LF) in each encoding, UTF-16 with its byte-order mark, the others without.",
    "- Encoding/Detect/EUC-halfwidth-kana: half-width kana in EUC-JP, which decode as CP932 too, so both "
    "decodings are read up to the 256 KB after which the score decides.",
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
