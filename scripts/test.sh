#!/usr/bin/env bash
# Runs every test: the house style of every C++ file, the unit suite in release and under ASan + UBSan, the
# concurrency test under ThreadSanitizer, the Windows build under Wine, the
# Python package's tests, and each fuzz target for a minute on its corpus.
# Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
bash scripts/check-format.sh
# Tests against code, by lines: a report, not a gate.
bash scripts/line-count.sh | tail -n 3
cmake --workflow --preset release
cmake --workflow --preset asan
cmake --workflow --preset tsan
# The Windows DLL, cross-built with MinGW-w64 and tested under Wine. Wine makes
# its prefix on the first start; do it once here, not inside a test program.
WINEDEBUG=-all /usr/lib/wine/wine64 wineboot --init
cmake --workflow --preset windows
# The Python package, against Debian's interpreter (another python3 may come
# first on PATH). pytest exits with 5 when it collects no test: that fails too.
cmake --preset python && cmake --build --preset python
ZALVO_BUILD_DIR="$PWD/build/python" PYTHONPATH="$PWD/build/python/python" /usr/bin/python3 -m pytest python/tests
bash scripts/fuzz.sh "${ZALVO_FUZZ_SECONDS:-60}"
