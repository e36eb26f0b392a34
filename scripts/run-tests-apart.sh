#!/usr/bin/env bash
# Runs every test of the given test programs in a process of its own, two at a time, and prints
# the output of those that fail. Used for the ThreadSanitizer run: a test that starts a child
# process through Qt leaves the checker's view of the parent's locks unreliable for whatever runs
# after it in the same process.
#   scripts/run-tests-apart.sh BIN_DIR PROGRAM...
set -uo pipefail
bin=${1:?usage: $0 BIN_DIR PROGRAM...}
shift
export QT_QPA_PLATFORM=offscreen TALLYRUNE_BIN_DIR=$bin
list=$(mktemp)
trap 'rm -f "$list"' EXIT
for p in "$@"; do
    "$bin/$p" --gtest_list_tests | awk -v p="$p" '/^[^ ]/ { suite = $1 } /^  / { print p, suite $1 }' >>"$list" ||
        { echo "$p: cannot list its tests" >&2; exit 1; }
done
echo "$(wc -l <"$list") tests"
# Each line: program and test; a failing test prints its output and makes the run fail.
xargs -P 2 -L 1 sh -c 'out=$(timeout 900 "$0/$1" --gtest_filter="$2" 2>&1) || { printf "FAILED %s %s\n%s\n" "$1" "$2" "$out"; exit 1; }' "$bin" <"$list"
status=$?
[[ $status -eq 0 ]] && echo "all passed"
exit $status
