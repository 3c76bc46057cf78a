#!/usr/bin/env bash
# Runs every test: the unit suite in release and under ASan + UBSan, the
# concurrency test under ThreadSanitizer, and each fuzz target for a minute on
# its corpus. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake --workflow --preset release
cmake --workflow --preset asan
cmake --workflow --preset tsan
if [ -x scripts/fuzz.sh ]; then
    scripts/fuzz.sh "${ZALVO_FUZZ_SECONDS:-60}"
fi
