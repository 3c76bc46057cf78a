#!/usr/bin/env bash
# Installs the Debian packages Zalvo needs: with "planner", only what building
# the library and zalvo-plan takes; without, everything the tests, the
# sanitizers, the Windows build, the Python package and fuzzing need too.
# Idempotent: installs only what is missing, and refreshes the package lists
# only when something is.
#
#   scripts/bootstrap.sh [planner]
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    # The planner's command line, report and images.
    libcli11-dev nlohmann-json3-dev libpng-dev zlib1g-dev
)
case "${1:-all}" in
    planner) ;;
    all)
        packages+=(
            libgtest-dev libgmock-dev libbenchmark-dev
            clang libclang-rt-14-dev clang-format-14
            python3
            # The planner's browser test, and the XML reader its picture tests query.
            chromium libpugixml-dev
            # The Windows DLL: cross compiler, its binutils, GoogleTest's source to
            # build for it, and Wine to run its tests.
            g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine64
            # The Python package.
            pybind11-dev python3-dev python3-numpy python3-matplotlib python3-pytest python3-distributed
            python3-hypothesis
            # Its wheel (setuptools driving CMake, installed into a fresh venv), plan_many's progress bar,
            # and the example notebook run headless by the tests.
            python3-pip python3-setuptools python3-wheel python3-venv python3-tqdm python3-nbclient
            python3-nbformat python3-ipykernel
        )
        ;;
    *) echo "usage: scripts/bootstrap.sh [planner]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]})); then
    echo "bootstrap: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
