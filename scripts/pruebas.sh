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
trap '"$raiz/scripts/pg-servidor.sh" stop "$pgdir/1"; "$raiz/scripts/pg-servidor.sh" stop "$pgdir/2"; rm -rf "$pgdir"' EXIT
# Two servers, so that two closings run at once, each on its own: the
# second's variables end in _2 (tests/comun/main.cpp).
eval "$("$raiz/scripts/pg-servidor.sh" start "$pgdir/2")"
for v in NCC_PG_HOST NCC_PG_PORT NCC_PG_USER NCC_PG_PASSWORD; do export "${v}_2=${!v}"; done
eval "$("$raiz/scripts/pg-servidor.sh" start "$pgdir/1")"
export NCC_PG_HOST NCC_PG_PORT NCC_PG_USER NCC_PG_PASSWORD
printf '%s\n' '{"version": {"major": 1, "minor": 0}, "local": [{"servidores": [{"id": "1", "slots": 1}, {"id": "2", "slots": 1}]}]}' >"$pgdir/servidores.json"
cd "$build"
export NCC_SERVIDORES_PRUEBAS="$pgdir/servidores.json"
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
# The package of what was tested, unpacked and run as installed.
deb=$("$raiz/scripts/paquete.sh" --arbol "$build" | tail -n 1)
"$raiz/scripts/probar-paquete.sh" "$deb"
