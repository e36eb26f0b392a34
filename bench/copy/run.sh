#!/usr/bin/env bash
# The update's copy (`ours`: tallyrune-updatectl copy --quiet) and the update itself (`update`:
# tallyrune-updatectl update --yes --json over the target, as a fleet runs it, with the machine
# hive's "Update Path" naming the source) against the tools an administrator would use instead, on
# the same trees, in the same run, alternating: `cp -a`, `cp -a` followed by `sync -f` (ours makes
# the copy durable before it reports success; cp does not), `rsync -a` (which, like ours, writes
# each file under a temporary name and renames it) and `rsync -a --fsync` where the installed rsync
# has it. Prints the medians, every ratio (ours / theirs, update / theirs), the peak memory of ours
# and of the update, and whether the update meets its targets. On demand only.
#
#   bench/copy/run.sh BUILD_DIR            every case
#   CASES="a d e" RUNS=7 bench/copy/run.sh BUILD_DIR
#   CASES=b TOOLS="ours cp rsync" bench/copy/run.sh BUILD_DIR
#   BENCH_TMP=/srv/bench-tmp bench/copy/run.sh BUILD_DIR   where the trees go (default /tmp; ~9 GiB for c)
#   GAP=400 TOOLS="ours cp" CASES=a bench/copy/run.sh BUILD_DIR   a pause before each timed run
#
# On ext4 without a journal, an inode freed less than a minute ago (six minutes while its part of the
# inode table has unwritten changes, which new files nearby make) is passed over when a new one is
# allocated, each one looked at in turn; every tool that writes a new file and renames it (ours,
# rsync) frees the replaced ones, so back-to-back runs slow down each other's file creation (cp -a
# rewrites files in place and frees none; an update that keeps the files it replaces frees those it
# kept the time before). GAP lets the freed inodes age first, as they have between two real updates.
#
# The update's target is treated as every other: each run updates it to the version it does not
# hold. Whatever the update keeps in the target's hidden folder stays there for the next run, as it
# does on a till between two updates, so every timed run (the warm-up runs first) is a second update
# that finds the previous update's kept files.
#
# Targets for the update: in a and c at most 1.0 x `cp -a && sync -f`, in d at most 0.5 x `cp -a`,
# peak memory under 64 MiB in every case.
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

tools=(ours update cp cps rsync)
# (grep reads all of the help: with -q it would stop early and fail the pipe.)
[[ $(rsync --help 2>/dev/null | grep -c -- '--fsync') -gt 0 ]] && tools+=(rsyncf)
# TOOLS="ours rsync" compares fewer: rsync --fsync on case b takes minutes per run.
[[ -n "${TOOLS:-}" ]] && read -r -a tools <<<"$TOOLS"
# Ours (each compared with every other tool) and theirs, in the order given.
mine=() theirs=()
for t in "${tools[@]}"; do
    case $t in
    ours | update) mine+=("$t") ;;
    cp | cps | rsync | rsyncf) theirs+=("$t") ;;
    *) echo "unknown tool $t (ours update cp cps rsync rsyncf)" >&2; exit 2 ;;
    esac
done
has() { [[ " ${tools[*]} " == *" $1 "* ]]; }

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

# The settings root whose "Update Path" names the source tree src (see set_update_path).
update_root() { echo "$root/wincompat-$(basename "$1")"; }
set_update_path() { # src
    WINCOMPAT_ROOT=$(update_root "$1") "$ctl" reg add 'HKLM\Software\Harrowmere\Tallyrune\Application' \
        /v "Update Path" /d "$1" /f >/dev/null
}
run_update() { # src tgt [command before it]
    local status=0
    env WINCOMPAT_ROOT="$(update_root "$1")" "${@:3}" "$ctl" update --yes --json --program-folder "$2" \
        </dev/null >"$root/update.json" 2>"$root/update.log" || status=$?
    ((status == 0)) || { echo "the update of $2 ended with $status:" >&2; cat "$root/update.log" >&2; exit 1; }
}

run_tool() { # tool src tgt
    case $1 in
    ours) "$ctl" copy --quiet "$2/*.*" "$3" ;;
    update) run_update "$2" "$3" ;;
    cp) cp -a "$2/." "$3/" ;;
    cps) cp -a "$2/." "$3/" && sync -f "$3" ;;
    rsync) rsync -a "$2/" "$3/" ;;
    rsyncf) rsync -a --fsync "$2/" "$3/" ;;
    esac
}

short() { [[ $1 == update ]] && echo upd || echo "$1"; }
# Prints "target CASE: update / NAME = RATIO <= BOUND met" (or "NOT met"), RATIO as shown.
target_line() { # case tool name bound
    local t
    for t in update "$2"; do
        has "$t" || { echo "target $1: update / $3 <= $4 not measured (TOOLS lacks $t)"; return; }
    done
    awk -v c="$1" -v n="$3" -v b="$4" -v u="${med[update]}" -v v="${med[$2]}" 'BEGIN {
        r = sprintf("%.2f", u / v)
        printf "target %s: update / %s = %s <= %s %s\n", c, n, r, b, (r + 0 <= b + 0 ? "met" : "NOT met") }'
}

header=$(printf '%-4s' case)
for t in "${tools[@]}"; do header+=$(printf ' %10s' "${t}_ms"); done
for m in "${mine[@]}"; do for t in "${theirs[@]}"; do header+=$(printf ' %10s' "$(short "$m")/$t"); done; done
for m in "${mine[@]}"; do header+=$(printf ' %10s' "$(short "$m")_MiB"); done
echo "$header"
echo "(ours = tallyrune-updatectl copy --quiet; upd = tallyrune-updatectl update --yes --json; cps = cp -a"
echo " then sync -f; rsyncf = rsync -a --fsync; m/x = m / x, median of $runs runs each; _MiB = peak memory)"

for c in $cases; do
    make_tree "$c" "$root/v1" 13
    if [[ $c == e ]]; then cp -a "$root/v1" "$root/v2"; else make_tree "$c" "$root/v2" 14; fi
    for tool in "${tools[@]}"; do cp -a "$root/v1/." "$root/tgt-$tool/"; done
    if has update; then set_update_path "$root/v1" && set_update_path "$root/v2"; fi
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
    # The source has no hidden names: what the update keeps in the target's hidden folder is not compared.
    for m in "${mine[@]}"; do
        diff -r -x '.*' "$src" "$root/tgt-$m" >/dev/null ||
            { echo "case $c: the target of $m differs from the source" >&2; exit 1; }
    done
    other="$root/v1"; [[ "$src" == "$other" ]] && other="$root/v2"
    declare -A rss=()
    for m in "${mine[@]}"; do
        sync
        case $m in
        ours) /usr/bin/time -o "$root/rss" -f %M "$ctl" copy --quiet "$other/*.*" "$root/tgt-ours" >/dev/null ;;
        update) run_update "$other" "$root/tgt-update" /usr/bin/time -o "$root/rss" -f %M ;;
        esac
        rss[$m]=$(tail -1 "$root/rss")
    done
    declare -A med=()
    for tool in "${tools[@]}"; do med[$tool]=$(printf '%s\n' ${times[$tool]} | median); done
    line=$(printf '%-4s' "$c")
    for t in "${tools[@]}"; do line+=$(awk -v v="${med[$t]}" 'BEGIN { printf " %10.1f", v / 1e6 }'); done
    for m in "${mine[@]}"; do
        for t in "${theirs[@]}"; do
            line+=$(awk -v o="${med[$m]}" -v v="${med[$t]}" 'BEGIN { printf " %10.2f", o / v }')
        done
    done
    for m in "${mine[@]}"; do line+=$(awk -v r="${rss[$m]}" 'BEGIN { printf " %10.1f", r / 1024 }'); done
    echo "$line"
    case $c in
    a | c) target_line "$c" cps cp+sync 1.0 ;;
    d) target_line "$c" cp cp 0.5 ;;
    esac
    has update && awk -v c="$c" -v r="${rss[update]}" 'BEGIN {
        m = sprintf("%.1f", r / 1024)
        printf "target %s: update peak memory = %s MiB < 64 %s\n", c, m, (m + 0 < 64 ? "met" : "NOT met") }'
    unset times med rss
    rm -rf "$root"/v1 "$root"/v2 "$root"/tgt-* "$root"/wincompat-*
done
