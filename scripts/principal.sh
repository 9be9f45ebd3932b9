#!/usr/bin/env bash
# The main job on the embedded back end: builds, creates the sample school in
# a folder (./escuela, or the one given), proposes the default plan and
# closes its school year "2025/2026" into "2026/2027", printing what
# happened.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=${NCC_BUILD:-$raiz/build}
destino=${1:-$raiz/escuela}
"$raiz/scripts/compilar.sh" >/dev/null
"$build/app/ncc" demo "$destino" --reemplazar
"$build/app/ncc" plan --datos "$destino" --salida "$destino/plan.json"
echo "Plan por defecto escrito en $destino/plan.json"
"$build/app/ncc" cerrar --datos "$destino" --plan "$destino/plan.json" --curso "2026/2027" --si
