#!/bin/sh
# Packages the build as a packager would (cpack -G DEB) and wants lintian to find no error
# and no warning in the package; then unpacks it into an empty root and starts the program
# there from an empty folder on the display it is given: the window must show the table
# (its data was found), report the class the desktop entry names, and carry the picture
# of the installed icon. Exits 77 (skipped) where lintian is not installed.
# Usage: package_run.sh CPACK BUILD_DIR   (under tests/e2e/under_xvfb.sh)
set -u
CPACK=$1
BUILD_DIR=$2
RUN="package run"
. "$(dirname "$0")/../e2e/real_window.sh"

command -v lintian >/dev/null || { echo "package run: no lintian here; skipped"; exit 77; }
"$CPACK" -G DEB -B "$WORK/out" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
  fail "cpack failed: $(tail -n 5 "$WORK/cpack.log")"
deb=$(ls "$WORK"/out/*.deb) || fail "cpack made no package"
# Informational tags (I:) are no finding; root gets a line of advice that is none either.
lintian --fail-on error,warning "$deb" >"$WORK/lintian.log" 2>&1
status=$?
if [ $status -ne 0 ] || grep -q '^[EW]: ' "$WORK/lintian.log"; then
  fail "lintian rejects the package (status $status):
$(grep -v '^running with root privileges' "$WORK/lintian.log")"
fi

root="$WORK/root"
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
app=$(basename "$root"/usr/share/applications/*.desktop .desktop)
mkdir "$WORK/empty" "$WORK/state" && cd "$WORK/empty" || fail "no scratch folder"
env -u SDL_VIDEO_X11_WMCLASS XDG_STATE_HOME="$WORK/state" "$root/usr/games/zorbly-frondles" --no-start-card \
  >"$WORK/game.log" 2>&1 &
game=$!

# The window, showing wood in its middle: wood.png was found.
table_shown() {
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(tail -n 3 "$WORK/game.log")"
  window=$(xdotool search --name "^Zorbly Frondles$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && import -window "$window" "$WORK/shot.miff" 2>/dev/null || return 1
  set -- $(convert "$WORK/shot.miff" -crop 400x300+300+220 +repage \
    -format "%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]" info:)
  [ "$1" -gt "$2" ] && [ "$2" -gt "$3" ] && [ "$1" -gt 90 ]
}
poll table_shown || fail "no table in a window within $DEADLINE_S s: $(tail -n 3 "$WORK/game.log")"

# Docks group a window with the launcher whose StartupWMClass is the window's class.
wanted=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$app.desktop")
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
[ -n "$wanted" ] && [ "$class" = "$wanted" ] ||
  fail "the window's class is \"$class\", the desktop entry's StartupWMClass \"$wanted\""

# The window's icon is the installed 64 px icon, pixel for pixel (ARGB words).
icon="$root/usr/share/icons/hicolor/64x64/apps/$app.png"
expected=$(convert "$icon" -depth 8 rgba:- | od -An -v -tu1 |
  awk '{ for (i = 1; i <= NF; ++i) v[n++] = $i }
       END { printf "64, 64"; for (i = 0; i < n; i += 4)
               printf ", %.0f", v[i+3] * 16777216 + v[i] * 65536 + v[i+1] * 256 + v[i+2] }')
shown=$(xprop -id "$window" -notype 32c _NET_WM_ICON | sed 's/^_NET_WM_ICON = //')
[ "$shown" = "$expected" ] || fail "the window's icon is not $icon: $(echo "$shown" | cut -c 1-80)"

echo "package run: lintian finds nothing; the unpacked program shows the table from an empty folder, as class $class with the installed icon"
