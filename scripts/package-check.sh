#!/usr/bin/env bash
# Checks the Debian packages that `make package` built: lintian finds no errors, the companion
# needs no display library, the programs are stripped but still carry their version block, the
# debug information is in the -dbgsym packages, and the man pages, desktop entry, icons and bash
# completion are where the system looks for them. Prints the packages' sizes.
#
#   scripts/package-check.sh PACKAGE_FOLDER
set -euo pipefail
dir=${1:?usage: package-check.sh PACKAGE_FOLDER}
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(TallyruneUpdate VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
failed=0
fail() { echo "package-check: $*" >&2; failed=1; }

one() { # the single file matching a pattern
  local found=("$dir"/$1)
  [[ ${#found[@]} -eq 1 && -f ${found[0]} ]] || { echo "package-check: no single $1 in $dir" >&2; exit 1; }
  echo "${found[0]}"
}
ctl=$(one "tallyrune-updatectl_${version}_*.deb")
win=$(one "tallyrune-update_${version}_*.deb")
ctl_dbg=$(one "tallyrune-updatectl-dbgsym_${version}_*.ddeb")
win_dbg=$(one "tallyrune-update-dbgsym_${version}_*.ddeb")

echo "== lintian"
lintian --fail-on error "$ctl" "$win" || fail "lintian reports errors"

echo "== dependencies"
ctl_depends=$(dpkg-deb -f "$ctl" Depends)
win_depends=$(dpkg-deb -f "$win" Depends)
echo "tallyrune-updatectl: $ctl_depends"
echo "tallyrune-update: $win_depends"
grep -Eq '(^|[ ,])(libqt6gui|libqt6widgets|libx(11|cb|kbcommon|ext|render|i6|fixes|randr|cursor)|libgl|libegl|libwayland|libfontconfig|libfreetype)' <<<"$ctl_depends" &&
  fail "the companion depends on a display library"
grep -q 'libqt6core' <<<"$ctl_depends" || fail "the companion's dependencies were not computed (no libqt6core)"
grep -q 'libsqlite3' <<<"$ctl_depends" || fail "the companion does not depend on libsqlite3"
grep -q "tallyrune-updatectl (= ${version})" <<<"$win_depends" || fail "the window does not depend on its companion"
grep -q 'libqt6widgets' <<<"$win_depends" || fail "the window does not depend on libqt6widgets"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for deb in "$ctl" "$win" "$ctl_dbg" "$win_dbg"; do dpkg-deb -x "$deb" "$tmp/root"; done

echo "== contents"
expect=(
  usr/bin/tallyrune-updatectl usr/bin/tallyrune-update
  usr/share/man/man1/tallyrune-updatectl.1.gz usr/share/man/man1/tallyrune-update.1.gz
  usr/share/bash-completion/completions/tallyrune-updatectl
  usr/share/applications/tallyrune-update.desktop
  usr/share/doc/tallyrune-updatectl/copyright usr/share/doc/tallyrune-update/copyright
)
for size in 16 22 24 32 48; do expect+=("usr/share/icons/hicolor/${size}x${size}/apps/tallyrune-update.png"); done
for f in "${expect[@]}"; do [[ -f $tmp/root/$f ]] || fail "$f is in no package"; done
dpkg-deb -c "$ctl" | grep ' ./usr/share/bash-completion/completions/tallyrune-updatectl$' >/dev/null ||
  fail "the completion is not in the companion's package"
dpkg-deb -c "$win" | grep ' ./usr/share/applications/tallyrune-update.desktop$' >/dev/null ||
  fail "the desktop entry is not in the window's package"
for size in 16 22 24 32 48; do
  icon=$tmp/root/usr/share/icons/hicolor/${size}x${size}/apps/tallyrune-update.png
  [[ -f $icon ]] && { file "$icon" | grep "PNG image data, $size x $size," >/dev/null || fail "$icon is not $size pixels"; }
done
desktop-file-validate "$tmp/root/usr/share/applications/tallyrune-update.desktop" || fail "the desktop entry is not valid"
for page in tallyrune-updatectl tallyrune-update; do
  MANWIDTH=80 man -l "$tmp/root/usr/share/man/man1/$page.1.gz" 2>/dev/null | grep "^NAME" >/dev/null ||
    fail "man page $page does not render"
done

echo "== programs"
for program in tallyrune-updatectl tallyrune-update; do
  path=$tmp/root/usr/bin/$program
  file "$path" | grep ', stripped' >/dev/null || fail "$program is not stripped"
  readelf -S "$path" | grep '\.tallyrune_ver' >/dev/null || fail "$program lost its version block"
  # The version block as the version reader finds it, after stripping.
  "$tmp/root/usr/bin/tallyrune-updatectl" verinfo "$path" | grep -x "FileVersion=${version}" >/dev/null ||
    fail "$program does not answer for version ${version}"
  link=$(readelf --string-dump=.gnu_debuglink "$path" 2>/dev/null | sed -n 's/.*\] *//p' | head -n 1)
  [[ -n $link ]] || fail "$program has no link to its debug information"
done
debug_files=$(find "$tmp/root/usr/lib/debug" -name '*.debug' | wc -l)
[[ $debug_files -ge 2 ]] || fail "the -dbgsym packages hold $debug_files debug files, not 2"

echo "== sizes (file, installed)"
for deb in "$ctl" "$win" "$ctl_dbg" "$win_dbg"; do
  printf '%-60s %8d KiB %8d KiB\n' "$(basename "$deb")" $(($(stat -c %s "$deb") / 1024)) "$(dpkg-deb -f "$deb" Installed-Size)"
done
[[ $failed -eq 0 ]] && echo "package-check: all checks passed"
exit $failed
