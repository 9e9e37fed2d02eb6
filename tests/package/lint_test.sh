#!/bin/bash
# The Debian package as Debian's own tools see it: lintian finds no error,
# desktop-file-validate and appstreamcli pass, the package holds only what it should, and
# its dependencies are those dpkg-shlibdeps worked out from the binaries.
#
#   lint_test.sh PACKAGE.deb VERSION
source "$(dirname "$0")/lib.sh" || exit 1
DEB=${1:?usage: $0 PACKAGE.deb VERSION}
VERSION=${2:?usage: $0 PACKAGE.deb VERSION}
require_package "$DEB"
need_tools dpkg-deb lintian desktop-file-validate appstreamcli

# lintian: errors fail; warnings and the rest are shown.
lintian --info --display-info --no-tag-display-limit "$DEB" >"$WORK/lintian" 2>&1
status=$?
cat "$WORK/lintian"
if grep -q '^E:' "$WORK/lintian" || [ $status -ne 0 ]; then fail "lintian found errors (status $status)"; fi
echo "lintian: $(grep -c '^W:' "$WORK/lintian") warning(s), no error"

dpkg-deb -x "$DEB" "$WORK/root" || fail "cannot unpack $DEB"
desktop=("$WORK"/root/usr/share/applications/*.desktop)
# The show's entry and the model viewer's, which names the model types it opens.
[ ${#desktop[@]} -eq 2 ] && [ -f "${desktop[1]}" ] || fail "not two desktop entries"
for entry in "${desktop[@]}"; do
  desktop-file-validate "$entry" || fail "desktop-file-validate: ${entry##*/}"
done
grep -q '^MimeType=.*model/gltf-binary;' "$WORK"/root/usr/share/applications/*.view.desktop ||
  fail "the viewer's entry names no model types"
metainfo=("$WORK"/root/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metainfo"
# No network here: the screenshot's address is checked for form, not fetched.
appstreamcli validate --no-net --pedantic "${metainfo[0]}" || fail "appstreamcli validate"
grep -q "<release version=\"$VERSION\"" "${metainfo[0]}" || fail "the metainfo names another release"
grep -q '<screenshot type="default">' "${metainfo[0]}" || fail "the metainfo has no screenshot"

# Nothing but the programs, their data (the viewer's glyph picture too), the desktop files,
# the man pages and the docs.
(cd "$WORK/root" && find . -type f | sed 's|^\./|/|' | LC_ALL=C sort) >"$WORK/files"
grep -Ev '^(/usr/games/lumivex|/usr/bin/[^/]+|/usr/share/games/lumivex/data/[^/]+\.(jpg|xm)|/usr/share/games/lumivex/viewer/font\.bmp|/usr/share/applications/[^/]+\.desktop|/usr/share/metainfo/[^/]+\.metainfo\.xml|/usr/share/icons/hicolor/[0-9]+x[0-9]+/apps/lumivex\.png|/usr/share/man/man6/lumivex\.6\.gz|/usr/share/man/man1/[^/]+\.1\.gz|/usr/share/doc/lumivex/(copyright|changelog\.gz))$' \
  "$WORK/files" >"$WORK/unexpected"
[ ! -s "$WORK/unexpected" ] || fail "files the package should not hold: $(cat "$WORK/unexpected")"
[ "$(grep -c '^/usr/share/games/lumivex/data/' "$WORK/files")" -eq 23 ] || fail "not 23 data files"
[ "$(grep -c '^/usr/share/icons/hicolor/' "$WORK/files")" -ge 4 ] || fail "fewer than 4 icon sizes"
for file in /usr/games/lumivex /usr/bin/lumivex-capture /usr/bin/obj2model \
  /usr/share/man/man6/lumivex.6.gz /usr/share/doc/lumivex/copyright; do
  grep -qx "$file" "$WORK/files" || fail "the package has no $file"
done
# Every tool in /usr/bin has its page in section 1, and every page its tool.
diff <(sed -n 's|^/usr/bin/||p' "$WORK/files") \
  <(sed -n 's|^/usr/share/man/man1/\(.*\)\.1\.gz$|\1|p' "$WORK/files") >&2 ||
  fail "the tools in /usr/bin and the man pages in section 1 differ"
for program in "$WORK"/root/usr/games/* "$WORK"/root/usr/bin/*; do
  [ -x "$program" ] || fail "${program#"$WORK/root"} is not executable"
done

# Dependencies: computed from the binaries, so the libraries they link are all there.
depends=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $depends"
for library in libc6 libsdl2-2.0-0 libopenmpt0 libjpeg62-turbo libgl1 libegl1; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library"
done
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "the package's version is not $VERSION"
echo "PASS: lintian without errors, desktop entry and metainfo valid, $(wc -l <"$WORK/files") files, dependencies from the binaries"
