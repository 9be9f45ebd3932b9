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
# A machine without ccache compiles everything every time: there the
# sources are compiled in batches of a few files (CMake's unity build),
# which parses the Qt headers once per batch instead of once per file.
# NCC_LOTES=ON or OFF decides it either way.
lotes=${NCC_LOTES:-$(command -v ccache >/dev/null && echo OFF || echo ON)}
cmake -S "$raiz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$tipo" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_UNITY_BUILD="$lotes" >/dev/null
cmake --build "$build" -j"$(nproc)"
