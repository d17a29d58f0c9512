#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the two programs (not the tests and benchmarks), and runs the
# evaluation console: on the attached bridge board, or on the simulated board when none is
# attached. Extra arguments go to the console.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" qvm-console qvmctl
bin="$root/build/bin"
if [ $# -eq 0 ] && ! "$bin/qvmctl" boards > /dev/null 2>&1; then
  echo "No bridge board attached: running on the simulated board (daisy:52400x3)."
  set -- --sim daisy:52400x3
fi
exec "$bin/qvm-console" "$@"
