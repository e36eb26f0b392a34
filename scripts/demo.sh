#!/usr/bin/env bash
# Lays out a demo install (a program folder with an older Tallyrune.exe and an Update folder
# with a newer one) in a private folder and starts the utility there. Without a display it runs
# under a virtual X display, saves a screenshot of the window, prints where, and ends.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[[ "$build" = /* ]] || build="$repo/$build"
bin="$build/bin"
demo="$repo/.demo"
program="$demo/Tallyrune"

rm -rf "$demo"
mkdir -p "$demo/wincompat"
"$repo/scripts/demo-install.sh" "$bin" "$program"

export WINCOMPAT_ROOT="$demo/wincompat"
echo "Demo install: $program (update folder: $program/Update)"
echo "Settings root (WINCOMPAT_ROOT): $WINCOMPAT_ROOT"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program/tallyrune-update"
fi

shot="$demo/screenshot.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" & app=$!
    for _ in $(seq 1 50); do
        sleep 0.2
        xwininfo -root -tree 2>/dev/null | grep -q "Tallyrune POS Update Utility" && break
    done
    sleep 1
    import -window root "$2"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
' _ "$program/tallyrune-update" "$shot"
echo "No display: started the utility under a virtual X display."
echo "Screenshot of the window: $shot"
