#!/usr/bin/env bash
# Builds the Debian 12 package of ncc (nccierrecurso_VERSION_ARCH.deb) from a
# Release build in build-paquete/ (or $NCC_BUILD_PAQUETE), checks it with
# lintian and prints its path on the last line.
#   scripts/paquete.sh [--arbol CARPETA]
# --arbol packages a build tree as it is configured (the tests' tree, whose
# program, built as a Release one, is stripped in the package), so
# that CI packages what it tested without a second build.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
arbol=${NCC_BUILD_PAQUETE:-$raiz/build-paquete}
configurar=1
if [ "${1:-}" = --arbol ]; then
  arbol=$(cd "${2:?falta la carpeta de --arbol}" && pwd)
  configurar=
fi
"$raiz/scripts/dependencias.sh" dpkg-dev lintian >&2
if [ -n "$configurar" ]; then
  cmake -S "$raiz" -B "$arbol" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$arbol" --target ncc ncc_documentos -j"$(nproc)" >&2
rm -rf "$arbol/paquete"
(cd "$arbol" && cpack -G DEB -B "$arbol/paquete" >&2)
deb=$(ls "$arbol"/paquete/*.deb)
lintian --fail-on error "$deb" >&2
echo "$deb"
