#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: `start DIR` makes a cluster
# in DIR (when it has none) and starts it listening only on a Unix socket in
# DIR; `stop DIR` stops it. As root the server runs as the postgres user.
# The tests reach it as postgresql://postgres@/NAME?host=DIR.
set -euo pipefail
action=${1:?start or stop}
dir=$(realpath -m "${2:?folder}")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "pg-test-server: no PostgreSQL server installed" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case $action in
  start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      as_owner "$bin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 --no-sync \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 60 \
      -o "-k $dir -c listen_addresses='' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
      start >/dev/null || { cat "$dir/log" >&2; exit 1; }
    ;;
  stop)
    [ -f "$dir/data/postmaster.pid" ] || exit 0
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
  *) echo "pg-test-server: start or stop" >&2; exit 2 ;;
esac
