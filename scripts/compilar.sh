#!/usr/bin/env bash
# Configures and builds everything in build/ (or $NCC_BUILD).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${NCC_BUILD:-$raiz/build}
"$raiz/scripts/dependencias.sh"
cmake -S "$raiz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
