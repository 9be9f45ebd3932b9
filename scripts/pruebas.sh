#!/usr/bin/env bash
# Builds, starts a private PostgreSQL server of its own, runs every test on
# both back ends and stops the server, whatever the outcome; then packages
# what it tested and runs the package as installed (scripts/probar-paquete.sh).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${NCC_BUILD:-$raiz/build}")
"$raiz/scripts/compilar.sh"
pgdir=$(mktemp -d /tmp/ncc-pg.XXXXXX)
chmod 755 "$pgdir"
trap '"$raiz/scripts/pg-servidor.sh" stop "$pgdir"; rm -rf "$pgdir"' EXIT
eval "$("$raiz/scripts/pg-servidor.sh" start "$pgdir")"
export NCC_PG_HOST NCC_PG_PORT NCC_PG_USER NCC_PG_PASSWORD
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
# The package of what was tested, unpacked and run as installed.
deb=$("$raiz/scripts/paquete.sh" --arbol "$build" | tail -n 1)
"$raiz/scripts/probar-paquete.sh" "$deb"
