#!/usr/bin/env bash
# Requests per second and the slowest small request with 16 and 64 clients:
# one node on SQLite (on disk), one node and two nodes on one PostgreSQL
# database (a cluster of its own, started here, fsync on, dropped at the end).
#   bench/docstore/compare_nodes.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
seconds=${2:-10}
bench=$build/bench/docstore/nodes_bench
[[ -x $bench ]] || { echo "build $bench first (-DORVEX_BUILD_BENCH=ON)" >&2; exit 1; }
cluster=$(mktemp -d /tmp/orvex-bench-pg-XXXXXX)
store=$(mktemp -d)
trap 'tests/support/postgres_cluster.sh stop "$cluster"; rm -rf "$store"' EXIT
tests/support/postgres_cluster.sh start "$cluster" 5432
url="postgresql:///postgres?host=$cluster/socket&port=5432&user=postgres"
for clients in 16 64; do
  rm -rf "$store"/*
  "$bench" "$store" 1 "$clients" "$seconds"
  psql -q "$url" -c "DROP DATABASE IF EXISTS bench_$clients" -c "CREATE DATABASE bench_$clients"
  db="postgresql:///bench_$clients?host=$cluster/socket&port=5432&user=postgres"
  "$bench" "$db" 1 "$clients" "$seconds"
  "$bench" "$db" 2 "$clients" "$seconds"
done
