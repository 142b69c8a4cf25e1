#!/usr/bin/env bash
# orvex-docstore on a new database of the tests' PostgreSQL cluster, for the
# scripts that start the server themselves and take its path (litmus.sh):
#   ORVEX_DOCSTORE=path/to/orvex-docstore \
#   ORVEX_TEST_POSTGRES='host=DIR/socket&port=PORT&user=postgres' \
#   docstore_on_postgres.sh ARGS...
# runs the server with ARGS and --store on that database.
set -euo pipefail
db=orvex_script_$$_$(date +%s%N)
psql -q "dbname=postgres ${ORVEX_TEST_POSTGRES//&/ }" -c "CREATE DATABASE $db"
exec "$ORVEX_DOCSTORE" "$@" --store "postgresql:///$db?$ORVEX_TEST_POSTGRES"
