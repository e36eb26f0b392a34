#!/usr/bin/env bash
# Lays out a demo install in PROGRAM: a copy of the utility, an older Tallyrune.exe and an Update
# folder with a newer one, a few other files and a subfolder. Versions and file times are fixed, so
# that every layout shows the same. Used by `make run` and `make pictures`.
#   demo-install.sh BIN PROGRAM
set -euo pipefail

bin=$1
program=$2

mkdir -p "$program/Update/Reports"
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

# The installed files date from the 1.4 release, the update's from 1.5.
find "$program" -path "$program/Update" -prune -o -exec touch -h -d '2025-06-02 09:00:00 UTC' {} +
find "$program/Update" -exec touch -h -d '2026-03-16 09:00:00 UTC' {} +
