#!/usr/bin/env bash
# How many lines the tests take against the code they test. Counts the source
# files of the work tree that git tracks or would track (untracked files not
# ignored count too): C++, Python, CMake, shell, JavaScript and CSS files and
# CMakeLists.txt. Tests are tests/ and python/tests/; the code is every other
# such file outside docs/, examples/ and fuzz/corpus/.
#
# Prints the lines per folder (the first level, and tests/<each> and
# python/tests on their own), the two totals and their ratio.
#
# Usage: scripts/line-count.sh
set -euo pipefail

if [[ "${1:-}" == "-h" || "${1:-}" == "--help" ]]; then
    sed -n '2,/^# Usage:/s/^# \{0,1\}//p' "$0"
    exit 0
fi
cd "$(dirname "${BASH_SOURCE[0]}")/.."

source_pattern='\.(cpp|h|hpp|py|cmake|sh|js|css)$|CMakeLists\.txt$'

# Every file once, with its line count (as `wc -l` counts: newlines). Files
# listed but deleted from the work tree are skipped.
git ls-files -z --cached --others --exclude-standard | python3 -c '
import os, re, sys
pattern = re.compile(sys.argv[1])
for name in sorted(set(sys.stdin.buffer.read().decode().split("\0"))):
    if not name or not pattern.search(name) or not os.path.isfile(name):
        continue
    with open(name, "rb") as handle:
        print(handle.read().count(b"\n"), name)
' "$source_pattern" | awk '
function folder(path,    parts, n) {
    n = split(path, parts, "/")
    if (n == 1) return "(top level)"
    if (parts[1] == "tests" && n > 2) return "tests/" parts[2]
    if (parts[1] == "python" && parts[2] == "tests") return "python/tests"
    return parts[1]
}
{
    lines = $1
    path = $2
    if (path ~ /^(docs|examples|fuzz\/corpus)\//) next
    group = folder(path)
    per[group] += lines
    if (path ~ /^(tests|python\/tests)\//) tests += lines; else code += lines
}
END {
    printf "%-24s %8s  %s\n", "folder", "lines", "counted as"
    n = 0
    for (group in per) names[++n] = group
    # Sorted by name, so that two runs compare line by line.
    for (i = 2; i <= n; ++i) {
        name = names[i]
        for (j = i - 1; j >= 1 && names[j] > name; --j) names[j + 1] = names[j]
        names[j + 1] = name
    }
    for (i = 1; i <= n; ++i) {
        kind = names[i] ~ /^(tests|python\/tests)(\/|$)/ ? "tests" : "code"
        printf "%-24s %8d  %s\n", names[i], per[names[i]], kind
    }
    printf "\n%-24s %8d\n%-24s %8d\n", "tests", tests, "code", code
    printf "%-24s %8.2f\n", "tests / code", code ? tests / code : 0
}'
