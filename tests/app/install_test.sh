#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build tree into a temporary DESTDIR and checks the layout:
# the portable program folder, the command, the menu entry and the icons.
# Usage: install_test.sh <build dir>
set -euo pipefail
build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build" --prefix /opt/tm >/dev/null
root=$dest/opt/tm
prog=$root/lib/trackmill

for f in trackmill trackmill-cli libakrip32.so libgogo.so Trackmill.INI Languages/English.LNG Languages/German.LNG \
         ../../share/applications/trackmill.desktop ../../share/icons/hicolor/scalable/apps/trackmill.svg \
         ../../share/icons/hicolor/64x64/apps/trackmill.png; do
  [[ -f "$prog/$f" ]] || fail "missing $f"
done
[[ -x "$prog/trackmill" ]] || fail "program not executable"
[[ -d "$prog/Discs" ]] || fail "missing Discs/"
[[ "$(readlink "$root/bin/trackmill")" == ../lib/trackmill/trackmill ]] || fail "bin/trackmill does not link to the program"
[[ -x "$root/bin/trackmill" ]] || fail "bin/trackmill dangles"
[[ "$(readlink "$root/bin/trackmill-cli")" == ../lib/trackmill/trackmill-cli ]] || fail "bin/trackmill-cli does not link to the ripper"
[[ -x "$prog/trackmill-cli" && -x "$root/bin/trackmill-cli" ]] || fail "trackmill-cli not executable"
# Nothing was written outside the DESTDIR (a doubled or missing DESTDIR would show here).
[[ -z "$(find "$dest" -mindepth 1 -maxdepth 1 ! -name opt)" ]] || fail "files outside the prefix: $(ls "$dest")"
# The program finds its two libraries in its own folder.
for p in trackmill trackmill-cli; do
  readelf -d "$prog/$p" | grep -E 'R(UN)?PATH' | grep -q '\$ORIGIN' || fail "no \$ORIGIN run path in $p"
done

entry=$root/share/applications/trackmill.desktop
grep -qx 'Exec=/opt/tm/lib/trackmill/trackmill' "$entry" || fail "Exec does not name the installed program"
grep -qx 'MimeType=x-content/audio-cdda;' "$entry" || fail "not offered for audio CDs"
grep -qx 'Icon=trackmill' "$entry" || fail "icon name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
fi
cmp -s <(head -c 8 "$root/share/icons/hicolor/64x64/apps/trackmill.png") <(printf '\x89PNG\r\n\x1a\n') || fail "icon is no PNG"

# Installing again keeps the user's settings.
printf '[MAIN]\r\nLANGUAGE=German\r\n' > "$prog/Trackmill.INI"
DESTDIR="$dest" cmake --install "$build" --prefix /opt/tm >/dev/null
grep -q 'LANGUAGE=German' "$prog/Trackmill.INI" || fail "a second install replaced Trackmill.INI"
echo "install layout ok"
