#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the tests and the benchmark: created
# in a folder of its own, run as a non-root user, reachable only on a Unix
# socket inside that folder.
#   pg-servidor.sh start DIR [--durable]  -> prints the export lines (NCC_PG_*) to eval
# The tests' cluster is thrown away at the end, so by default it does not
# wait for the disk (fsync off): every test creates and drops databases, and
# each creation would otherwise flush megabytes. --durable (the benchmark)
# runs it as a real server runs.
#   pg-servidor.sh stop DIR
set -euo pipefail
accion=${1:?start|stop}
dir=${2:?folder}
bin=/usr/lib/postgresql/15/bin
usuario_so=postgres
if [ "$(id -u)" -ne 0 ]; then usuario_so=$(id -un); fi
como() { if [ "$(id -u)" -eq 0 ]; then su -s /bin/sh "$usuario_so" -c "$*"; else sh -c "$*"; fi; }

case "$accion" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown "$usuario_so" "$dir"
  durabilidad="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  [ "${3:-}" = "--durable" ] && durabilidad="-c fsync=on"
  puerto=$(( 20000 + RANDOM % 20000 ))
  clave=ncc$RANDOM$RANDOM
  como "printf '%s\n' '$clave' > '$dir/clave' && chmod 600 '$dir/clave'"
  como "'$bin/initdb' -D '$dir/datos' -U ncc --pwfile='$dir/clave' --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >'$dir/initdb.log' 2>&1"
  como "mkdir -p '$dir/sock'"
  como "'$bin/pg_ctl' -D '$dir/datos' -l '$dir/servidor.log' -w -o \"-k '$dir/sock' -p $puerto -c listen_addresses='' $durabilidad -c max_connections=200\" start >/dev/null"
  echo "export NCC_PG_HOST='$dir/sock' NCC_PG_PORT=$puerto NCC_PG_USER=ncc NCC_PG_PASSWORD='$clave'"
  ;;
stop)
  [ -d "$dir/datos" ] && como "'$bin/pg_ctl' -D '$dir/datos' -m fast -w stop >/dev/null" || true
  ;;
*) echo "uso: $0 start|stop DIR" >&2; exit 64 ;;
esac
