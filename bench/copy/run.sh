#!/usr/bin/env bash
# The update's copy (tallyrune-updatectl copy --quiet) against `cp -a` on the same trees, in the
# same run, alternating, over a target that already holds an older copy. Prints the median times,
# the ratios (ours / theirs) and our peak memory. On demand only.
#
#   bench/copy/run.sh BUILD_DIR            all three cases
#   CASES="a b" RUNS=7 bench/copy/run.sh BUILD_DIR
#   BENCH_TMP=/work/tmp bench/copy/run.sh BUILD_DIR   where the trees go (default /tmp; needs ~4.5 GiB for c)
#
# Ours makes the copy durable (syncfs) before it reports success; cp -a does not, so each case
# shows the ratio both against cp -a alone and against cp -a followed by `sync -f` on the target.
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR}
ctl=$(realpath "$build/bin/tallyrune-updatectl")
[[ -x "$ctl" ]] || { echo "no $ctl: build the target tallyrune-updatectl first" >&2; exit 1; }
runs=${RUNS:-5}
cases=${CASES:-a b c}
root=$(mktemp -d "${BENCH_TMP:-/tmp}/copybench.XXXXXX")
trap 'rm -rf "$root"' EXIT

# Trees: the update (src) and the older copy it goes over (old), same names, different bytes.
make_tree() { # case dir seed
    python3 - "$1" "$2" "$3" <<'EOF'
import os, random, sys
case, root, seed = sys.argv[1], sys.argv[2], int(sys.argv[3])
rnd = random.Random(42)          # same names and sizes for src and old
fill = bytes([65 + seed]) * 4096
def write(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        while size > 0:
            n = min(size, 1 << 20)
            f.write((fill * (n // 4096 + 1))[:n]); size -= n
if case == "a":      # 2,000 files of 4 to 256 KiB in 60 folders
    for i in range(2000):
        write(f"{root}/d{i % 60:02d}/f{i:04d}.dat", rnd.randint(4, 256) * 1024)
elif case == "b":    # 20,000 files of 1 KiB (in 100 folders)
    for i in range(20000):
        write(f"{root}/d{i % 100:03d}/f{i:05d}.cfg", 1024)
elif case == "c":    # 4 files of 256 MiB
    for i in range(4):
        write(f"{root}/big{i}.bin", 256 << 20)
EOF
}

now() { date +%s%N; }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# Two versions of the tree, v1 and v2; each run copies the version the target does not hold, so
# every run overwrites an older copy with different bytes, as an update does. Everything is flushed
# before each timed run so that no writeback of an earlier run is pending.
time_ours() { local t0; t0=$(now); "$ctl" copy --quiet "$1/*.*" "$2"; echo $(( $(now) - t0 )); }
time_cp() { local t0; t0=$(now); cp -a "$1/." "$2/"; echo $(( $(now) - t0 )); }
time_cp_sync() { local t0; t0=$(now); cp -a "$1/." "$2/" && sync -f "$2"; echo $(( $(now) - t0 )); }

printf '%-4s %10s %10s %12s %12s %14s %10s\n' case ours_ms cp_ms cp+sync_ms ours/cp ours/cp+sync maxrss_MiB
for c in $cases; do
    make_tree "$c" "$root/v1" 13
    make_tree "$c" "$root/v2" 14
    for tool in ours cp cps; do cp -a "$root/v1/." "$root/tgt-$tool/"; done
    ours=() cp=() cps=()
    # One warm-up of each, then alternate the order so that neither always runs on a warmer cache.
    for ((i = 0; i <= runs; i++)); do
        src="$root/v$((2 - i % 2))"
        order=(ours cp cps)
        ((i % 2)) && order=(cps cp ours)
        for tool in "${order[@]}"; do
            tgt="$root/tgt-$tool"
            sync
            case $tool in
            ours) v=$(time_ours "$src" "$tgt") ;;
            cp) v=$(time_cp "$src" "$tgt") ;;
            cps) v=$(time_cp_sync "$src" "$tgt") ;;
            esac
            ((i == 0)) && continue
            case $tool in ours) ours+=("$v") ;; cp) cp+=("$v") ;; cps) cps+=("$v") ;; esac
        done
    done
    diff -r "$src" "$root/tgt-ours" >/dev/null || { echo "case $c: our copy differs from the source" >&2; exit 1; }
    other="$root/v1"; [[ "$src" == "$other" ]] && other="$root/v2"
    sync
    rss=$(/usr/bin/time -f %M "$ctl" copy --quiet "$other/*.*" "$root/tgt-ours" 2>&1 >/dev/null | tail -1)
    mo=$(printf '%s\n' "${ours[@]}" | median)
    mc=$(printf '%s\n' "${cp[@]}" | median)
    ms=$(printf '%s\n' "${cps[@]}" | median)
    awk -v c="$c" -v o="$mo" -v p="$mc" -v s="$ms" -v r="$rss" 'BEGIN {
        printf "%-4s %10.1f %10.1f %12.1f %12.2f %14.2f %10.1f\n", c, o/1e6, p/1e6, s/1e6, o/p, o/s, r/1024 }'
    rm -rf "$root"/v1 "$root"/v2 "$root"/tgt-*
done
