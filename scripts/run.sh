#!/usr/bin/env bash
# Installs what is missing, builds and starts the program in the current directory.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
bash "$src/scripts/deps.sh"
cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$src/build" -j"$(nproc)" --target Corvane
exec "$src/build/bin/Corvane"
