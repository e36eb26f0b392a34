#!/usr/bin/env bash
# The update's copy (tallyrune-updatectl copy --quiet) against the tools an administrator would use
# instead, on the same trees, in the same run, alternating: `cp -a`, `cp -a` followed by `sync -f`
# (ours makes the copy durable before it reports success; cp does not), `rsync -a` (which, like
# ours, writes each file under a temporary name and renames it) and `rsync -a --fsync` where the
# installed rsync has it. Prints the medians, every ratio (ours / theirs) and our peak memory.
# On demand only.
#
#   bench/copy/run.sh BUILD_DIR            every case
#   CASES="a d e" RUNS=7 bench/copy/run.sh BUILD_DIR
#   CASES=b TOOLS="ours cp rsync" bench/copy/run.sh BUILD_DIR
#   BENCH_TMP=/srv/bench-tmp bench/copy/run.sh BUILD_DIR   where the trees go (default /tmp; ~7 GiB for c)
#   GAP=400 TOOLS="ours cp" CASES=a bench/copy/run.sh BUILD_DIR   a pause before each timed run
#
# On ext4 without a journal, an inode freed less than a minute ago (six minutes while its part of the
# inode table has unwritten changes, which new files nearby make) is passed over when a new one is
# allocated, each one looked at in turn; every tool that writes a new file and renames it (ours,
# rsync) frees the replaced ones, so back-to-back runs slow down each other's file creation (cp -a
# rewrites files in place and frees none). GAP lets the freed inodes age first, as they have between
# two real updates.
#
# Cases, each over a target that already holds an installed copy:
#   a  program folder: 2,000 files of 4 to 256 KiB in 60 folders, every file changed
#   b  20,000 files of 1 KiB in 100 folders, every file changed
#   c  4 files of 256 MiB, every file changed
#   d  the program folder of a, 90 % of its files byte-identical to the installed ones
#   e  the program folder of a, installed already: the same update run a second time
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR}
ctl=$(realpath "$build/bin/tallyrune-updatectl")
[[ -x "$ctl" ]] || { echo "no $ctl: build the target tallyrune-updatectl first" >&2; exit 1; }
command -v rsync >/dev/null || { echo "rsync is missing: WITH_EXTRAS=1 scripts/install-deps.sh" >&2; exit 1; }
runs=${RUNS:-5}
cases=${CASES:-a b c d e}
root=$(mktemp -d "${BENCH_TMP:-/tmp}/copybench.XXXXXX")
trap 'rm -rf "$root"' EXIT

tools=(ours cp cps rsync)
# (grep reads all of the help: with -q it would stop early and fail the pipe.)
[[ $(rsync --help 2>/dev/null | grep -c -- '--fsync') -gt 0 ]] && tools+=(rsyncf)
# TOOLS="ours rsync" compares fewer (ours first): rsync --fsync on case b takes minutes per run.
[[ -n "${TOOLS:-}" ]] && read -r -a tools <<<"$TOOLS"

# Trees: two versions of the same names and sizes. `changed` is the share of files whose bytes
# differ between the versions; the others are identical (and keep identical times).
make_tree() { # case dir seed
    python3 - "$1" "$2" "$3" <<'PY'
import os, random, sys
case, root, seed = sys.argv[1], sys.argv[2], int(sys.argv[3])
rnd = random.Random(42)          # same names and sizes in both versions
def write(path, size, tag):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    fill = bytes([65 + tag]) * 4096
    with open(path, "wb") as f:
        while size > 0:
            n = min(size, 1 << 20)
            f.write((fill * (n // 4096 + 1))[:n]); size -= n
    os.utime(path, ns=(1500000000 * 10**9, (1500000000 + (tag if tag != 0 else 0)) * 10**9))
if case in ("a", "d", "e"):      # 2,000 files of 4 to 256 KiB in 60 folders
    for i in range(2000):
        size = rnd.randint(4, 256) * 1024
        same = case == "d" and i % 10 != 0
        write(f"{root}/d{i % 60:02d}/f{i:04d}.dat", size, 0 if same else seed)
elif case == "b":    # 20,000 files of 1 KiB (in 100 folders)
    for i in range(20000):
        write(f"{root}/d{i % 100:03d}/f{i:05d}.cfg", 1024, seed)
elif case == "c":    # 4 files of 256 MiB
    for i in range(4):
        write(f"{root}/big{i}.bin", 256 << 20, seed)
PY
}

now() { date +%s%N; }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

run_tool() { # tool src tgt
    case $1 in
    ours) "$ctl" copy --quiet "$2/*.*" "$3" ;;
    cp) cp -a "$2/." "$3/" ;;
    cps) cp -a "$2/." "$3/" && sync -f "$3" ;;
    rsync) rsync -a "$2/" "$3/" ;;
    rsyncf) rsync -a --fsync "$2/" "$3/" ;;
    esac
}

header=$(printf '%-4s' case)
for t in "${tools[@]}"; do header+=$(printf ' %10s' "${t}_ms"); done
for t in "${tools[@]:1}"; do header+=$(printf ' %9s' "/$t"); done
echo "$header $(printf '%10s' maxrss_MiB)"
echo "(cps = cp -a then sync -f; rsyncf = rsync -a --fsync; /x = ours / x, median of $runs runs each)"

for c in $cases; do
    make_tree "$c" "$root/v1" 13
    if [[ $c == e ]]; then cp -a "$root/v1" "$root/v2"; else make_tree "$c" "$root/v2" 14; fi
    for tool in "${tools[@]}"; do cp -a "$root/v1/." "$root/tgt-$tool/"; done
    declare -A times=()
    # One warm-up of each, then alternate the order so that neither always runs on a warmer cache.
    # Each run copies the version the target does not hold (in e both versions are the same), so
    # every run overwrites an installed copy as an update does. Everything is flushed before each
    # timed run so that no writeback of an earlier run is pending.
    for ((i = 0; i <= runs; i++)); do
        src="$root/v$((2 - i % 2))"
        order=("${tools[@]}")
        ((i % 2)) && order=($(printf '%s\n' "${tools[@]}" | tac))
        for tool in "${order[@]}"; do
            sleep "${GAP:-0}"
            sync
            t0=$(now)
            run_tool "$tool" "$src" "$root/tgt-$tool"
            v=$(( $(now) - t0 ))
            ((i == 0)) || times[$tool]+="$v "
        done
    done
    diff -r "$src" "$root/tgt-ours" >/dev/null || { echo "case $c: our copy differs from the source" >&2; exit 1; }
    other="$root/v1"; [[ "$src" == "$other" ]] && other="$root/v2"
    sync
    rss=$(/usr/bin/time -f %M "$ctl" copy --quiet "$other/*.*" "$root/tgt-ours" 2>&1 >/dev/null | tail -1)
    declare -A med=()
    for tool in "${tools[@]}"; do med[$tool]=$(printf '%s\n' ${times[$tool]} | median); done
    line=$(printf '%-4s' "$c")
    for t in "${tools[@]}"; do line+=$(awk -v v="${med[$t]}" 'BEGIN { printf " %10.1f", v / 1e6 }'); done
    for t in "${tools[@]:1}"; do line+=$(awk -v o="${med[ours]}" -v v="${med[$t]}" 'BEGIN { printf " %9.2f", o / v }'); done
    echo "$line $(awk -v r="$rss" 'BEGIN { printf "%10.1f", r / 1024 }')"
    unset times med
    rm -rf "$root"/v1 "$root"/v2 "$root"/tgt-*
done
