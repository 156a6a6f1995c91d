#!/bin/sh
# The tools against what a hostile tester gives them: zf-replay and the game's --replay
# refuse an endless device at once instead of reading it whole; Ctrl-C and SIGTERM end
# zf-replay and --replay mid-run within the deadline, each with one line and 128 + the
# signal's number; the mesh viewer says a directory is one.
# Usage: hostile_tools.sh GAME_FOLDER MESH_VIEWER
set -u
GAME_DIR=$1 MESH_VIEWER=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# Generous for a busy machine: a tool that does not stop goes on for days.
DEADLINE_S=60
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# poll CONDITION: true as soon as the shell condition holds, false at the deadline.
poll() {
  end=$(($(date +%s) + DEADLINE_S))
  until eval "$1"; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

# refuses LINE COMMAND…: status 2 at once, and standard error is that one line.
refuses() {
  line=$1
  shift
  timeout "$DEADLINE_S" "$@" >/dev/null 2>"$WORK/err"
  status=$?
  [ "$status" -eq 2 ] && [ "$(cat "$WORK/err")" = "$line" ] ||
    fail "$*: status $status, said: $(head -c 300 "$WORK/err")"
}

refuses 'zf-replay: cannot read the script "/dev/zero" (it is not a regular file)' \
  "$GAME_DIR/zf-replay" /dev/zero
refuses 'zorbly-frondles: cannot read the recording "/dev/zero" (it is not a regular file)' \
  "$GAME_DIR/zorbly-frondles" --replay /dev/zero

# stops SIGNAL STATUS STARTED COMMAND…: the command runs until STARTED (a shell condition
# on $WORK/out) holds, then the signal ends it with STATUS and one line naming the signal.
stops() {
  signal=$1 want=$2 started=$3
  shift 3
  rm -f "$WORK/status" "$WORK/pid"
  # Started from a script, a background job would begin with SIGINT ignored.
  (
    env --default-signal=INT,TERM "$@" >"$WORK/out" 2>"$WORK/err" &
    echo $! >"$WORK/pid"
    wait $!
    echo $? >"$WORK/status"
  ) &
  if poll "[ -s '$WORK/pid' ] && $started"; then
    kill -"$signal" "$(cat "$WORK/pid")"
    poll "[ -s '$WORK/status' ]" || fail "$1 goes on after SIG$signal"
  else
    fail "$1 did not start: $(tail -n 3 "$WORK/err")"
  fi
  [ -s "$WORK/status" ] || kill -KILL "$(cat "$WORK/pid")"
  wait
  [ "$(cat "$WORK/status")" = "$want" ] || fail "$1 after SIG$signal: status $(cat "$WORK/status"), want $want"
  [ "$(grep -c "stopped by SIG$signal" "$WORK/err")" -eq 1 ] ||
    fail "$1 after SIG$signal said: $(tail -n 3 "$WORK/err")"
}

printf 'pass 1000\nrun 200000 +15\n' >"$WORK/long.zfr"
stops INT 130 "grep -q '^S 20 ' '$WORK/out'" "$GAME_DIR/zf-replay" "$WORK/long.zfr"
stops TERM 143 "grep -q '^S 20 ' '$WORK/out'" "$GAME_DIR/zf-replay" "$WORK/long.zfr"
# A recording of some two hours' play, watched in the window (SDL's dummy one).
printf 'zfr 2\npass 1000\n' >"$WORK/long-run.zfr"
i=0
while [ $i -lt 8000 ]; do
  echo 'run 60 +15' >>"$WORK/long-run.zfr"
  i=$((i + 1))
done
cd "$GAME_DIR" || exit 1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
  stops TERM 143 "grep -q 'playing back' '$WORK/err'" ./zorbly-frondles --verbose --replay "$WORK/long-run.zfr"

mkdir "$WORK/models"
"$MESH_VIEWER" "$WORK/models" 2>"$WORK/err" && fail "the mesh viewer took a directory"
grep -q "is a directory" "$WORK/err" || fail "the mesh viewer said: $(cat "$WORK/err")"

echo "hostile tools: $failures failed"
[ "$failures" -eq 0 ]
