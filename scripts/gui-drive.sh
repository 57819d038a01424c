# Functions that drive `telmora --gui` on an X display with xdotool and take pictures of its
# window with ImageMagick; sourced by the desktop tests and by screenshot.sh. Every wait has a
# limit: what does not happen in time fails the caller (gui_fail), it never hangs.
#
# The diary window is laid out at 96 dpi (with-xvfb.sh gives the screen that resolution): a
# menu bar of 25 pixels, below it the add-in window, whose positions are twips / 15.

GUI_DAY=2026-03-16  # "today" of every run: the period, the tips and their dates stay the same
GUI_PID=
GUI_WID=

gui_fail() {
  echo "gui: $*" >&2
  exit 1
}

# The tools the drive needs; a missing one fails (the desktop tests never skip).
gui_require_tools() {
  local tool
  for tool in xdotool import compare convert; do
    command -v "$tool" >/dev/null 2>&1 ||
      gui_fail "$tool is missing (Debian packages xdotool and imagemagick)"
  done
  [ -n "${DISPLAY:-}" ] || gui_fail "no display (run under scripts/with-xvfb.sh)"
}

# gui_start TELMORA LIBRARY WORK: a fresh registry and settings folder under WORK, the window
# shown. German texts and dates whatever the machine's locale.
gui_start() {
  local telmora=$1 library=$2 work=$3
  mkdir -p "$work"
  LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$telmora" --registry "$work/registry" \
    --register "$library" --settings "$work/settings" --quiet-trace --today "$GUI_DAY" --gui \
    >"$work/telmora.out" 2>"$work/telmora.err" &
  GUI_PID=$!
  GUI_WID=$(timeout 20 xdotool search --sync --onlyvisible --pid "$GUI_PID" --name '^Telmora$' |
    head -n1) || true
  [ -n "$GUI_WID" ] || gui_fail "the window of telmora did not show: $(cat "$work/telmora.err")"
}

# gui_shot FILE: a picture of the diary window.
gui_shot() {
  import -silent -window "$GUI_WID" "$1" || gui_fail "no picture of window $GUI_WID"
}

# gui_settle FILE: waits until the window stops changing (two pictures in a row alike, the
# grid's deferred work done) and leaves the last picture in FILE.
gui_settle() {
  local file=$1 previous="$1.previous.png" i
  gui_shot "$previous"
  for i in $(seq 50); do
    sleep 0.15
    gui_shot "$file"
    if [ "$(compare -metric AE "$file" "$previous" null: 2>&1)" = 0 ]; then
      rm -f "$previous"
      return 0
    fi
    mv "$file" "$previous"
  done
  gui_fail "the window did not stop changing"
}

# gui_click X Y: a left click at window pixels; xdotool needs a pause between move and click.
gui_click() {
  xdotool mousemove --window "$GUI_WID" "$1" "$2" sleep 0.15 click 1 sleep 0.1
}

# gui_key KEYS...: keys to the diary window.
gui_key() {
  xdotool windowfocus --sync "$GUI_WID" key --delay 80 "$@" sleep 0.1
}

# gui_wait_for SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS long.
gui_wait_for() {
  local seconds=$1 i
  shift
  for i in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# gui_stop WORK: closes the window (Datei, Beenden) and waits for telmora to end by itself.
gui_stop() {
  local work=$1 status=0
  gui_key ctrl+q
  gui_wait_for 10 eval '! kill -0 "$GUI_PID" 2>/dev/null' || gui_fail "telmora did not end"
  wait "$GUI_PID" || status=$?
  GUI_PID=
  [ "$status" -eq 0 ] || gui_fail "telmora ended with status $status: $(cat "$work/telmora.err")"
}

# Ends a telmora that a failed step left running (the caller's EXIT trap).
gui_kill() {
  if [ -n "$GUI_PID" ]; then
    kill "$GUI_PID" 2>/dev/null || true
    wait "$GUI_PID" 2>/dev/null || true
  fi
}

# Places in the window, in pixels: 25 for the menu bar plus the add-in window's twips / 15.
GUI_START_X=$(((12045 - 2655 + 2655 / 2) / 15))       # cmdStartExport at the bottom right
GUI_START_Y=$((25 + (6915 - 480 + 480 / 2) / 15))
GUI_READ_X=$(((3240 + 120) / 15))                      # optStatus(1), on its round mark
GUI_READ_Y=$((25 + (6915 - 480 - 240 - 255 + 255 / 2) / 15))
GUI_FIRST_ROW_X=$(((120 + 2400) / 15))                 # grdTipps, in the tip column
GUI_FIRST_ROW_Y=$((25 + 2280 / 15 + 27))               # below the header row

# gui_open_addin WORK: the add-in's entry in the menu Add-ins (Alt+A, the first entry).
gui_open_addin() {
  local before="$1/before-menu.png"
  gui_settle "$before"
  gui_key alt+a Down Return
  gui_wait_for 10 gui_differs_from "$before" || gui_fail "the add-in window did not show"
}

# gui_fetch_tips WORK: the start button; done once the exchange wrote the store.
gui_fetch_tips() {
  gui_click "$GUI_START_X" "$GUI_START_Y"
  gui_wait_for 10 test -s "$1/settings/Perlowan.dat" || gui_fail "no tips were fetched"
}

# gui_differs_from FILE: the window looks different from the picture FILE now.
gui_differs_from() {
  gui_shot "$1.now.png"
  [ "$(compare -metric AE "$1.now.png" "$1" null: 2>&1)" != 0 ]
}

# gui_compare ACTUAL REFERENCE DIFF: fails when the pictures differ by more than rendering noise.
#
# Both pictures are scaled down to a quarter (each pixel the mean of 4 x 4) and a pixel counts
# as different when a channel differs by more than 20 %; the picture fails above 4 such pixels
# in 10,000. Measured on the window of the look test (802 x 486): repeated runs are identical;
# other font rendering (hintfull without antialiasing, or no hinting with subpixel order rgb)
# changes 2.7 % and 3.6 % of the full-size pixels but 0 of the scaled ones; erasing one caption
# ("Tipp gelesen") changes 0.098 % of the scaled ones, one date text 0.106 %, one grid row
# 1.0 %. A lost single grid line stays below the limit: the grid's lines are tested headless.
# Another font family (other glyph widths) fails, on purpose: take the picture again there.
gui_compare() {
  local actual=$1 reference=$2 diff=$3 size_a size_r differing total
  [ -f "$reference" ] || gui_fail "no reference picture $reference"
  size_a=$(identify -format '%wx%h' "$actual")
  size_r=$(identify -format '%wx%h' "$reference")
  [ "$size_a" = "$size_r" ] ||
    gui_fail "the window is ${size_a}, the reference ${size_r} (picture: $actual)"
  convert "$actual" -scale 25% "$actual.small.png"
  convert "$reference" -scale 25% "$diff.reference-small.png"
  differing=$(compare -metric AE -fuzz 20% "$actual.small.png" "$diff.reference-small.png" \
    null: 2>&1 || true)
  rm -f "$actual.small.png" "$diff.reference-small.png"
  case "$differing" in '' | *[!0-9]*) gui_fail "compare failed: $differing" ;; esac
  total=$(((${size_a%x*} / 4) * (${size_a#*x} / 4)))
  echo "gui: $differing of about $total scaled pixels differ (limit 4 in 10,000)"
  if [ $((differing * 10000)) -gt $((total * 4)) ]; then
    compare -fuzz 10% "$actual" "$reference" "$diff" 2>/dev/null || true
    gui_fail "the window does not look like $reference: see $actual and $diff"
  fi
}

# gui_store_first_id STORE: the identifier of the first tip the store received.
gui_store_first_id() {
  tr -d '\r' <"$1" | awk -F= '
    /^\[/ { section = $0; next }
    section == "[Tipps]" && $1 == "All" { split($2, ids, ";"); print ids[1]; exit }'
}

# gui_store_read_is STORE ID: tip ID has the status "read" (1), every other tip "not read" (0).
gui_store_read_is() {
  tr -d '\r' <"$1" | awk -F= -v id="$2" '
    /^\[/ { section = $0; next }
    section == "[Tipp]" && NF > 1 {
      status = substr($2, 1, 1)
      if ($1 == id) { found = 1; if (status != "1") bad = 1 }
      else if (status != "0") bad = 1
    }
    END { exit !(found && !bad) }'
}
