#!/usr/bin/env bash
# Starts or stops a PostgreSQL server of its own for the tests and benchmarks
# of the server store: a new cluster in FOLDER, reached only through a Unix
# socket in FOLDER (no TCP port), with durability switched off for speed, and
# an empty database qm6_template from which each test case makes its own.
# The server refuses to run as root, so under root it runs as the postgres
# user that Debian's package makes (else nobody), which then owns FOLDER.
#
#   test-server.sh start FOLDER   location: "host=FOLDER user=qm6"
#   test-server.sh stop FOLDER
set -euo pipefail

action=${1:?usage: test-server.sh start|stop FOLDER}
folder=${2:?usage: test-server.sh start|stop FOLDER}

bin=${QM6_POSTGRES_BIN:-/usr/lib/postgresql/15/bin}
if [ ! -x "$bin/initdb" ]; then
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
fi
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "test-server: no PostgreSQL server found (install the postgresql package)" >&2
    exit 1
fi

owner=
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    id -u "$owner" >/dev/null 2>&1 || owner=nobody
fi
as_owner() {
    if [ -n "$owner" ]; then
        (cd / && runuser -u "$owner" -- "$@")
    else
        "$@"
    fi
}

stop() {
    if [ -f "$folder/data/postmaster.pid" ]; then
        as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null || true
    fi
    rm -rf "$folder"
}

case $action in
start)
    stop
    mkdir -p "$folder"
    chmod 700 "$folder"
    [ -z "$owner" ] || chown "$owner" "$folder"
    as_owner "$bin/initdb" -D "$folder/data" -U qm6 -A trust -E UTF8 --locale=C --no-sync \
        >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-k $folder -c listen_addresses= -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || { cat "$folder/server.log" >&2; exit 1; }
    "$bin/psql" -X -q -h "$folder" -U qm6 -d postgres -v ON_ERROR_STOP=1 \
        -c "CREATE DATABASE qm6_template TEMPLATE template0"
    echo "test-server: running in $folder"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: test-server.sh start|stop FOLDER" >&2
    exit 2
    ;;
esac
