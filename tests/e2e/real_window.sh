# Sourced by the scripts that play the built game in a real window: a work folder removed
# at the end with the game and the display, one deadline for every wait, and the game's
# window found by its title. A script sets RUN (its name in messages) first, and may
# define keep_artifacts, called before it fails.
# Every check waits for what it checks, up to one deadline, so a busy machine only makes
# the run slower, never wrong.
WORK=$(mktemp -d)
DEADLINE_S=30
game=""

cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

keep_artifacts() { :; }

fail() {
  echo "$RUN: $*" >&2
  keep_artifacts
  exit 1
}

# Runs the command until it succeeds or the deadline passes, POLL_PAUSE seconds apart; the
# command's last words (in $WORK/why) explain a failure.
poll() {
  end=$(($(date +%s) + DEADLINE_S))
  while :; do
    "$@" && return 0
    [ "$(date +%s)" -ge "$end" ] && return 1
    sleep "${POLL_PAUSE:-0.1}"
  done
}

game_alive() {
  [ -z "$game" ] || kill -0 "$game" 2>/dev/null || fail "the game ended early: $(tail -n 3 "$WORK/game.log")"
}

# Xvfb picks a free display itself and says which, so that runs side by side never meet.
# -noreset: by default the server resets when its last client leaves (xdpyinfo below), and
# a game connecting during that reset finds no display. The screen is 1024x768 unless a
# size is given; a display started before is ended first.
start_display() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -f "$WORK/display"
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  xvfb=$!
  poll test -s "$WORK/display" || fail "Xvfb did not start: $(tail -n 2 "$WORK/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$WORK/display")"
  poll xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
}

# Sets $window to the game's window once there is one.
found_window() {
  game_alive
  window=$(xdotool search --name "^Zorbly Frondles$" 2>/dev/null | head -n 1)
  [ -n "$window" ]
}

# A screenshot of the window, $WORK/NAME.miff. MIFF, not PNG: compressing a PNG takes
# seconds on a busy machine.
shot() {
  import -window "$window" "$WORK/$1.miff" 2>/dev/null
}

# How many pixels of the rectangle W x H+X+Y of a screenshot meet the condition.
count_fx() {
  convert "$WORK/$1.miff" -crop "$2" +repage -fx "$3" -format "%[fx:int(mean*w*h+0.5)]" info:
}
# The dark wood our labels and questions are drawn on.
label_wood() { count_fx "$1" "$2" "(r>0.16 && r<0.25 && g>0.08 && g<0.16 && b<0.1) ? 1 : 0"; }

# Escape ends a run or a playback; if the end-of-run question is up by now, Escape answers
# it with No once the question takes keys, so it is pressed until the program has ended,
# which must be with status 0.
end_on_escape() {
  ended() {
    kill -0 "$game" 2>/dev/null || return 0
    xdotool key Escape 2>/dev/null
    return 1
  }
  poll ended || fail "$1 did not end on Escape"
  wait "$game"
  status=$?
  game=""
  [ "$status" -eq 0 ] || fail "$1 ended with status $status: $(tail -n 3 "$WORK/game.log")"
}

# The recorded run, replayed headless by zf-replay in the working folder, gives the world
# it recorded, pass for pass.
recording_verifies() {
  ASAN_OPTIONS=detect_leaks=0 ./zf-replay --verify "$1" >"$WORK/verify.log" 2>&1 ||
    fail "the recorded run does not verify: $(grep zf-replay "$WORK/verify.log")"
  grep -q " state lines agree with the recording" "$WORK/verify.log" ||
    fail "no verdict: $(tail -n 3 "$WORK/verify.log")"
}
