#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan in a tree of its own and
# runs every test there; any report of either fails the test it came from.
#   scripts/sanitize.sh [BUILD_DIR] [extra ctest arguments...]
# BUILD_DIR defaults to build-sanitize beside the sources. JOBS sets the
# parallel build and test jobs (default: the number of processors).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$src/build-sanitize}"
[ $# -gt 0 ] && shift
jobs="${JOBS:-$(nproc)}"
bash "$src/scripts/deps.sh"

flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$dir" -j"$jobs"

# A report ends the process with a failure and its stack, so the test it
# came from fails. The checker the program starts inherits these settings;
# it ends by _Exit, before any leak check.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@"
