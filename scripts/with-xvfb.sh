#!/usr/bin/env bash
# with-xvfb.sh COMMAND [ARGS...]: runs COMMAND on a virtual X screen of its own (1280x1024, 24 bit,
# 96 dpi) and stops the screen afterwards. The X server picks a free display number itself
# (-displayfd), so several of these run side by side without racing for one. Exits with the
# command's status; a missing Xvfb or a server that does not come up is a failure (status 1).
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "with-xvfb: Xvfb is not installed (Debian package xvfb)" >&2
  exit 1
fi

state=$(mktemp -d)
server=
stop() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$state"
}
trap stop EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset \
  3>"$state/display" 2>"$state/server.log" &
server=$!
for _ in $(seq 100); do
  # The server writes the display number and a line break once it accepts clients.
  if grep -q '^[0-9][0-9]*$' "$state/display" 2>/dev/null; then break; fi
  if ! kill -0 "$server" 2>/dev/null; then break; fi
  sleep 0.05
done
if ! grep -q '^[0-9][0-9]*$' "$state/display" 2>/dev/null; then
  echo "with-xvfb: the X server did not start:" >&2
  cat "$state/server.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$state/display")"
status=0
"$@" || status=$?
exit "$status"
