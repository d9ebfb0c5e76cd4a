#!/bin/sh
# Builds the Debian package from a configured build folder into a scratch
# folder and checks what a desktop needs of it: the file list, the package's
# dependencies, and the desktop entry and AppStream metainfo validators.
# Exits 77 (skipped) when a tool is missing; install-deps.sh desktop brings them.
set -e
build="$(cd "${1:-build}" && pwd)"
src="$(cd "$(dirname "$0")/.." && pwd)"
for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIPPED: $tool is not installed (scripts/install-deps.sh desktop)"; exit 77; }
done
desktop-file-validate "$src/packaging/org.novalune.NOVALUNE.desktop"
appstreamcli validate --no-net "$src/packaging/org.novalune.NOVALUNE.metainfo.xml"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/novalune_*_*.deb)"
case "$(basename "$deb")" in
  novalune_[0-9]*.[0-9]*.[0-9]*_"$(dpkg --print-architecture)".deb) ;;
  *) echo "unexpected package name: $deb"; exit 1 ;;
esac
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
fail=0
for f in /usr/bin/novalune /usr/bin/novalune-list \
  /usr/share/applications/org.novalune.NOVALUNE.desktop \
  /usr/share/metainfo/org.novalune.NOVALUNE.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/novalune.svg \
  /usr/share/icons/hicolor/48x48/apps/novalune.png \
  /usr/share/icons/hicolor/256x256/apps/novalune.png \
  /usr/share/doc/novalune/help/index.html; do
  grep -qx "$f" "$work/files" || { echo "missing from the package: $f"; fail=1; }
done
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
  echo "$depends" | grep -q "$d" || { echo "Depends lacks $d: $depends"; fail=1; }
done
# Settings never land beside an installed program: nothing but the two programs in /usr/bin.
[ "$(grep -c '^/usr/bin/.' "$work/files")" -eq 2 ] || { echo "extra files in /usr/bin"; fail=1; }
[ "$fail" -eq 0 ] && echo "package check: $(basename "$deb") passed"
exit "$fail"
