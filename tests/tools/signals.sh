#!/usr/bin/env bash
# zalvo-plan as a shell user meets it: a batch stopped by SIGINT or SIGTERM writes its summary, lists the
# plates it did not plan and leaves no staging or incomplete plate folder; a closed stdout costs no plate.
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
    if find "$1" -name '.zalvo-plan-staging-*' | grep -q .; then fail "a staging folder is left in $1"; fi
    for folder in "$1"/plate*; do
        for file in plan.json plan.svg plan.png plan.html; do
            [ ! -d "$folder" ] || [ -f "$folder/$file" ] || fail "$folder lacks $file"
        done
    done
}
for signal in INT TERM; do
    out="$work/stopped-$signal"
    "$plan" "$work/in" --out "$out" -j 1 -q &
    pid=$!
    sleep 0.5
    kill -s "$signal" "$pid"
    status=0 && wait "$pid" || status=$?
    [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal: exit $status"
    [ "$(tail -n +2 "$out/summary.csv" | wc -l)" -eq 6 ] || fail "the summary does not list all 6 plates"
    grep -q ',interrupted,' "$out/summary.csv" || fail "no plate is listed as interrupted"
    check_complete_folders "$out"
done
# A closed standard output: the first line ends the reader, not the batch.
"$plan" "$work/in" --out "$work/piped" -j 2 | head -n 1 > /dev/null
[ "$(grep -c ',ok,' "$work/piped/summary.csv")" -eq 6 ] || fail "a closed standard output cost plates"
check_complete_folders "$work/piped"
echo "signals: all passed"
