#!/usr/bin/env bash
# The planner at plate scale: drawing against the search, the whole run
# against the search, peak memory and the sizes of the outputs, on the
# built-in sample at 12000 x 6000 (72 Mpx) and on a text page of 6144 x 3056
# drawn here. Times come from each run's own plan.json, so every ratio is
# measured within one run; the peak is the process's (GNU time).
#
#   bench/planner/run.sh [zalvo-plan]     (default: build/planner/tools/zalvo-plan, built if missing)
set -euo pipefail
cd "$(dirname "$0")/../.."
plan=${1:-build/planner/tools/zalvo-plan}
if [ ! -x "$plan" ]; then
    cmake --preset planner >/dev/null && cmake --build --preset planner >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A scanned page of text: lines of word-like marks on white.
/usr/bin/python3 - "$work/text-page.pgm" <<'PY'
import random, sys
columns, rows = 6144, 3056
random.seed(3056)
page = bytearray(b"\xff" * columns * rows)
for top in range(160, rows - 160, 64):
    x = 200
    while x < columns - 400:
        word = random.randint(60, 260)
        for y in range(top, top + 28):
            row = y * columns
            for letter in range(x, x + word, 18):
                page[row + letter: row + letter + 12] = b"\x10" * 12
        x += word + random.randint(24, 40)
with open(sys.argv[1], "wb") as out:
    out.write(b"P5\n%d %d\n255\n" % (columns, rows) + bytes(page))
PY

measure() {
    local name=$1; shift
    local out="$work/$name"
    /usr/bin/time -f '%e %M' -o "$work/$name.time" "$plan" "$@" --out "$out" -q
    /usr/bin/python3 - "$name" "$out" "$work/$name.time" <<'PY'
import json, os, sys
name, out, timing = sys.argv[1:]
wall, peak_kib = open(timing).read().split()
t = json.load(open(os.path.join(out, "plan.json")))["timings"]
search = t["findShortestPixelPath"]
# Drawn one after another (an earlier planner) or at once (drawPictures is their wall time).
drawing = t.get("shadePlate", 0) + t.get("drawPictures", sum(t[k] for k in ("renderSvg", "renderPng", "renderHtml")))
whole = float(wall) * 1000
size = lambda f: os.path.getsize(os.path.join(out, f)) / 1e6
print(f"== {name}")
for stage, ms in t.items():
    print(f"  {stage:22s} {ms / 1000:8.3f} s")
print(f"  whole run (wall)       {whole / 1000:8.3f} s")
print(f"  peak memory            {int(peak_kib) / 1024:8.0f} MiB")
print(f"  plan.svg {size('plan.svg'):.2f} MB, plan.png {size('plan.png'):.2f} MB, "
      f"plan.html {size('plan.html'):.2f} MB, plan.json {size('plan.json'):.2f} MB")
checks = [("all drawing / search", drawing / search, 0.25), ("whole run / search", whole / search, 1.5),
          ("peak memory (GB)", int(peak_kib) * 1024 / 1e9, 1.0),
          ("plan.svg (MB)", size("plan.svg"), 3.0), ("plan.html (MB)", size("plan.html"), 3.0)]
for label, value, limit in checks:
    print(f"  {label:22s} {value:8.3f}  (at most {limit}): {'holds' if value <= limit else 'MISSED'}")
PY
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure sample-72mpx --sample-size 12000x6000
measure text-page "$work/text-page.pgm" --resolution 300
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
