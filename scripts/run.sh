#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program: on the attached bridge board, or on
# the simulated board when none is attached. Extra arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
bin="$root/build/bin"
if [ $# -gt 0 ]; then
  exec "$bin/qvmctl" "$@"
fi
if "$bin/qvmctl" boards > /dev/null 2>&1; then
  exec "$bin/qvmctl" identify
fi
echo "No bridge board attached: running on the simulated board (daisy:52400x3)."
exec "$bin/qvmctl" --sim daisy:52400x3 identify
