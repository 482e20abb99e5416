#!/usr/bin/env bash
# Pictures the main window under a virtual X server: starts the module against vra-sim through
# scripts/run.sh, waits until the window is mapped and the first heartbeat has arrived, and saves
# the screen as PNG.
#
#   scripts/screenshot.sh [OUTPUT.png]      (default: build/run/main-window.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/run/main-window.png}"
export VRA2260_SCREENSHOT_OUT="$out"
exec xvfb-run -a -s "-screen 0 700x420x24" bash -c '
  set -euo pipefail
  "'"$root"'/scripts/run.sh" >/dev/null &
  runner=$!
  for _ in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q "\"VRA-2260 : " && break
    kill -0 "$runner" 2>/dev/null || { echo "the module did not start" >&2; exit 1; }
    sleep 0.2
  done
  # The heartbeat answers within a second of the window appearing.
  sleep 2
  import -window root "$VRA2260_SCREENSHOT_OUT"
  module=$(pgrep -P "$runner" -x vra2260 || true)
  [ -n "$module" ] && kill "$module"
  wait "$runner" || true
  echo "$VRA2260_SCREENSHOT_OUT"
'
