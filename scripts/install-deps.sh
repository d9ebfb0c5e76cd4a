#!/bin/sh
# Installs the Debian packages a build needs, only those that are missing.
# Usage: install-deps.sh [build|bench|fuzz|desktop|ci] ...
set -e
base="make cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libfluidsynth-dev libsdl2-dev libgl-dev libgtest-dev libgmock-dev libclang-rt-14-dev"
# libclang-rt-14-dev: FuzzedDataProvider.h, which the fuzz corpus replay tests compile with.
want="$base"
for group in "$@"; do
  case "$group" in
    build) ;;
    bench) want="$want libbenchmark-dev ngircd inspircd" ;;
    fuzz) want="$want clang" ;;
    # The General MIDI sound font, Qt's Japanese texts, and the package build and its validators (scripts/check-package.sh).
    desktop) want="$want fluid-soundfont-gm fonts-noto-cjk xvfb xauth qt6-translations-l10n dpkg-dev file desktop-file-utils appstream" ;;
    ci) want="$want clang clang-format clang-tidy tinyproxy" ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done
missing=""
for p in $want; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# Server packages must not start services on our ports while they install.
policy=/usr/sbin/policy-rc.d
made_policy=""
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null && $SUDO chmod +x "$policy" && made_policy=1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || true
$SUDO apt-get install -y -q --no-install-recommends $missing
[ -n "$made_policy" ] && $SUDO rm -f "$policy"
exit 0
