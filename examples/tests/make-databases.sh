#!/usr/bin/env bash
# Makes the examples' databases afresh in FOLDER with isql-fb and the embedded engine, from
# examples/examples.sql and docs/change-log.sql:
#   store.fdb       for getting-started (which adds a customer)
#   edit.fdb        for update-object (which edits one)
#   behind.fdb      the same, with GEN_CLIENTES behind the codes in use: the insert fails
#   examples/tests/make-databases.sh SOURCE_DIR FOLDER
set -euo pipefail
source_dir=$1
folder=$2
mkdir -p "$folder"
make_database() {
  local database=$folder/$1
  rm -f "$database"
  echo "CREATE DATABASE '$database' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;" | isql-fb -q
  isql-fb -q -ch UTF8 -user SYSDBA "$database" -i "$source_dir/docs/change-log.sql"
  isql-fb -q -ch UTF8 -user SYSDBA "$database" -i "$source_dir/examples/examples.sql"
}
make_database store.fdb
make_database edit.fdb
make_database behind.fdb
echo "ALTER SEQUENCE GEN_CLIENTES RESTART WITH 0; COMMIT;" | isql-fb -q -user SYSDBA "$folder/behind.fdb"
