#!/usr/bin/env python3
"""Builds a large CP932 file from the Aozora Bunko texts of bench/data/aozora.txt.xz.

aozora.py OUT [BYTES] [SEED]

The works (UTF-8, LF, separated by lines holding a form feed alone) are concatenated in a
seeded shuffled order, reshuffled each time all are used, whole lines only, until the next
line would pass BYTES (default 100 MB); written as CP932 with CR LF. Prints one line of
JSON: the file's size, the works used and the characters that have no CP932 form
(replaced by '〓', the mark Japanese typesetting uses for a missing character).
"""
import json
import lzma
import random
import sys
from pathlib import Path

DATA = Path(__file__).resolve().parent / "data" / "aozora.txt.xz"
SEPARATOR = "\f"

# Characters that Unicode converters give for JIS X 0208 codes where CP932 has another code
# point for the same code (the wave dash, the double vertical line, the minus sign ...).
TO_CP932 = str.maketrans({
    "\u301c": "\uff5e", "\u2016": "\u2225", "\u2212": "\uff0d", "\u00a2": "\uffe0",
    "\u00a3": "\uffe1", "\u00ac": "\uffe2", "\u2014": "\u2015",
})


def works():
    text = lzma.decompress(DATA.read_bytes()).decode("utf-8")
    return [w.strip("\n") + "\n" for w in text.split("\n" + SEPARATOR + "\n") if w.strip()]


def encode(work):
    """The work in CP932 with CR LF, and the number of characters without a CP932 form."""
    missing = 0
    out = []
    for line in work.translate(TO_CP932).split("\n")[:-1]:
        try:
            out.append(line.encode("cp932") + b"\r\n")
        except UnicodeEncodeError:
            chars = []
            for c in line:
                try:
                    chars.append(c.encode("cp932"))
                except UnicodeEncodeError:
                    missing += 1
                    chars.append("〓".encode("cp932"))
            out.append(b"".join(chars) + b"\r\n")
    return out, missing


def build(path, size, seed):
    encoded = [encode(w) for w in works()]
    order = random.Random(seed)
    written = used = 0
    with open(path, "wb") as f:
        while True:
            indexes = list(range(len(encoded)))
            order.shuffle(indexes)
            for i in indexes:
                for line in encoded[i][0]:
                    if written + len(line) > size:
                        return {"bytes": written, "works": len(encoded), "works_written": used,
                                "missing_chars_per_pass": sum(m for _, m in encoded)}
                    f.write(line)
                    written += len(line)
                used += 1


def main():
    path = sys.argv[1]
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 100 * 1024 * 1024
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 42
    print(json.dumps(build(path, size, seed)))


if __name__ == "__main__":
    main()
