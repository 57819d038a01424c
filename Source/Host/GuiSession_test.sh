#!/usr/bin/env bash
# Desktop tests of `telmora --gui`, run by CTest on a virtual screen of their own
# (scripts/with-xvfb.sh). Behaviour is tested headless; these check what only the real window
# shows: that it looks right, and that mouse and keys reach the add-in.
#
#   GuiSession_test.sh look TELMORA LIBRARY OUT REFERENCE
#       the window with fetched tips and the first one selected looks like the picture REFERENCE
#   GuiSession_test.sh picture TELMORA LIBRARY OUT DESTINATION
#       takes that picture (scripts/screenshot.sh, for the README and the look test)
#   GuiSession_test.sh read TELMORA LIBRARY OUT
#       menu entry, start button, first row, "Tipp gelesen": the store file keeps the status
#
# OUT is a folder of the build; a failed comparison leaves actual.png and diff.png there.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/gui-drive.sh
source "$here/../../scripts/gui-drive.sh"

[ $# -ge 4 ] || gui_fail "usage: $0 look|picture|read TELMORA LIBRARY OUT [PICTURE]"
mode=$1 telmora=$2 library=$3 out=$4
work="$out/$mode"
rm -rf "$work"
mkdir -p "$work"
trap gui_kill EXIT

gui_require_tools
gui_start "$telmora" "$library" "$work"
gui_open_addin "$work"
gui_fetch_tips "$work"

case "$mode" in
  look | picture)
    gui_click "$GUI_FIRST_ROW_X" "$GUI_FIRST_ROW_Y"
    gui_settle "$work/actual.png"
    if [ "$mode" = picture ]; then
      cp "$work/actual.png" "${5:?the destination}"
      gui_stop "$work"
      echo "gui: the window's picture is $5"
      exit 0
    fi
    reference=${5:?the reference picture}
    gui_compare "$work/actual.png" "$reference" "$work/diff.png"
    gui_stop "$work"
    ;;
  read)
    store="$work/settings/Perlowan.dat"
    gui_click "$GUI_FIRST_ROW_X" "$GUI_FIRST_ROW_Y"
    gui_click "$GUI_READ_X" "$GUI_READ_Y"
    first=$(gui_store_first_id "$store")
    [ -n "$first" ] || gui_fail "no tips in $store"
    gui_wait_for 5 gui_store_read_is "$store" "$first" ||
      gui_fail "the store does not hold the first tip ($first) alone as read:
$(cat "$store")"
    gui_stop "$work"
    # The status stays when the add-in has ended.
    gui_store_read_is "$store" "$first" || gui_fail "the status went at the end: $(cat "$store")"
    ;;
  *)
    gui_fail "unknown mode $mode (look, picture or read)"
    ;;
esac
echo "gui: $mode passed"
