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
mkdir -p "$program/Update/Reports" "$demo/wincompat"

cp "$bin/tallyrune-update" "$program/"
"$bin/mkpe" "$program/Tallyrune.exe" --file-version 1.4.2.310 --product-version 1.4.0.0 \
    --string "CompanyName=Harrowmere Software" --string "ProductName=Tallyrune POS" \
    --string "ProductVersion=1.4" --string "FileVersion=1.4.2.310" \
    --string "LegalCopyright=Copyright (C) 2025 Harrowmere Software" \
    --string "FileDescription=Tallyrune point of sale" --string "OriginalFilename=Tallyrune.exe"
"$bin/mkpe" "$program/Update/Tallyrune.exe" --file-version 1.5.0.12 --product-version 1.5.0.0 \
    --string "CompanyName=Harrowmere Software" --string "ProductName=Tallyrune POS" \
    --string "ProductVersion=1.5" --string "FileVersion=1.5.0.12" \
    --string "LegalCopyright=Copyright (C) 2026 Harrowmere Software" \
    --string "FileDescription=Tallyrune point of sale" --string "OriginalFilename=Tallyrune.exe"
printf 'Tallyrune 1.5 release notes\r\n- faster end-of-day totals\r\n' > "$program/Update/ReadMe.txt"
printf 'receipt-width=42\r\n' > "$program/Update/Receipt.cfg"
printf 'Daily takings report layout\r\n' > "$program/Update/Reports/Daily.rpt"

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
