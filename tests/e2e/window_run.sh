#!/bin/sh
# Plays the built game in a real window under Xvfb: wants no capture after the window maps
# to be black, the start card first (6 s on it start nothing; Space starts the run) and
# the window to carry its icon, looks at screenshots after start-up,
# after firing, after moving, with the window left and back, paused, in each mode, and in
# full screen and back without and with a window manager, then presses Escape and wants status 0; the run was recorded, and zf-replay --verify
# must find the replayed world as recorded, and --replay must show it again, marked as a
# replay and paused by P, until Escape; then starts it without its files and wants the
# failure in a box. A clean start says nothing; a start without a sound device one line.
# Last, a quick win: its time and bests beside the question, the records and best-win.zfr
# kept, --runs listing it, --replay best playing it and zf-replay --verify agreeing with the
# records.
# Usage: window_run.sh GAME_FOLDER
set -u
GAME_DIR=$1
RUN="window run"
. "$(dirname "$0")/real_window.sh"
# Runs are recorded and settings kept here, never in the player's own folders.
export XDG_STATE_HOME="$WORK/state" XDG_CONFIG_HOME="$WORK/config"
keep_artifacts() { keep_shots; }
# A screen larger than the window, for full screen to fill.
start_display 1280x1024

# The leak check belongs to the unit tests; the window system's libraries keep a little.
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --record "$WORK/run.zfr" \
  >"$WORK/game.log" 2>&1 &
game=$!

POLL_PAUSE=0 poll found_window || fail "no window titled \"Zorbly Frondles\" appeared in $DEADLINE_S s: $(tail -n 3 "$WORK/game.log")"

keep_shots() {
  [ -n "${ZF_KEEP_SHOTS:-}" ] || return 0
  for f in "$WORK"/*.miff; do convert "$f" "$ZF_KEEP_SHOTS/$(basename "$f" .miff).png"; done
  cp "$WORK/game.log" "$ZF_KEEP_SHOTS/" 2>/dev/null
}

# Mean red, green and blue (0 to 255) of a rectangle W x H at X,Y of a screenshot.
mean() {
  convert "$WORK/$1.miff" -crop "$2" +repage -format "%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]" info:
}

# How many pixels of the rectangle are sauce red (strong red, little green or blue), or
# the shots' bright green.
sauce() { count_fx "$1" "$2" "(r>0.55 && g<0.3 && b<0.3) ? 1 : 0"; }
shot_green() { count_fx "$1" "$2" "(g>0.6 && g>r+0.1 && g>b+0.3) ? 1 : 0"; }

# The table: wood in the middle, a golden energy bar at the top, a red health bar at the
# bottom.
table() {
  game_alive
  shot start || { echo "no screenshot" >"$WORK/why"; return 1; }
  set -- $(mean start 400x300+300+220)
  [ "$1" -gt "$2" ] && [ "$2" -gt "$3" ] && [ "$1" -gt 90 ] || { echo "no wood in the middle: $*" >"$WORK/why"; return 1; }
  set -- $(mean start 990x24+12+4)
  [ "$1" -gt 150 ] && [ "$2" -gt 110 ] && [ "$3" -lt 110 ] || { echo "no golden energy bar at the top: $*" >"$WORK/why"; return 1; }
  set -- $(mean start 490x14+12+750)
  [ "$1" -gt 120 ] && [ "$1" -gt $(($2 + 50)) ] || { echo "no red health bar at the bottom: $*" >"$WORK/why"; return 1; }
}

# The first frame: the table, and the player near (100, 350).
first_frame() {
  table || return 1
  atStart=$(sauce start 56x88+97+347)
  [ "$atStart" -gt 300 ] || { echo "the player is not near (100, 350): $atStart sauce pixels" >"$WORK/why"; return 1; }
}

# The window opens with its first frame in it: watched until it maps and captured back
# to back from then on, none may be black. A black one ends the polling at once and is
# the failure.
mapped_not_black() {
  game_alive
  xwininfo -id "$window" 2>/dev/null | grep -q IsViewable || { echo "the window never mapped" >"$WORK/why"; return 1; }
  shot start || return 1
  if [ "$(convert "$WORK/start.miff" -format "%[fx:int(255*mean)]" info:)" -lt 3 ]; then
    echo "the window showed black after it mapped" >"$WORK/black"
    return 0
  fi
  "$@"
}
# The start card: its dark wood panel in the middle of the picture.
card() {
  game_alive
  shot card && [ "$(label_wood card 400x160+312+304)" -gt 20000 ] || { echo "no start card" >"$WORK/why"; return 1; }
}
POLL_PAUSE=0 poll mapped_not_black card || fail "$(cat "$WORK/why")"
[ -e "$WORK/black" ] && fail "$(cat "$WORK/black")"
# Left alone on the card, nothing starts: no run is recorded and no question comes (an
# idle player dies in 3 to 12 s once a run is underway).
sleep 6
card || fail "the start card went by itself"
[ -e "$WORK/run.zfr" ] && fail "6 s on the start card recorded a run: $(head -c 300 "$WORK/run.zfr")"
xdotool mousemove 512 384 windowfocus "$window" key space 2>/dev/null
poll first_frame || fail "Space on the start card: $(cat "$WORK/why")"
# The icon comes from the game's folder here, as its other files do.
has_icon() { xprop -id "$window" -notype 32c _NET_WM_ICON | grep -q "= 64, 64, "; }
poll has_icon || fail "the window has no 64 px icon"

# Shots start at the player's unscaled centre and fly right 12 pixels a tick along its row.
before=$(shot_green start 300x30+112+358)
shots_in_flight() {
  game_alive
  shot firing || return 1
  during=$(shot_green firing 300x30+112+358)
  [ "$during" -gt $((before + 120)) ]
}
xdotool keydown space
poll shots_in_flight
ok=$?
xdotool keyup space
[ $ok -eq 0 ] || fail "no shots in flight: $during green pixels in their lane, $before before"

moved_away() {
  game_alive
  shot moved || return 1
  afterMove=$(sauce moved 56x88+97+347)
  [ "$afterMove" -lt $((atStart / 2)) ]
}
xdotool keydown Right
poll moved_away
ok=$?
xdotool keyup Right
[ $ok -eq 0 ] || fail "the player did not move away: $afterMove of $atStart sauce pixels left"

# Leaving the window pauses the game: a screenshot agrees with the one before it. Back in
# the window, the game goes on and they differ again.
: >"$WORK/before.miff"
# Shoots the window and sets $difference to the pixels changed since the last shot.
shoot_difference() {
  game_alive
  shot now || return 1
  difference=$(compare -metric AE "$WORK/now.miff" "$WORK/before.miff" null: 2>&1)
  mv "$WORK/now.miff" "$WORK/before.miff"
}
unchanged() { shoot_difference && [ "$difference" = 0 ]; }
changing() { shoot_difference && [ "$difference" != 0 ]; }
xdotool windowfocus "$(xwininfo -root | awk '/Window id/ {print $4}')"
poll unchanged || fail "the game went on with its window left"
xdotool windowfocus "$window"
poll changing || fail "the game did not go on when its window came back"

# P pauses the game and says so in the middle of the picture; P again, and it is gone.
MIDDLE=400x160+312+304
paused_label() { game_alive; shot paused && [ "$(label_wood paused $MIDDLE)" -gt 5000 ]; }
no_paused_label() { game_alive; shot paused && [ "$(label_wood paused $MIDDLE)" -lt 1000 ]; }
# The game reads P at its ticks: each press and release is held over a few of them.
xdotool keydown p sleep 0.1 keyup p
poll paused_label || fail "no PAUSED label while paused"
xdotool keydown p sleep 0.1 keyup p
poll no_paused_label || fail "the PAUSED label stayed after the game went on"

# The looks of the three modes, for a person to look at (ZF_KEEP_SHOTS=folder keeps them).
for key in z x c; do
  xdotool keydown "$key"; shot "mode-$key"; xdotool keyup "$key"
done

# Alt+Enter and back, without a window manager and then with one: in full screen the
# window covers the screen and the picture fills it at its own aspect, 1280 x 960 between
# black bars of 32 rows (the score and both bars in it, the question too if it is up); back
# in the window, the window has its own size again. SDL takes a window to be full screen
# at once, and without a window manager it was left at 1024 x 768 showing a corner of it.
window_size() { xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
# Whether the rectangle of a screenshot is brighter on average than a level out of 255.
lit() { [ "$(convert "$WORK/$1.miff" -crop "$2" +repage -format "%[fx:int(255*mean)]" info:)" -gt "$3" ]; }
full_screen() {
  game_alive
  [ "$(window_size)" = 1280x1024 ] || { echo "the window is $(window_size) in full screen" >"$WORK/why"; return 1; }
  shot "full-screen$1" || return 1
  { ! lit "full-screen$1" 1280x32+0+0 3 && ! lit "full-screen$1" 1280x32+0+992 3; } ||
    { echo "no black bars above and below the picture" >"$WORK/why"; return 1; }
  lit "full-screen$1" 1280x24+0+34 20 && lit "full-screen$1" 1280x24+0+966 20 ||
    { echo "the picture does not reach its top and bottom" >"$WORK/why"; return 1; }
}
windowed() {
  game_alive
  [ "$(window_size)" = 1024x768 ] || { echo "the window is $(window_size) back from full screen" >"$WORK/why"; return 1; }
  shot "windowed$1" && lit "windowed$1" 1024x24+0+0 20 && lit "windowed$1" 1024x24+0+744 20 ||
    { echo "the picture does not fill the window back from full screen" >"$WORK/why"; return 1; }
}
switch_and_back() {
  xdotool windowfocus "$window" key alt+Return
  poll full_screen "$1" || fail "full screen$1: $(cat "$WORK/why")"
  xdotool windowfocus "$window" key alt+Return
  poll windowed "$1" || fail "back from full screen$1: $(cat "$WORK/why")"
}
switch_and_back ""
openbox >"$WORK/openbox.log" 2>&1 &
wm=$!
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
poll managed || fail "openbox did not start: $(tail -n 2 "$WORK/openbox.log")"
switch_and_back " with openbox"
# Its windows go back to the root as it ends; the game's is given the keys again.
kill "$wm" && wait "$wm"
xdotool windowfocus "$window"

game_alive
end_on_escape "the game"
# A first start without settings, no gamepad and nothing wrong says nothing at all, on
# standard output or error, and neither does the run.
[ -s "$WORK/game.log" ] && fail "a clean start and run said: $(head -n 5 "$WORK/game.log")"

recording_verifies "$WORK/run.zfr"

# Played back in the window: the table and the bars again, and Escape stops it.
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --replay "$WORK/run.zfr" \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window for the playback: $(tail -n 3 "$WORK/game.log")"
POLL_PAUSE=0 poll mapped_not_black table || fail "playback: $(cat "$WORK/why")"
[ -e "$WORK/black" ] && fail "playback: $(cat "$WORK/black")"
# It says it is a replay, in the top-left corner; P pauses it, and says so.
CORNER=240x54+12+36
replay_marker() { game_alive; shot replay && [ "$(label_wood replay $CORNER)" -gt 2000 ]; }
poll replay_marker || fail "no REPLAY marker in the playback's corner"
xdotool key p
poll paused_label || fail "no PAUSED label while the playback is paused"
xdotool key p
end_on_escape "the playback"

# A start-up failure a player can see: the program alone in a folder, without its wood,
# says why on standard error and in a box of that line, and ends when the box is closed.
mkdir "$WORK/bare" && cp ./zorbly-frondles "$WORK/bare/" && cd "$WORK/bare" || fail "no copy of the game"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles >"$WORK/game.log" 2>&1 &
game=$!
failure_box() {
  game_alive
  grep -q '^zorbly-frondles: cannot start: "wood.png" not found' "$WORK/game.log" || return 1
  # The box comes from a process of SDL's own, which xdotool's search does not see.
  for window in $(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Zorbly Frondles".*/\1/p'); do
    xwininfo -id "$window" | grep -q IsViewable && shot failure && return 0
  done
  return 1
}
poll failure_box || fail "no box for the missing wood: $(tail -n 3 "$WORK/game.log")"
closed() {
  kill -0 "$game" 2>/dev/null || return 0
  xdotool windowfocus "$window" key Return 2>/dev/null
  return 1
}
poll closed || fail "the game did not end when its failure box was closed"
wait "$game"
status=$?
game=""
[ "$status" -ne 0 ] || fail "a failed start ended with status 0"

# Under a window manager: it places the window itself (SDL would mark the place as the
# user's choice), minimising and restoring resumes the game, and a pointer resting where
# No appears, reported again as the window comes back under it, chooses nothing: Enter
# takes Yes and the run starts again.
# A screen with room for the window and its frame, so that it keeps its own size.
start_display 1600x1200
openbox >"$WORK/openbox.log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null; cleanup' EXIT
# A window mapped while the window manager is still starting may be left unmanaged.
managing() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
poll managing || fail "the window manager did not start: $(tail -n 2 "$WORK/openbox.log")"
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --no-start-card --record "$WORK/away.zfr" \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window under the window manager: $(tail -n 3 "$WORK/game.log")"
poll table || fail "under the window manager: $(cat "$WORK/why")"
xprop -id "$window" WM_NORMAL_HINTS | grep -q "specified location" &&
  fail "the window tells the window manager where it must go: $(xprop -id "$window" WM_NORMAL_HINTS)"
viewable() { game_alive; xwininfo -id "$window" | grep -q IsViewable; }
minimised() { game_alive; ! xwininfo -id "$window" | grep -q IsViewable; }
# The game heard of it: its recording says so (it writes every second while it plays).
heard_minimised() { game_alive; grep -q "focus=minimised" "$WORK/away.zfr"; }
# Minimises the window until the check holds, and brings it back.
minimise_and_restore() {
  xdotool windowminimize "$window"
  poll "$1" || fail "the window did not minimise ($1)"
  xdotool windowactivate "$window" 2>/dev/null
  poll viewable || fail "the window did not come back"
}
xdotool windowactivate "$window" mousemove 0 0
minimise_and_restore heard_minimised
shoot_difference
poll changing || fail "the game did not go on after it was minimised and restored"
shot restored
# The middle of No, once the question shows.
xdotool mousemove --window "$window" 616 453
# Left alone, the player dies within seconds; the window is minimised and restored under
# the question with the pointer still at rest.
question() { game_alive; shot asked && [ "$(label_wood asked 400x160+312+304)" -gt 20000 ]; }
DEADLINE_S=60 poll question || fail "no question came when the player was left alone"
# The question takes the window's events while it shows: it has to see the window go.
minimise_and_restore minimised
# Yes lit as the chosen button: the box takes keys now, and the pointer chose nothing.
yes_chosen() { game_alive; shot asked && [ "$(count_fx asked 40x40+335+432 "(r>0.6 && g<0.25) ? 1 : 0")" -gt 1000 ]; }
poll yes_chosen || fail "after the window came back under a resting pointer, Yes is not the chosen button"
xdotool key Return
no_question() { game_alive; shot again && [ "$(label_wood again 400x160+312+304)" -lt 20000 ]; }
poll no_question || fail "Enter under a resting pointer did not start the run again"
end_on_escape "the game under the window manager"
recording_verifies "$WORK/away.zfr"
grep -q "ask=yes" "$WORK/away.zfr" || fail "the question was not answered Yes: $(grep ask= "$WORK/away.zfr")"
# The state lines after coming back from the first minimising say the game runs.
awk '/focus=gained/ && away { back = 1 } /focus=minimised/ { away = 1 }
  back && /^state / { states++; if ($0 !~ / paused=0 /) bad = $0 }
  END { if (!states || bad) { print bad ? bad : "no state line after coming back"; exit 1 } }' \
  "$WORK/away.zfr" >"$WORK/why" || fail "paused after coming back: $(cat "$WORK/why")"

# Played back, its question keeps the REPLAY marker (cream text in the corner over the
# dimmed picture); at its end the playback says so and how the run ended, and closes by
# itself with status 0.
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --replay "$WORK/away.zfr" \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window for the playback: $(tail -n 3 "$WORK/game.log")"
cream() { count_fx "$1" "$2" "(r>0.9 && g>0.85 && b>0.7) ? 1 : 0"; }
marked_question() { question && [ "$(cream asked $CORNER)" -gt 300 ]; }
DEADLINE_S=60 poll marked_question || fail "no REPLAY marker over the played-back question"
replay_end() {
  game_alive
  shot ended && [ "$(cream ended 240x30+300+45)" -gt 300 ] && [ "$(cream ended 400x60+312+350)" -gt 3000 ]
}
poll replay_end || fail "the playback did not say its end"
closed_itself() { ! kill -0 "$game" 2>/dev/null; }
poll closed_itself || fail "the playback's end did not close by itself"
wait "$game" || fail "the playback ended with status $?: $(tail -n 3 "$WORK/game.log")"
game=""

# No sound device is a problem: one line, and ALSA's own lines are not shown.
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=alsa AUDIODEV=hw:99 ./zorbly-frondles --no-record --no-start-card \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window without a sound device: $(tail -n 3 "$WORK/game.log")"
poll table || fail "without a sound device: $(cat "$WORK/why")"
end_on_escape "the game without a sound device"
[ "$(grep -c . "$WORK/game.log")" -eq 1 ] && grep -q "^zorbly-frondles: no sound device" "$WORK/game.log" ||
  fail "without a sound device it said: $(head -n 5 "$WORK/game.log")"

# A quick win, from a state folder of its own: level-5 volleys with energy held, phasing up
# and down through the pasta; a death's question is answered Yes. The recording notes each
# result before its question shows.
export XDG_STATE_HOME="$WORK/wins"
KEPT="$WORK/wins/zorbly-frondles"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --no-start-card \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window for the quick win: $(tail -n 3 "$WORK/game.log")"
poll table || fail "the quick win: $(cat "$WORK/why")"
focused() { xdotool windowactivate "$window" 2>/dev/null; [ "$(xdotool getwindowfocus)" = "$window" ]; }
poll focused || fail "the quick win's window did not take the keys"
xdotool keydown F5 keydown space keydown e keydown z
won() {
  game_alive
  grep -q "^# result won" "$KEPT/last-run.zfr" 2>/dev/null && return 0
  question && xdotool key y
  xdotool keydown Up sleep 0.5 keyup Up keydown Down sleep 0.5 keyup Down
  return 1
}
DEADLINE_S=90 POLL_PAUSE=0 poll won
ok=$?
xdotool keyup F5 keyup space keyup e keyup z
[ $ok -eq 0 ] || fail "no win in 90 s of heavy play: $(grep "^# result" "$KEPT/last-run.zfr")"
# Beside the question, above it: the run's time and the bests, on the panel's dark wood.
noted() { game_alive; shot win && [ "$(label_wood win 400x90+312+120)" -gt 12000 ]; }
poll noted || fail "no result beside the win's question"
end_on_escape "the quick win"
fastest=$(sed -n 's/^fastest-win=//p' "$KEPT/records")
[ -n "$fastest" ] && [ "$fastest" -gt 0 ] || fail "no fastest win in the records: $(cat "$KEPT/records")"
played=$(awk -v ms="$fastest" 'BEGIN { t = int(ms / 100); printf "%d:%02d.%d", int(t / 600), int(t / 10) % 60, t % 10 }')
./zorbly-frondles --runs >"$WORK/runs.log" 2>&1 || fail "--runs failed: $(cat "$WORK/runs.log")"
grep -q "^best-win.zfr .* $played  won " "$WORK/runs.log" || fail "--runs does not list the win of $played: $(cat "$WORK/runs.log")"
recording_verifies "$KEPT/best-win.zfr"
grep -q "^zf-replay: run [0-9]* won, score [0-9]*, $played played$" "$WORK/verify.log" ||
  fail "zf-replay --verify best-win.zfr does not prove the fastest win of $played: $(cat "$WORK/verify.log")"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy ./zorbly-frondles --replay best --verbose \
  >"$WORK/game.log" 2>&1 &
game=$!
POLL_PAUSE=0 poll found_window || fail "no window for --replay best: $(tail -n 3 "$WORK/game.log")"
poll replay_marker || fail "--replay best shows no REPLAY marker"
grep -q "playing back \"$KEPT/best-win.zfr\"" "$WORK/game.log" || fail "--replay best plays another file: $(cat "$WORK/game.log")"
end_on_escape "the playback of the best win"

keep_shots
echo "window run: never black, the start card, icon, wood, bars, player, shots, movement, leaving, the pause, full screen and back, Escape, the recording, its playback with its marker and pause, a silent clean start, the failure box, and under a window manager its own place, minimising and restoring, Enter under a resting pointer, and the playback's marked question and its end, one line without a sound device, and a quick win's result, records, listing, playback and proof as expected"
exit 0
