#!/usr/bin/env bash
# Configures and builds everything in build/ (or $NCC_BUILD).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${NCC_BUILD:-$raiz/build}
"$raiz/scripts/dependencias.sh"
# Optimised as RelWithDebInfo (-O2) but without debug information, which
# took about a quarter of every compilation on a clean machine; a profile
# wants NCC_TIPO_COMPILACION=RelWithDebInfo.
tipo=${NCC_TIPO_COMPILACION:-Release}
cmake -S "$raiz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$tipo" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
cmake --build "$build" -j"$(nproc)"
