#!/usr/bin/env bash
# Checks the pictures that `make pictures` made: each one is there, is a PNG, and is not blank
# (more than one colour). Prints one line per picture and "N passed, N failed".
set -uo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
dir=${PICTURES_DIR:-$repo/docs}
expected=(
    main-window.png help.png about.png
    update-question-1.png update-question-2.png update-question-3.png
    update-progress.png update-completed.png update-failed.png
    updatectl-versions.png updatectl-update.png
)
passed=0
failed=0
for name in "${expected[@]}"; do
    file="$dir/$name"
    colours=$(identify -format '%m %k' "$file" 2>/dev/null)
    if [[ "$colours" =~ ^PNG\ ([0-9]+)$ && ${BASH_REMATCH[1]} -gt 1 ]]; then
        echo "ok      $name (${BASH_REMATCH[1]} colours)"
        passed=$((passed + 1))
    else
        echo "FAILED  $name: ${colours:-missing or not a picture}"
        failed=$((failed + 1))
    fi
done
echo "pictures: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
