#!/bin/sh
# Runs a command on an Xvfb display of its own: the server picks a free display and names
# it once it takes connections, waited for up to one deadline; it ends with the command.
# Usage: under_xvfb.sh COMMAND [ARGUMENTS...]
set -u
WORK=$(mktemp -d)
DEADLINE_S=30
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# -noreset: a server that resets when its last client leaves refuses the next one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb=$!
end=$(($(date +%s) + DEADLINE_S))
until [ -s "$WORK/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null || [ "$(date +%s)" -ge "$end" ]; then
    echo "under_xvfb: Xvfb did not start: $(tail -n 2 "$WORK/xvfb.log")" >&2
    exit 1
  fi
  sleep 0.1
done
DISPLAY=":$(head -n 1 "$WORK/display")" SDL_VIDEODRIVER=x11 "$@"
