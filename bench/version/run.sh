#!/usr/bin/env bash
# Version reader against wrestool (icoutils) on a 1 GiB PE file whose resource section lies at
# its end: bytes read by our reader (must stay under 1 MiB) and the time of both, median of five
# runs after a warm-up, with the ratio ours / theirs. Usage: bench/version/run.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
command -v wrestool >/dev/null || { echo "wrestool missing: WITH_EXTRAS=1 scripts/install-deps.sh"; exit 1; }
cmake --build "$build" --target mkpe tallyrune-updatectl platform >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
probe=$work/version-probe
${CXX:-c++} -std=c++20 -O2 -I"$root/src" "$root/bench/version/probe.cpp" "$build/src/platform/libplatform.a" -o "$probe"

file=$work/Tallyrune.exe
size=$((1 << 30))
"$build/bin/mkpe" "$file" --file-version 1.2.3.4 --section-offset $((size - 4096)) \
    --string CompanyName="Harrowmere Software" --string ProductName=Tallyrune --string FileVersion=1.2.3.4
truncate -s "$size" "$file"
echo "file: $(du -h --apparent-size "$file" | cut -f1) apparent, $(du -h "$file" | cut -f1) on disk"

read -r status bytes < <("$probe" "$file")
[[ $status == ok ]] || { echo "the probe could not read the version"; exit 1; }
verdict="under 1 MiB"; (( bytes < 1048576 )) || verdict="OVER 1 MiB"
echo "bytes read by the reader: $bytes ($verdict)"
# wrestool only extracts icons and cursors as files; other types need --raw.
peer_bytes=$(wrestool -x --raw -t 16 "$file" | wc -c)
(( peer_bytes > 0 )) || { echo "wrestool found no version resource"; exit 1; }
echo "version resource as wrestool extracts it: $peer_bytes bytes"

# Median wall time in milliseconds of five runs of a command, after one warm-up run.
median_ms() {
    "$@" >/dev/null 2>&1 || true
    local times=()
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

theirs=$(median_ms wrestool -x --raw -t 16 "$file")
probe_us=$(median_ms "$probe" "$file")
cli_us=$(median_ms "$build/bin/tallyrune-updatectl" verinfo "$file")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
printf 'wrestool -x --raw -t 16: %8.2f ms\n' "$(awk -v t="$theirs" 'BEGIN { print t / 1000 }')"
printf 'version probe:           %8.2f ms  ratio %s (target <= 0.5)\n' \
    "$(awk -v t="$probe_us" 'BEGIN { print t / 1000 }')" "$(ratio "$probe_us" "$theirs")"
printf 'updatectl verinfo:       %8.2f ms  ratio %s (target <= 0.5)\n' \
    "$(awk -v t="$cli_us" 'BEGIN { print t / 1000 }')" "$(ratio "$cli_us" "$theirs")"
