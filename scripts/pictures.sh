#!/usr/bin/env bash
# Makes the README's pictures (PNG files in docs/, or in $PICTURES_DIR) from a demo install at
# /opt/tallyrune under a virtual X display: the windows of an update from start to end, its failure,
# About and Help, and the companion's `versions` and `update` on a terminal.
#   pictures.sh [BUILD_DIR]
# It runs in a mount namespace of its own, where /opt and the settings root /var/lib/wincompat are
# empty memory file systems: nothing is created in the real /opt or settings, and no path of the
# machine shows in a picture. Versions, file times, fonts, screen size, processor count and memory
# are fixed, so that one commit gives the same pixels on the same Debian packages.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[[ "$build" = /* ]] || build="$repo/$build"
out=${PICTURES_DIR:-$repo/docs}
[[ "$out" = /* ]] || out="$PWD/$out"

if [[ "${PICTURES_IN_NAMESPACE:-}" != 1 ]]; then
    for tool in Xvfb openbox xdotool xwininfo xprop import convert python3 strace faketime setpriv unshare cc; do
        command -v "$tool" >/dev/null || { echo "pictures: $tool is missing (make deps installs it)" >&2; exit 1; }
    done
    mkdir -p "$out"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    if [[ $(id -u) -eq 0 ]]; then
        namespace=(unshare --mount --propagation private)
    else
        namespace=(unshare --user --map-root-user --mount --propagation private)
    fi
    started=$SECONDS
    PICTURES_IN_NAMESPACE=1 PICTURES_WORK="$work" PICTURES_DIR="$out" "${namespace[@]}" "$0" "$build"
    echo "Pictures in $out ($((SECONDS - started)) s)"
    exit 0
fi

# ---- inside the namespace ----
work=$PICTURES_WORK
bin="$build/bin"
program=/opt/tallyrune
state=/var/lib/wincompat

mount -t tmpfs -o mode=0755 pictures /opt
# /var/lib stays readable as it is; only the settings root below it is a fresh, empty one.
mkdir -p "$work/varlib/upper" "$work/varlib/work"
mount -t overlay pictures -o "lowerdir=/var/lib,upperdir=$work/varlib/upper,workdir=$work/varlib/work" /var/lib
mkdir -p "$state"
mount -t tmpfs -o mode=0755 pictures "$state"
# One processor: the copy then stages its files one after another, always in the same order, and
# the About box names the same count everywhere.
echo 0 > "$work/cpu-online"
mount --bind "$work/cpu-online" /sys/devices/system/cpu/online
cc -shared -fPIC -O1 -o "$work/fixed-memory.so" "$repo/scripts/pictures/fixed-memory.c" -ldl

export WINCOMPAT_ROOT=$state TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8 HOME="$work/home" USER=root
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR QT_STYLE_OVERRIDE
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 1 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
wm=$!
app=
finish() {
    [[ -n "$app" ]] && kill "$app" 2>/dev/null
    kill "$wm" "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
}
trap finish EXIT
for _ in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

fail() { echo "pictures: $*" >&2; exit 1; }

# The id of the visible window whose title is exactly $1, once it is there (20 s at most).
window() {
    local id w
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n1) && [[ -n "$id" ]] && {
            echo "$id"
            return
        }
        sleep 0.1
    done
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "pictures: a window \"$(xdotool getwindowname "$w")\" is open" >&2
    done
    cat "$work/app.log" >&2
    fail "no window \"$1\" appeared"
}

# Saves window $1 with its frame as $out/$2, once it has been drawn and holds still.
shot() {
    local id=$1 file=$out/$2 previous="" now
    xdotool mousemove 1023 767
    for _ in $(seq 1 30); do
        sleep 0.3
        now=$(import -silent -frame -window "$id" png:- | md5sum)
        [[ "$now" == "$previous" ]] && break
        previous=$now
    done
    import -silent -frame -window "$id" "png:$work/shot.png"
    # No time stamps or other chunks that change from run to run.
    convert "$work/shot.png" -strip -define png:exclude-chunks=date,time "png:$file"
    echo "  $2"
}

# Presses keys in the window in front, once window $1 is that window.
keys() {
    local id=$1
    shift
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.2
    xdotool key --delay 80 "$@"
}

# Clicks at $2,$3 in window $1's client area.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    xdotool mousemove 1023 767
}

# A fresh install and settings root.
lay_out() {
    rm -rf "${program:?}" "${state:?}"/*
    "$repo/scripts/demo-install.sh" "$bin" "$program"
}

start() {
    LD_PRELOAD="$work/fixed-memory.so" "$@" "$program/tallyrune-update" >>"$work/app.log" 2>&1 &
    app=$!
}

# Waits for the utility to close its window and end (10 s at most).
ended() {
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && fail "the utility did not end"
    wait "$app" 2>/dev/null || true
    app=
}

stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=
}

main="Tallyrune POS Update Utility"
echo "Making pictures in $out"

# The window, Help and About.
lay_out
start
id=$(window "$main")
shot "$id" main-window.png
# Help and About sit where the window's stored form puts them.
click "$id" 385 406
box=$(window "Update Utility")
shot "$box" help.png
keys "$box" Return
click "$id" 464 406
box=$(window "About.*")
shot "$box" about.png
keys "$box" Escape
stop

# Update pressed, the question that comes up taken and answered No.
question() {
    start
    id=$(window "$main")
    keys "$id" Return
    box=$(window Confirm)
    shot "$box" "$1"
    keys "$box" n
    stop
}

# 1: no update found.
rm "$program/Update/Tallyrune.exe"
question update-question-1.png

# 2: the update is the installed version.
cp -p "$program/Tallyrune.exe" "$program/Update/Tallyrune.exe"
question update-question-2.png

# 3, the copy and its end. A large file in the update, whose fourth piece is held back for a few
# seconds, keeps the progress window at one place while it is taken.
lay_out
mkdir -p "$program/Update/Data"
truncate -s 64M "$program/Update/Data/Products.dat"
touch -d '2026-03-16 09:00:00 UTC' "$program/Update/Data/Products.dat" "$program/Update/Data"
start strace -f -qq -o /dev/null --seccomp-bpf -P "$program/Update/Data/Products.dat" \
    -e trace=copy_file_range -e inject=copy_file_range:delay_enter=8000000:when=4
id=$(window "$main")
keys "$id" Return
box=$(window Confirm)
shot "$box" update-question-3.png
keys "$box" y
shot "$(window "Updating Tallyrune \\.\\.\\.")" update-progress.png
box=$(window Information)
shot "$box" update-completed.png
keys "$box" Return
ended

# A file of the update that cannot be read: the copy fails and the folder stays as it was. Root reads
# anything, so the utility runs without that privilege here.
lay_out
chmod 000 "$program/Update/Receipt.cfg"
start setpriv --bounding-set -dac_override,-dac_read_search --
id=$(window "$main")
keys "$id" Return
box=$(window Confirm)
keys "$box" y
box=$(window Error)
shot "$box" update-failed.png
keys "$box" Return
stop

# The companion on a terminal. Its clock starts at a fixed moment and moves half a second each time
# it is read, so that the rate and time left it shows are the same on every run.
terminal() {
    local file=$1 shown=$2 text
    shift 2
    python3 "$repo/scripts/pictures/terminal.py" "$work/terminal.txt" "$shown" "$@"
    text=$(cat "$work/terminal.txt")
    # label: would read "%" as the start of an escape.
    convert -background '#1d1f21' -fill '#d8d8d8' -font "$mono" -pointsize 13 \
        label:"${text//%/%%}" -bordercolor '#1d1f21' -border 12 -strip \
        -define png:exclude-chunks=date,time "png:$out/$file"
    echo "  $file"
}
mono=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
lay_out
truncate -s 64M "$program/Update/Data.dat"
touch -d '2026-03-16 09:00:00 UTC' "$program/Update/Data.dat"
terminal updatectl-versions.png "tallyrune-updatectl versions --program-folder $program" \
    "$bin/tallyrune-updatectl" versions --program-folder "$program"
terminal updatectl-update.png "tallyrune-updatectl update --program-folder $program" \
    faketime -f "@2026-03-16 09:30:00 i0.5" "$bin/tallyrune-updatectl" update --program-folder "$program"
