#!/usr/bin/env bash
# Fails when a C++ file of the project differs from the house style
# (.clang-format), naming the files. Uses Debian's clang-format-14, the
# version the style was written for; `--fix` rewrites the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.h' '*.cpp' | grep -v '^fuzz/corpus/')
if [ "${1:-}" = "--fix" ]; then
    clang-format-14 -i "${files[@]}"
    exit 0
fi
unformatted=()
for file in "${files[@]}"; do
    clang-format-14 --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if ((${#unformatted[@]})); then
    echo "not in the house style (run scripts/check-format.sh --fix):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "format: ${#files[@]} files in the house style"
