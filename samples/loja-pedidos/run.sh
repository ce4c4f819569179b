#!/bin/sh
# Makes an embedded sample database from loja-pedidos.sql (isql-fb, from firebird3.0-utils) and
# starts the store-orders sample application on it. Extra arguments ("-Q" for diagnostic mode) go
# before the database.
#   samples/loja-pedidos/run.sh [BUILD_DIR] [-Q]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
[ $# -gt 0 ] && shift
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
database="$folder/loja.fdb"
echo "CREATE DATABASE '$database' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;" | isql-fb -q
isql-fb -q -ch UTF8 -user SYSDBA "$database" -i "$here/loja-pedidos.sql"
"$build/bin/loja-pedidos" "$@" "$database" SYSDBA
