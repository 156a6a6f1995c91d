#!/bin/sh
# Plays the built game in a real window under Xvfb with SDL's disk audio driver, which
# writes what a player would hear, and measures it: heavy play (level-5 volleys in phase,
# charges, hits, the music) puts no sample at full scale; after M the output is silent
# (below -60 dBFS) and the settings file says so; after M again it is back. Escape ends
# the run with status 0, and its recording, M presses and all, verifies with zf-replay.
# Every check waits for what it checks, up to one deadline.
# Usage: sound_run.sh GAME_FOLDER   (ZF_HEAVY_SECONDS sets the heavy play's length, 12 s;
# ZF_KEEP_SOUND=folder keeps the output as a WAVE file and a screenshot of the label)
set -u
GAME_DIR=$1
HEAVY_S=${ZF_HEAVY_SECONDS:-12}
RUN="sound run"
. "$(dirname "$0")/real_window.sh"
# The output's frames: 2 channels of 16 bits at 22050 a second.
BYTES_PER_S=88200
# Runs and settings are kept here, never in the player's own folders.
export XDG_STATE_HOME="$WORK/state" XDG_CONFIG_HOME="$WORK/config"
SETTINGS="$WORK/config/zorbly-frondles/settings"
OUT="$WORK/out.raw"

keep_artifacts() {
  [ -n "${ZF_KEEP_SOUND:-}" ] || return 0
  sox -t raw -r 22050 -e signed -b 16 -c 2 "$OUT" "$ZF_KEEP_SOUND/sound-run.wav" 2>/dev/null ||
    cp "$OUT" "$ZF_KEEP_SOUND/sound-run.raw"
  [ -f "$WORK/label.miff" ] && convert "$WORK/label.miff" "$ZF_KEEP_SOUND/volume-label.png"
  cp "$WORK/game.log" "$ZF_KEEP_SOUND/" 2>/dev/null
}

# Bytes of output written so far, on a frame's boundary.
heard() { echo $(($(stat -c %s "$OUT" 2>/dev/null || echo 0) / 4 * 4)); }
heard_past() { game_alive; [ "$(heard)" -ge "$1" ]; }

# "PEAK FULL DBFS" of the output's bytes [FROM, TO): the largest sample's size, how many
# samples are at full scale, and the level (RMS) in dB below full scale.
measure() {
  tail -c +$(($1 + 1)) "$OUT" | head -c $(($2 - $1)) | od -An -v -td2 -w2 | awk '
    { v = $1; a = v < 0 ? -v : v; if (a > peak) peak = a; if (v >= 32767 || v <= -32768) full++
      sum += v * v; n++ }
    END { db = sum > 0 ? 20 * log(sqrt(sum / n) / 32768) / log(10) : -999
          printf "%d %d %.1f\n", peak, full, db }'
}

start_display

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$OUT" \
  ./zorbly-frondles --no-start-card --record "$WORK/run.zfr" >"$WORK/game.log" 2>&1 &
game=$!

poll found_window || fail "no window appeared: $(tail -n 3 "$WORK/game.log")"
xdotool mousemove 512 384 windowfocus "$window" 2>/dev/null
poll heard_past $BYTES_PER_S || fail "no sound written to the disk output"
# A first start has no settings yet: full volume, kept in the settings from then on.
[ -f "$SETTINGS" ] || fail "a first start kept no settings: $(cat "$WORK/game.log")"

# Heavy play: level-5 volleys with energy held up, phase and charge in turn, up and down
# through the pasta. A win's question is answered Yes with Y, which the game ignores. F5 is
# held: a tap can fall between two ticks of a busy machine's slow passes, unseen.
xdotool keydown F5 keydown space keydown e
end=$(($(date +%s) + HEAVY_S))
while [ "$(date +%s)" -lt "$end" ]; do
  game_alive
  xdotool keydown z keydown Up; sleep 0.7; xdotool keyup Up keydown Down; sleep 0.7
  xdotool keyup Down keyup z keydown c; sleep 0.6; xdotool keyup c key y
done
xdotool keyup F5 keyup space keyup e
# From here on the player phases, so that no death asks a question. A win still can, at
# any moment: sauced pasta left drifting by the heavy play score as they reach the player.
# The question takes the keys, so each step below that one can spoil is done again once
# it is answered.
xdotool keydown z
question_up() { shot now && [ "$(label_wood now 400x160+312+304)" -ge 20000 ]; }
no_question() {
  game_alive
  shot now || return 1
  # The text's strip, dark wood in the death's question and in the shorter win's alike.
  [ "$(label_wood now 400x60+312+340)" -lt 12000 ] && return 0
  xdotool key y
  return 1
}
# Volleys still in flight could win the run again: the game is left until none is (the
# recording's last state line says so) with no question up.
settled() {
  no_question || return 1
  grep "^state " "$WORK/run.zfr" | tail -n 1 | grep -q " proj=0 "
}
poll settled || fail "the end-of-run question stayed up, or the volleys never ended"
played=$(heard)
set -- $(measure 0 "$played")
echo "sound run: ${HEAVY_S} s of heavy play: peak $1, $2 samples at full scale, level $3 dBFS"
[ "$2" -eq 0 ] || fail "$2 samples at full scale in heavy play"

# M until the settings say muted=$1. A question that opens first takes M; once it is
# answered (Y comes after M), M has gone to the one or the other, and the file says which.
volume_is() { game_alive; grep -q "^muted=$1$" "$SETTINGS" 2>/dev/null; }
m_taken() {
  volume_is "$want" && return 0
  if question_up; then
    asked=1
    xdotool key y
  elif [ -n "$asked" ]; then
    asked=""
    volume_is "$want" || { echo "sound run: a win's question took M; M again"; xdotool key m; }
  fi
  return 1
}
press_m() {
  want=$1 asked=""
  xdotool key m
  poll m_taken || fail "M did not make it muted=$want: $(cat "$SETTINGS" 2>/dev/null)"
}
# A second of output from a moment after now (the mix runs a buffer ahead), measured into
# "$@"; again if a question opened meanwhile, which stops the music until it is answered.
measure_next_second() {
  while :; do
    from=$(($(heard) + BYTES_PER_S / 5))
    poll heard_past $((from + BYTES_PER_S)) || fail "the output stopped after M"
    question_up || break
    poll no_question || fail "the end-of-run question stayed up"
  done
  set -- $(measure "$from" $((from + BYTES_PER_S)))
  level="$*"
}

press_m yes
measure_next_second
set -- $level
echo "sound run: muted: peak $1, level $3 dBFS"
[ "$1" -lt 33 ] || fail "the output after M is not below -60 dBFS: peak $1"

press_m no
# The volume keys show their label over the picture, for a person to look at.
xdotool key minus key equal
import -window "$window" "$WORK/label.miff" 2>/dev/null
measure_next_second
set -- $level
echo "sound run: unmuted: peak $1, level $3 dBFS"
[ "$(echo "$3" | cut -d. -f1)" -gt -40 ] || fail "the sound did not come back after M again: $3 dBFS"

xdotool keyup z
end_on_escape "the game"

recording_verifies "$WORK/run.zfr"
keep_artifacts
echo "sound run: no sample at full scale, silent after M, back after M again, the recording verifies"
exit 0
