#!/bin/sh
# Installs the Debian packages a build needs, only when some are missing.
# Usage: tools/install-deps.sh run|test|bench
set -e

RUN_PACKAGES="cmake make g++ pkg-config libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev \
libfontconfig-dev fonts-liberation2 libstb-dev libpng-dev libglm-dev libx11-dev"
# The code's layout is checked by clang-format; the font tests run on a configuration
# holding only the DejaVu faces; the desktop entry and the AppStream metadata are checked
# by their own validators; the game is played in a real window under Xvfb, with xdotool's
# keys and ImageMagick's screenshots (and the X fonts that the system's own message box
# writes with), switched to full screen with and without a window manager (openbox), and
# drawn there on both renderers, OpenGL being Mesa's; the Debian package is made by cpack
# (which finds the libraries it needs with dpkg-dev's tools and its programs with `file`)
# and checked by lintian.
TEST_PACKAGES="$RUN_PACKAGES libgtest-dev clang clang-format libclang-rt-dev fonts-dejavu-core fonts-dejavu-extra \
desktop-file-utils appstream xvfb xauth xdotool imagemagick x11-utils xfonts-base openbox \
libgl1-mesa-dri libglx-mesa0 dpkg-dev file lintian"
# The real-window figures run under Xvfb on Mesa's OpenGL; the table is printed by Python.
BENCH_PACKAGES="$RUN_PACKAGES libbenchmark-dev xvfb xauth libgl1-mesa-dri libglx-mesa0 python3"

case "$1" in
  run) wanted="$RUN_PACKAGES" ;;
  test) wanted="$TEST_PACKAGES" ;;
  bench) wanted="$BENCH_PACKAGES" ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
  sudo=""
else
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
