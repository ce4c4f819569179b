#!/bin/sh
# Makes an embedded sample database from loja-pedidos.sql (isql-fb, from firebird3.0-utils) and
# starts the store-orders sample application on it; the database goes when the program ends.
#   samples/loja-pedidos/run.sh [-Q] [BUILD_DIR]
#   -Q          diagnostic mode: statements are traced, Ctrl+Shift+E shows the query list
#   BUILD_DIR   the build folder (default: build)
set -eu
usage() {
  echo "usage: $0 [-Q] [BUILD_DIR]" >&2
  exit 2
}
here=$(cd "$(dirname "$0")" && pwd)
diagnostic=
build=
for argument in "$@"; do
  case $argument in
    -Q | -q) diagnostic=-Q ;;
    -h | --help)
      echo "usage: $0 [-Q] [BUILD_DIR]"
      exit 0
      ;;
    -*)
      echo "$0: unknown option $argument" >&2
      usage
      ;;
    *)
      [ -z "$build" ] || usage
      build=$argument
      ;;
  esac
done
build=${build:-build}
program="$build/bin/loja-pedidos"
if [ ! -x "$program" ]; then
  echo "$0: $program not found: build the project first, or give its build folder" >&2
  exit 1
fi
if ! command -v isql-fb > /dev/null; then
  echo "$0: isql-fb not found (Debian package firebird3.0-utils)" >&2
  exit 1
fi
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
database="$folder/loja.fdb"
echo "CREATE DATABASE '$database' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;" | isql-fb -q
isql-fb -q -ch UTF8 -user SYSDBA "$database" -i "$here/loja-pedidos.sql"
"$program" $diagnostic "$database" SYSDBA
