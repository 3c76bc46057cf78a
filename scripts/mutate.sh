#!/usr/bin/env bash
# Mutation check: does each test program notice a small change to the code it
# covers? Every row of the table (scripts/mutations.tsv by default) names a
# file, a literal text to find there, its replacement and the test programs
# that should catch the change (one, or several separated by spaces): a
# GoogleTest program by its target name (test_wiggle, test_tools), optionally
# with a test filter after a colon (test_tools:UnitsTest.*:CutLine*), or a pytest
# file of the Python package by its path (python/tests/test_misuse.py, with
# ::Class or ::Class::test to pick tests), run against the module built from
# the change. The rows are applied one at a time to a scratch copy of the
# working tree, so the tree itself is never modified.
#
# A row is
#   killed      a test program fails, crashes or runs past TEST_TIMEOUT with
#               the change applied,
#   survived    the test programs still pass: a test is missing, or the
#               change cannot be observed (say why next to the row),
#   compile     the change does not build: killed by the compiler,
#   stale       the text is no longer in the file: update the row.
#
# This is a report, not a gate: it always exits 0 once the table has run.
#
# Usage: scripts/mutate.sh [table] [scratch-dir]
#        scripts/mutate.sh --draw SEED COUNT PROGRAMS FILE...
#   table        default scripts/mutations.tsv
#   scratch-dir  default build/mutate (a copy of the tree and its own build)
#   --draw       prints COUNT rows for the table, drawn at random (seeded by
#                SEED) from every one-step change of an operator in the
#                FILEs (paths from the root), to be run by PROGRAMS: a
#                comparison's bound moved (< and <=, > and >=), == and !=,
#                && and ||, + and -, + 1 and - 1 turned to + 2 and - 2, and
#                std::min and std::max. The text to find is the shortest
#                piece around the operator whose first occurrence is it.
# Environment: JOBS (default 2) for the build; TEST_TIMEOUT (default 300)
#   seconds for one test program under one change; SANITIZE (default
#   address, empty for none) the sanitizers of the scratch build.
set -euo pipefail

usage() { sed -n '/^# Usage:/,/^# Environment:/s/^# \{0,1\}//p' "$0" >&2; }
if [[ "${1:-}" == "-h" || "${1:-}" == "--help" ]]; then usage; exit 0; fi

if [[ "${1:-}" == "--draw" ]]; then
    (($# >= 5)) || { usage; exit 2; }
    cd "$(dirname "${BASH_SOURCE[0]}")/.."
    shift
    exec python3 - "$@" <<'PY'
import random, re, sys
seed, count, programs, files = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4:]
# Binary operators stand between spaces in the house style, so template
# brackets, arrows and shifts never match.
swaps = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ", " == ": " != ", " != ": " == ",
         " && ": " || ", " || ": " && ", " + ": " - ", " - ": " + ", " + 1": " + 2", " - 1": " - 2",
         "std::min(": "std::max(", "std::max(": "std::min("}
pattern = re.compile("|".join(re.escape(op) for op in sorted(swaps, key=len, reverse=True)))
candidates = []
for name in files:
    text = open(name, encoding="utf-8").read()
    # Comments and string literals are blanked out (kept the same length)
    # so that nothing in them is drawn.
    code = re.sub(r'//[^\n]*|"(?:\\.|[^"\\])*"', lambda m: " " * len(m.group()), text)
    for match in pattern.finditer(code):
        op = match.group()
        if op in (" + 1", " - 1") and re.match(r"[0-9.]", code[match.end():match.end() + 1]):
            continue
        for replacement in [swaps[op]]:
            line_start = text.rfind("\n", 0, match.start()) + 1
            line_end = text.find("\n", match.end())
            tokens = r"\w+(?:::\w+)*|\S"
            before = [m.start() for m in re.finditer(tokens, text[line_start:match.start()])]
            after = [m.end() for m in re.finditer(tokens, text[match.end():line_end])]
            # Grows the piece by a whole token on each side, within its line,
            # until its first occurrence in the file is this one.
            for grow in range(3, max(len(before), len(after), 3) + 1):
                start = line_start + before[-min(grow, len(before))] if before else match.start()
                end = match.end() + after[min(grow, len(after)) - 1] if after else match.end()
                if text.find(text[start:end]) == start:
                    break
            piece = text[start:end]
            if text.find(piece) != start or "\t" in piece:
                continue
            at = match.start() - start
            candidates.append((name, piece, piece[:at] + replacement + piece[at + len(op):]))
random.Random(seed).shuffle(candidates)
seen = set()
for name, find, replacement in candidates:
    if (name, find) in seen or find == replacement:
        continue
    seen.add((name, find))
    print(f"{name}\t{find}\t{replacement}\t{programs}")
    count -= 1
    if count == 0:
        break
PY
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
table="$(realpath "${1:-$root/scripts/mutations.tsv}")"
scratch="$(realpath -m "${2:-$root/build/mutate}")"
jobs="${JOBS:-2}"
test_timeout="${TEST_TIMEOUT:-300}"
sanitize="${SANITIZE-address}"
[[ -f "$table" ]] || { echo "mutate.sh: no table at $table" >&2; usage; exit 2; }

source_dir="$scratch/src-copy"
build_dir="$scratch/build"
log_dir="$scratch/logs"

# One copy of the tracked files (with uncommitted edits), refreshed on every
# run; the scratch build keeps its objects, so later runs rebuild only what
# changed.
echo "== copying the tree to $source_dir"
mkdir -p "$source_dir" "$log_dir"
# The rows are read from a copy, so the table can be edited during a run.
cp "$table" "$scratch/mutations.tsv"
# Only files whose contents differ are written, so they alone get a new time
# stamp and are rebuilt (also a file left changed by an interrupted run).
(cd "$root" && git ls-files -z --cached --others --exclude-standard) | python3 -c '
import os, shutil, sys
root, copy = sys.argv[1:3]
for name in sys.stdin.buffer.read().decode().split("\0"):
    source = os.path.join(root, name)
    if not name or not os.path.isfile(source):
        continue
    target = os.path.join(copy, name)
    with open(source, "rb") as handle:
        data = handle.read()
    if os.path.isfile(target):
        with open(target, "rb") as handle:
            if handle.read() == data:
                continue
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as handle:
        handle.write(data)
    shutil.copymode(source, target)
' "$root" "$source_dir"

programs="$(awk -F'\t' '!/^#/ && NF >= 4 {print $4}' "$scratch/mutations.tsv" | tr ' ' '\n' | sort -u)"

# A pytest program runs against the Python module, so the module (and the
# planner's core it reuses) is built only when a row names one.
is_pytest() { [[ "$1" == python/tests/* ]]; }
python_flags=()
for program in $programs; do
    if is_pytest "$program"; then python_flags=(-DZALVO_PYTHON=ON -DPython_EXECUTABLE=/usr/bin/python3); fi
done

# The build targets a list of programs needs: a pytest file needs the module,
# and the planner, which the Python tests run beside plan() to compare them.
targets_of() {
    local program
    for program in "$@"; do
        if is_pytest "$program"; then printf '%s\n' _zalvo zalvo-plan; else echo "${program%%:*}"; fi
    done | sort -u
}

# Runs one program of a row; its output goes to the log on standard output.
# The sanitized module runs in an uninstrumented interpreter, so the
# sanitizer runtimes are preloaded, and the interpreter's own allocations,
# which it never frees, are not reported as leaks.
run_program() {
    local program="$1"
    if is_pytest "$program"; then
        local preload=""
        if [[ "$sanitize" == address ]]; then
            preload="$(g++ -print-file-name=libasan.so) $(g++ -print-file-name=libubsan.so)"
        fi
        (cd "$source_dir" &&
            LD_PRELOAD="$preload" ASAN_OPTIONS=detect_leaks=0 PYTHONPATH="$build_dir/python" \
            ZALVO_BUILD_DIR="$build_dir" PYTHONDONTWRITEBYTECODE=1 \
            timeout "$test_timeout" /usr/bin/python3 -m pytest -x -q -p no:cacheprovider "$program")
    else
        local name="${program%%:*}" executable filter=()
        [[ "$program" == *:* ]] && filter=("--gtest_filter=${program#*:}")
        executable="$(find "$build_dir/tests" -name "$name" -type f -perm -u+x -print -quit)"
        [[ -n "$executable" ]] || { echo "mutate.sh: no program $name in $build_dir/tests"; return 2; }
        timeout "$test_timeout" "$executable" "${filter[@]}"
    fi
}

# Warnings stay warnings here: a change that only adds a warning still runs
# against its tests instead of counting as caught. Under AddressSanitizer and
# UBSan a change that reads past a vector or overflows fails at once, where a
# plain build might pass by luck. The planner is built too: its tests are
# programs of the table like the library's.
echo "== configuring and building the tests once in $build_dir"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZALVO_SANITIZE="$sanitize" \
      -DZALVO_BUILD_TESTS=ON -DZALVO_BUILD_TOOLS=ON "${python_flags[@]}" -DZALVO_WARNINGS_AS_ERRORS=OFF \
      >"$log_dir/configure.log" 2>&1 ||
    { echo "mutate.sh: configure failed, see $log_dir/configure.log" >&2; exit 2; }

# shellcheck disable=SC2046,SC2086
cmake --build "$build_dir" -j "$jobs" --target $(targets_of $programs) >"$log_dir/baseline.log" 2>&1 ||
    { echo "mutate.sh: the unchanged tree does not build, see $log_dir/baseline.log" >&2; exit 2; }
for program in $programs; do
    log="$log_dir/baseline-$(tr -c 'A-Za-z0-9_.\n-' _ <<<"$program").log"
    run_program "$program" >"$log" 2>&1 ||
        { echo "mutate.sh: $program fails on the unchanged tree, see $log" >&2; exit 2; }
done

# Replaces the first occurrence of a literal text; exit 3 when it is missing.
replace_first() {
    python3 - "$1" "$2" "$3" <<'PY'
import sys
path, find, replacement = sys.argv[1:4]
with open(path, encoding="utf-8") as handle:
    text = handle.read()
at = text.find(find)
if at < 0:
    sys.exit(3)
with open(path, "w", encoding="utf-8") as handle:
    handle.write(text[:at] + replacement + text[at + len(find):])
PY
}

declare -a killed=() survived=() compile=() stale=()
row=0
while IFS=$'\t' read -r file find replacement program || [[ -n "$file" ]]; do
    [[ -z "$file" || "$file" == \#* ]] && continue
    row=$((row + 1))
    label="$(printf '%2d  %-34s %-12s %s  ->  %s' "$row" "$file" "$program" "$find" "$replacement")"
    target="$source_dir/$file"
    if [[ ! -f "$target" ]]; then
        stale+=("$label"); echo "stale     $label"; continue
    fi
    backup="$(mktemp)"
    cp -p "$target" "$backup"
    if ! replace_first "$target" "$find" "$replacement"; then
        stale+=("$label"); echo "stale     $label"; rm -f "$backup"; continue
    fi
    log="$log_dir/mutation-$row.log"
    # shellcheck disable=SC2046,SC2086
    if ! cmake --build "$build_dir" -j "$jobs" --target $(targets_of $program) >"$log" 2>&1; then
        compile+=("$label"); echo "compile   $label"
    else
        passed=1
        for each in $program; do
            # A change that makes a program loop for ever is caught too.
            run_program "$each" >>"$log" 2>&1 || { passed=0; break; }
        done
        if ((passed)); then
            survived+=("$label"); echo "SURVIVED  $label"
        else
            killed+=("$label"); echo "killed    $label"
        fi
    fi
    # The copy back gets a new time stamp, so the next build compiles the
    # original again.
    cp "$backup" "$target"
    rm -f "$backup"
done <"$scratch/mutations.tsv"

# Leaves the scratch build matching the tree again.
# shellcheck disable=SC2046,SC2086
cmake --build "$build_dir" -j "$jobs" --target $(targets_of $programs) >"$log_dir/restore.log" 2>&1 || true

section() {
    local title="$1"; shift
    echo
    echo "$title: $#"
    for line in "$@"; do echo "  $line"; done
}
echo
echo "== $row mutations: ${#killed[@]} killed by tests, ${#compile[@]} by the compiler, ${#survived[@]} survived, ${#stale[@]} stale"
section "Killed by a test" "${killed[@]}"
section "Killed by the compiler" "${compile[@]}"
section "Survived" "${survived[@]}"
section "Stale (text not found)" "${stale[@]}"
echo
echo "Logs: $log_dir"
exit 0
