#!/usr/bin/env bash
# Unpacks the package into a throwaway root (dpkg -x) and runs the installed
# program from there: the list of its commands, a sample school and a
# rehearsal of its closing. Every file the package must hold is looked for
# first, so a file missing from the package fails here.
#   scripts/probar-paquete.sh PAQUETE.deb
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "${1:?falta el paquete .deb}")
tmp=$(mktemp -d /tmp/ncc-paquete.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
dpkg -x "$deb" "$tmp/raiz"
usr=$tmp/raiz/usr
falta=0
for f in bin/ncc share/man/man1/ncc.1.gz share/bash-completion/completions/ncc \
         share/applications/nccierrecurso.desktop share/icons/hicolor/scalable/apps/nccierrecurso.svg \
         share/doc/nccierrecurso/copyright share/doc/nccierrecurso/changelog.gz \
         $(cd "$raiz" && ls ayuda/*.html | sed 's|^|share/ncc/|'); do
  [ -s "$usr/$f" ] || { echo "Falta en el paquete: /usr/$f" >&2; falta=1; }
done
[ "$falta" = 0 ]
# The installed program's settings and data stay in the throwaway folder.
export HOME=$tmp/casa XDG_CONFIG_HOME=$tmp/casa/config XDG_DATA_HOME=$tmp/casa/datos XDG_CACHE_HOME=$tmp/casa/cache \
       XDG_RUNTIME_DIR=$tmp/casa/runtime
mkdir -p -m 700 "$HOME" "$XDG_RUNTIME_DIR"
cd "$tmp"
"$usr/bin/ncc" ayuda >/dev/null
"$usr/bin/ncc" demo "$tmp/escuela" >/dev/null
"$usr/bin/ncc" cerrar --datos "$tmp/escuela" --ensayo >"$tmp/ensayo.txt" 2>"$tmp/ensayo.err" ||
  { cat "$tmp/ensayo.err" "$tmp/ensayo.txt" >&2; exit 1; }
grep -q "Informe del ensayo: " "$tmp/ensayo.txt"
# The completion offers the commands and their options.
bash -c 'source "$1"; COMP_WORDS=(ncc cerr); COMP_CWORD=1; _ncc; [ "${COMPREPLY[*]}" = cerrar ] &&
         COMP_WORDS=(ncc cerrar --ens); COMP_CWORD=2; _ncc; [ "${COMPREPLY[*]}" = --ensayo ]' _ \
  "$usr/share/bash-completion/completions/ncc" || { echo "El completado de bash no completa las órdenes" >&2; exit 1; }
echo "Paquete probado: $(basename "$deb")"
