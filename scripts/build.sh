#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds into build/: the targets named, or everything (tests and benchmarks too).
# Usage: scripts/build.sh [TARGET ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$root/build" -j"$(nproc)" "${targets[@]}"
