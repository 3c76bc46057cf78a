#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset "fuzz", in build/fuzz) and
# runs each one after the other on its corpus, failing on the first finding
# (a crash, a sanitizer report, an undocumented exception, a timeout or
# excessive memory).
#
#   scripts/fuzz.sh [seconds per target, default 60] [--merge] [target...]
#
# The committed corpus fuzz/corpus/<target>/ is read, never written; new
# inputs collect in build/fuzz/corpus/<target>/. With --merge the inputs that
# add coverage are merged into the committed corpus afterwards. Findings are
# written to build/fuzz/findings/. Needs clang and libclang-rt-14-dev.
set -euo pipefail

cd "$(dirname "$0")/.."
seconds=60
merge=0
targets=()
for argument in "$@"; do
    case "$argument" in
        --merge) merge=1 ;;
        ''|*[!0-9]*) targets+=("$argument") ;;
        *) seconds=$argument ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || targets=(grid terrain optimize wiggle rooms image)

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p build/fuzz/findings
# The flags that keep one run honest on a 2-core machine: a hang is a finding
# after 5 s, an allocation above 512 MB or a resident size above 2 GB is one
# too. The targets run in sequence, each in-process: -jobs=N would fork
# workers that log to fuzz-<job>.log instead of the log read here.
flags=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512
       -print_final_stats=1 -artifact_prefix="$PWD/build/fuzz/findings/")
status=0
for target in "${targets[@]}"; do
    work="build/fuzz/corpus/$target"
    mkdir -p "$work" "fuzz/corpus/$target"
    echo "=== fuzz_$target: ${seconds} s"
    if ! (cd build/fuzz && ./fuzz/fuzz_"$target" "${flags[@]}" "../../$work" "../../fuzz/corpus/$target" \
              > "fuzz-$target.log" 2>&1); then
        echo "*** fuzz_$target found a problem; see build/fuzz/fuzz-$target.log and build/fuzz/findings/"
        grep -E 'finding in|ERROR|SUMMARY' "build/fuzz/fuzz-$target.log" | head -n 5 || true
        status=1
        continue
    fi
    grep -E '^(#[0-9]+.*(DONE|pulse)|stat::)' "build/fuzz/fuzz-$target.log" | tail -n 6
    if [ "$merge" = 1 ]; then
        ./build/fuzz/fuzz/fuzz_"$target" -merge=1 "fuzz/corpus/$target" "$work" > "build/fuzz/merge-$target.log" 2>&1
        echo "merged: $(ls "fuzz/corpus/$target" | wc -l) inputs in fuzz/corpus/$target"
    fi
done
exit $status
