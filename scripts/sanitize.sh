#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs it; any finding (memory error, leak, undefined behaviour) fails a test
# and so the script.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The Python module stays out: an instrumented module cannot load into an uninstrumented
# interpreter. Fortified functions would bypass the sanitizers' checks of the same calls. The
# man pages stay out: making them runs the instrumented programs outside the test suite.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVM_BUILD_BENCHMARKS=OFF \
  -DQVM_BUILD_PYTHON=OFF -DQVM_HARDENING=OFF -DQVM_BUILD_MAN_PAGES=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 900
