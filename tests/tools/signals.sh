#!/usr/bin/env bash
# zalvo-plan as a process, as a shell user meets it: a batch stopped by
# SIGINT or SIGTERM writes its summary, lists the plates it did not plan and
# leaves no staging folder and no incomplete plate folder; a batch whose
# standard output is closed early still plans every plate.
#
#   signals.sh <zalvo-plan>
set -euo pipefail
plan=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Plates slow enough (a few tenths of a second each) for a signal to land mid-batch.
"$plan" --sample-size 1600x800 --no-svg --out "$work/sample" -q
mkdir "$work/in"
for i in 1 2 3 4 5 6; do cp "$work/sample/plan.png" "$work/in/plate$i.png"; done

check_complete_folders() {
    local out=$1
    if find "$out" -name '.zalvo-plan-staging-*' | grep -q .; then fail "a staging folder is left in $out"; fi
    for folder in "$out"/plate*; do
        [ -d "$folder" ] || continue
        for file in plan.json plan.svg plan.png plan.html; do
            [ -f "$folder/$file" ] || fail "$folder lacks $file"
        done
    done
}

for signal in INT TERM; do
    out="$work/stopped-$signal"
    "$plan" "$work/in" --out "$out" -j 1 -q &
    pid=$!
    sleep 0.5
    kill -s "$signal" "$pid"
    status=0
    wait "$pid" || status=$?
    expected=$((128 + $(kill -l "$signal")))
    [ "$status" -eq "$expected" ] || fail "SIG$signal: exit $status, expected $expected"
    [ "$(tail -n +2 "$out/summary.csv" | wc -l)" -eq 6 ] || fail "the summary does not list all 6 plates"
    grep -q ',interrupted,' "$out/summary.csv" || fail "no plate is listed as interrupted"
    check_complete_folders "$out"
done

# A closed standard output: the first line ends the reader, not the batch.
"$plan" "$work/in" --out "$work/piped" -j 2 | head -n 1 > /dev/null
[ "$(grep -c ',ok,' "$work/piped/summary.csv")" -eq 6 ] || fail "a closed standard output cost plates"
check_complete_folders "$work/piped"
echo "signals: all passed"
