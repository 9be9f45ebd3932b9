#!/usr/bin/env bash
# The main job on the embedded back end: builds, creates the sample school in
# a folder (./escuela, or the one given) and closes its school year.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${NCC_BUILD:-$raiz/build}
destino=${1:-$raiz/escuela}
"$raiz/scripts/compilar.sh" >/dev/null
"$build/app/ncc" demo "$destino" --reemplazar
