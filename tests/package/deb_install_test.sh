#!/bin/bash
# The Debian package installed for real: dpkg -i, then /usr/games/lumivex started from an
# empty folder shows the logo, logs to $XDG_STATE_HOME/lumivex/VorlErrors.txt (only the
# banner), writes nothing into the working folder and ends on Escape; lumivex-capture finds
# the installed data too. Then the package is purged and the machine is as it was.
#
#   deb_install_test.sh PACKAGE.deb VERSION
source "$(dirname "$0")/lib.sh" || exit 1
DEB=${1:?usage: $0 PACKAGE.deb VERSION}
VERSION=${2:?usage: $0 PACKAGE.deb VERSION}
require_package "$DEB"

need_tools dpkg dpkg-query flock
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || skip "installing the package needs root (or sudo without a password)"
  as_root=(sudo -n)
fi
# One such test at a time on a machine (other checkouts run their own): wait for the others.
exec 9>"${TMPDIR:-/tmp}/lumivex-package-install.lock"
flock -w 600 9 || fail "another package test held the install lock for 10 minutes"

# dpkg's state of the package: installed, config-files, ...; not-installed or empty when
# dpkg has no trace of it.
state() { dpkg-query -W -f='${db:Status-Status}' lumivex 2>/dev/null; }
known() { local s; s=$(state); [ -n "$s" ] && [ "$s" != not-installed ]; }
if known; then
  fail "a lumivex package is already installed here; the test installs and purges its own" \
    "(dpkg --purge lumivex first)"
fi

# Whatever happens from here on, the package goes again.
trap '"${as_root[@]}" dpkg --purge lumivex >/dev/null 2>&1; cleanup' EXIT
"${as_root[@]}" dpkg -i "$DEB" >"$WORK/dpkg-i.log" 2>&1 || {
  cat "$WORK/dpkg-i.log" >&2
  fail "dpkg -i failed"
}
[ "$(state)" = installed ] || fail "dpkg lists lumivex as '$(state)', not installed"
for file in /usr/games/lumivex /usr/bin/lumivex-capture /usr/bin/obj2model /usr/bin/lumivex-view \
  /usr/share/games/lumivex/viewer/font.bmp /usr/share/games/lumivex/data/tarnel.jpg /usr/share/games/lumivex/data/lumivex.xm; do
  [ -f "$file" ] || fail "$file is not installed"
done
[ "$(/usr/bin/obj2model --version)" = "obj2model $VERSION" ] || fail "obj2model --version"
[ "$(/usr/bin/lumivex-capture --version)" = "lumivex-capture $VERSION" ] ||
  fail "lumivex-capture --version"
[ "$(/usr/bin/lumivex-view --version)" = "lumivex-view $VERSION" ] || fail "lumivex-view --version"

EMPTY="$WORK/empty"
mkdir "$EMPTY"
export XDG_STATE_HOME="$WORK/state"
start_x 800x600x16
start_in "$EMPTY" /usr/games/lumivex
expect_logo installed_logo
end_with_escape
expect_banner_only "$XDG_STATE_HOME/lumivex/VorlErrors.txt"
[ -z "$(ls -A "$EMPTY")" ] || fail "the show wrote into the working folder: $(ls -A "$EMPTY")"
[ ! -e /usr/share/games/lumivex/data/VorlErrors.txt ] || fail "a log in the installed data folder"

expect_capture_reads_data "$EMPTY" /usr/bin/lumivex-capture
# The installed capture encodes with the FFmpeg libraries the package depends on.
expect_capture_reads_data "$EMPTY" /usr/bin/lumivex-capture .mp4
[ -z "$(ls -A "$EMPTY")" ] || fail "the capture wrote into the working folder: $(ls -A "$EMPTY")"
expect_banner_only "$XDG_STATE_HOME/lumivex/VorlErrors.txt"
expect_viewer_shot "$EMPTY" /usr/bin/lumivex-view
[ -z "$(ls -A "$EMPTY")" ] || fail "the viewer wrote into the working folder: $(ls -A "$EMPTY")"

"${as_root[@]}" dpkg --purge lumivex >"$WORK/dpkg-purge.log" 2>&1 || {
  cat "$WORK/dpkg-purge.log" >&2
  fail "dpkg --purge failed"
}
! known || fail "dpkg still knows lumivex after the purge ($(state))"
for path in /usr/games/lumivex /usr/bin/lumivex-capture /usr/bin/obj2model /usr/bin/lumivex-view \
  /usr/share/games/lumivex \
  /usr/share/doc/lumivex; do
  [ ! -e "$path" ] || fail "$path is left after the purge"
done
echo "PASS: installed, logo on screen from an empty folder, log in \$XDG_STATE_HOME only," \
  "exit 0 on Escape, capture and viewer find the installed data; purged without a trace"
