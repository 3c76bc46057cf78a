#!/usr/bin/env bash
# Runs every test: the unit suite in release and under ASan + UBSan, the
# concurrency test under ThreadSanitizer, and each fuzz target for a minute on
# its corpus, and the Python package's tests. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake --workflow --preset release
cmake --workflow --preset asan
cmake --workflow --preset tsan
# The Python package, against Debian's interpreter (another python3 may come
# first on PATH). pytest exits with 5 when it collects no test: that fails too.
cmake --preset python && cmake --build --preset python
ZALVO_BUILD_DIR="$PWD/build/python" PYTHONPATH="$PWD/build/python/python" /usr/bin/python3 -m pytest python/tests
if [ -x scripts/fuzz.sh ]; then
    scripts/fuzz.sh "${ZALVO_FUZZ_SECONDS:-60}"
fi
