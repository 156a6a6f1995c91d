#!/bin/sh
# Plays the built game in a real window under Xvfb: looks at screenshots after start-up,
# after moving, after firing and in each mode, then presses Escape and wants status 0.
# Usage: window_run.sh GAME_FOLDER
set -u
GAME_DIR=$1
WORK=$(mktemp -d)
status=1
game=""

cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "window run: $*" >&2
  [ -n "${ZF_KEEP_SHOTS:-}" ] && cp "$WORK"/*.png "$WORK"/game.log "$ZF_KEEP_SHOTS"/ 2>/dev/null
  exit 1
}

# Xvfb picks a free display itself and says which, so that runs side by side never meet.
# -noreset: by default the server resets when its last client leaves (xdpyinfo below), and
# a game connecting during that reset finds no display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 30); do
  [ -s "$WORK/display" ] && break
  sleep 0.2
done
[ -s "$WORK/display" ] || fail "Xvfb did not start: $(tail -n 2 "$WORK/xvfb.log")"
export DISPLAY=":$(head -n 1 "$WORK/display")"
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"

# The leak check belongs to the unit tests; the window system's libraries keep a little.
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles >"$WORK/game.log" 2>&1 &
game=$!

# A sanitized build starting beside other tests may take a while; a game that ended says why.
window=""
for _ in $(seq 1 150); do
  window=$(xdotool search --name "^Zorbly Frondles$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$game" 2>/dev/null || fail "the game ended before its window showed: $(tail -n 3 "$WORK/game.log")"
  sleep 0.2
done
[ -n "$window" ] || fail "no window titled \"Zorbly Frondles\" appeared in 30 s: $(tail -n 3 "$WORK/game.log")"
xdotool mousemove 512 384 windowfocus "$window" 2>/dev/null
sleep 0.6

shot() {
  import -window "$window" "$WORK/$1.png" || fail "cannot take the screenshot $1"
}

# Mean red, green and blue (0 to 255) of a rectangle W x H at X,Y of a screenshot.
mean() {
  convert "$WORK/$1.png" -crop "$2" +repage -format "%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]" info:
}

# How many pixels of the rectangle are sauce red: strong red, little green or blue.
sauce() {
  convert "$WORK/$1.png" -crop "$2" +repage -fx "(r>0.55 && g<0.3 && b<0.3) ? 1 : 0" \
    -format "%[fx:int(mean*w*h+0.5)]" info:
}

shot start
set -- $(mean start 400x300+300+220)
[ "$1" -gt "$2" ] && [ "$2" -gt "$3" ] && [ "$1" -gt 90 ] || fail "no wood in the middle: $*"
set -- $(mean start 990x24+12+4)
[ "$1" -gt 150 ] && [ "$2" -gt 110 ] && [ "$3" -lt 110 ] || fail "no golden energy bar at the top: $*"
set -- $(mean start 490x14+12+750)
[ "$1" -gt 120 ] && [ "$1" -gt $(($2 + 50)) ] || fail "no red health bar at the bottom: $*"
atStart=$(sauce start 56x88+97+347)
[ "$atStart" -gt 300 ] || fail "the player is not near (100, 350): $atStart sauce pixels"

# Shots start at the player's unscaled centre and fly right 12 pixels a tick along its row.
lane() {
  sauce "$1" 300x30+112+358
}
# A slow machine draws few frames a second: hold a key until the screen shows its effect.
before=$(lane start)
xdotool keydown space
during=$before
for n in $(seq 1 20); do
  sleep 0.2
  shot firing
  during=$(lane firing)
  [ "$during" -gt $((before + 120)) ] && break
done
xdotool keyup space
[ "$during" -gt $((before + 120)) ] || fail "no shots in flight: $during sauce pixels in their lane, $before before"

xdotool keydown Right
afterMove=$atStart
for n in $(seq 1 20); do
  sleep 0.2
  shot moved
  afterMove=$(sauce moved 56x88+97+347)
  [ "$afterMove" -lt $((atStart / 2)) ] && break
done
xdotool keyup Right
[ "$afterMove" -lt $((atStart / 2)) ] || fail "the player did not move away: $afterMove of $atStart sauce pixels left"

# The looks of the three modes, for a person to look at; the run may have ended by now.
for key in z x c; do
  xdotool keydown "$key"; sleep 0.3
  shot "mode-$key"
  xdotool keyup "$key"; sleep 0.1
done

kill -0 "$game" 2>/dev/null || fail "the game ended early: $(tail -n 3 "$WORK/game.log")"
# Escape ends a run; if the end-of-run question is up by now, Escape answers it with No,
# once the question takes keys at all.
for _ in 1 2 3; do
  xdotool key Escape
  for _ in $(seq 1 20); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game" 2>/dev/null || break
done
kill -0 "$game" 2>/dev/null && fail "the game did not end on Escape"
wait "$game"
status=$?
game=""
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(tail -n 3 "$WORK/game.log")"
[ -n "${ZF_KEEP_SHOTS:-}" ] && cp "$WORK"/*.png "$ZF_KEEP_SHOTS"/
echo "window run: wood, bars, player, movement, shots and Escape all as expected"
exit 0
