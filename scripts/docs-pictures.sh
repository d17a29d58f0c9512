#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Regenerates the pictures of the README and docs/ from the current build: the console on the
# simulated chain daisy:52400x3 with really polled and read values, drawn offscreen on a screen
# large enough for the console's full size.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" qvm-console
bin="$root/build/bin"
docs="$root/docs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo '{"screens": [{"name": "docs", "x": 0, "y": 0, "width": 1400, "height": 960,
  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}' > "$work/screen.json"
export QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json"
console() { "$bin/qvm-console" --sim daisy:52400x3 "$@"; }

console --startup-screenshot "$docs/startup.png"
console --poll 3 --screenshot "$docs/console-main.png" --tab MAIN
console --screenshot "$docs/console-register-page.png" --tab Limits --click "Read Group"
console --poll 6 --poll-interval 200 --screenshot "$work/chart.png" --click "Show Chart"
mv "$work/chart-frmCharting.png" "$docs/chart-window.png"
console --screenshot "$work/bench.png" --window frmMainF340
mv "$work/bench-frmMainF340.png" "$docs/bench-window.png"
console --screenshot "$work/trace.png" --window frmTrace
mv "$work/trace-frmTrace.png" "$docs/trace-window.png"

# The balancing study plots with matplotlib; without it the picture stays as it is.
if python3 -c "import matplotlib" 2> /dev/null && [ -d "$root/build/python" ]; then
  PYTHONPATH="$root/build/python" python3 "$root/examples/balancing_study.py" \
    --png "$docs/balancing-study.png"
else
  echo "matplotlib or the qvm module missing: docs/balancing-study.png left as it is" >&2
fi
