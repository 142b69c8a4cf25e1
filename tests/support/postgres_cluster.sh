#!/usr/bin/env bash
# A PostgreSQL cluster of the tests' own, in a folder of the build tree:
#   postgres_cluster.sh start DIR PORT   initdb (when new) and start it
#   postgres_cluster.sh stop DIR         stop it and remove the folder
#   postgres_cluster.sh halt DIR         stop it, keeping its data
#   postgres_cluster.sh resume DIR PORT  start a halted cluster again
#   postgres_cluster.sh crash DIR        stop it as a crash would (no
#                                        checkpoint, unflushed log lost)
# ORVEX_PG_EXTRA adds server options to a start or resume.
# It listens on a socket in DIR/socket only (no TCP), trusts local users,
# and runs as the postgres user when started by root (the server refuses to
# run as root). Tests reach it with
#   postgresql:///DB?host=DIR/socket&port=PORT&user=postgres
set -euo pipefail
action=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2> /dev/null | sort -V | tail -1)
if [[ -z $bin ]]; then
  echo "postgres_cluster: PostgreSQL is not installed (package postgresql)" >&2
  exit 1
fi
as_owner() {
  if [[ $(id -u) == 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}
run() {
  # Durable commits as a deployment has them (fsync on), small buffers.
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
    -o "-c listen_addresses='' -k $dir/socket -p $1 -c shared_buffers=32MB -c max_connections=200 ${ORVEX_PG_EXTRA:-}" \
    > /dev/null
}
case $action in
  start)
    "$0" stop "$dir" 2> /dev/null || true
    mkdir -p "$dir/socket"
    if [[ $(id -u) == 0 ]]; then chown -R postgres "$dir"; fi
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --no-sync > "$dir/initdb.log"
    run "$3"
    ;;
  halt)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop > /dev/null
    ;;
  resume)
    run "$3"
    ;;
  crash)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop > /dev/null
    ;;
  stop)
    if [[ -f $dir/data/postmaster.pid ]]; then
      # Bounded: a postmaster that does not go within 20 s is killed, so
      # the cleanup never outlasts its test's timeout.
      if ! as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 20 stop > /dev/null; then
        pid=$(head -1 "$dir/data/postmaster.pid" 2> /dev/null || true)
        if [[ -n $pid ]]; then kill -9 "$pid" 2> /dev/null || true; fi
      fi
    fi
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start DIR PORT | stop DIR | halt DIR | resume DIR PORT | crash DIR" >&2
    exit 2
    ;;
esac
