#!/usr/bin/env bash
# The side-by-side comparison in one command: installs the tools compared
# (Boost Graph Library, scikit-image, GNU time), builds the bench preset,
# times the library against them on the same generated inputs, measures peak
# memory, and prints one table. The library's own build needs none of these.
#
# usage: bench/compare/run.sh [--quick] [--large] [--repetitions N]
#   --quick          small inputs and one repetition: checks that everything runs
#   --large          adds a 72-megapixel plate (12000 x 6000) to the suite
#   --repetitions N  timed rounds per measurement (default 5); the table shows medians
set -euo pipefail
cd "$(dirname "$0")/../.."

quick=()
large=()
repetitions=5
memory_size=(8000 4000)
while (($#)); do
    case "$1" in
        --quick) quick=(--quick); repetitions=1; memory_size=(800 400) ;;
        --large) large=(--large) ;;
        --repetitions) repetitions="$2"; shift ;;
        *) echo "usage: $0 [--quick] [--large] [--repetitions N]" >&2; exit 2 ;;
    esac
    shift
done

# Tools to build the library, then the tools compared with it.
scripts/bootstrap.sh
packages=(libboost-graph-dev python3-skimage python3-numpy time)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "compare: installing ${missing[*]}" >&2
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

cmake --preset bench >/dev/null
cmake --build --preset bench --target zalvo_compare >&2
compare=build/bench/bench/compare/zalvo_compare
work=build/bench/compare-run
rm -rf "$work"
mkdir -p "$work"

echo "compare: scikit-image ..." >&2
"$compare" grids "$work" "${quick[@]}"
# Debian's interpreter, where python3-skimage is installed (not a pyenv or venv one).
/usr/bin/python3 bench/compare/skimage_search.py "$work/grids.tsv" "$repetitions" >"$work/skimage.tsv"

echo "compare: peak memory on ${memory_size[0]} x ${memory_size[1]} ..." >&2
for what in search terrain; do
    call=$(/usr/bin/time -v "$compare" once "$what" "${memory_size[@]}" 2>"$work/time-$what.txt")
    process=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time-$what.txt")
    printf '%s\t%s\t%s\t%s\t%s\n' "$what" "$process" "$call" "${memory_size[@]}" >>"$work/memory.tsv"
done
# One process per plate family, each prints its own size.
for family in $("$compare" families "${quick[@]}" "${large[@]}"); do
    call=$(/usr/bin/time -v "$compare" once "$family" "${quick[@]}" "${large[@]}" 2>"$work/time-$family.txt")
    process=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time-$family.txt")
    printf '%s\t%s\t%s\n' "$family" "$process" "$call" >>"$work/memory.tsv"
done

"$compare" table "${quick[@]}" "${large[@]}" --repetitions "$repetitions" \
    --skimage "$work/skimage.tsv" --memory "$work/memory.tsv"
