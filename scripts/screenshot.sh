#!/usr/bin/env bash
# screenshot.sh [BUILD]: takes the README's picture docs/telmora-gui.png of `telmora --gui` with
# fetched tips, on a virtual screen of its own, from the build in BUILD (default: build). The
# desktop test "look" compares the window with this picture, so take it again after a change
# that alters the window on purpose, look at it, and commit it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
mkdir -p "$root/docs" "$build/gui"
"$root/scripts/with-xvfb.sh" bash "$root/Source/Host/GuiSession_test.sh" picture \
  "$build/bin/telmora" "$build/lib/libPerlowan.so" "$build/gui" "$root/docs/telmora-gui.png"
