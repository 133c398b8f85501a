#!/usr/bin/env bash
# Builds the RTF reader's fuzz target with clang (libFuzzer, ASan, UBSan) and
# runs it for a bounded time. Not part of the normal build.
#   bash platform/richtext/fuzz/run.sh [seconds] [workers]
# Corpus and crash files go under $FUZZ_OUT (default build-rtf/fuzz); FUZZ_MAX_LEN
# bounds the size of new inputs (default 65536).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/.." && pwd)"
root="$(cd "$src/../.." && pwd)"
seconds="${1:-600}"
workers="${2:-2}"
max_len="${FUZZ_MAX_LEN:-65536}"
out="${FUZZ_OUT:-$root/build-rtf/fuzz}"
mkdir -p "$out/corpus" "$out/crashes"

bin="$out/fuzz_rtfreader"
clang++-14 -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined \
    -I"$src" $(pkg-config --cflags Qt6Gui) \
    "$here/fuzz_rtfreader.cpp" "$src/RtfReader.cpp" "$src/RtfWriter.cpp" "$src/CodePages.cpp" \
    $(pkg-config --libs Qt6Gui) -o "$bin"

seeds=("$here/seeds" "$src/tests/samples")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
cd "$out"
exec "$bin" -fork="$workers" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -dict="$here/rtf.dict" -artifact_prefix="$out/crashes/" \
    "$out/corpus" "${seeds[@]}"
