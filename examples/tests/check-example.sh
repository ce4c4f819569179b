#!/usr/bin/env bash
# Runs one example on the databases that make-databases.sh made and checks what it did: its exit
# code, its output and the database's content afterwards.
#   examples/tests/check-example.sh EXAMPLE PROGRAM FOLDER
set -uo pipefail
example=$1
program=$2
folder=$3
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The first column of a query's rows, one a line, blanks around them cut.
query() {
  printf 'SET HEADING OFF;\n%s;\n' "$2" | isql-fb -q -ch UTF8 -user SYSDBA "$1" | sed -e 's/^ *//' -e 's/ *$//' -e '/^$/d'
}

# run EXPECTED_CODE ARGUMENTS...: runs the program, keeps its output in $out and $err.
run() {
  local expected=$1
  shift
  out=$("$program" "$@" 2> "$folder/stderr.txt" < /dev/null)
  local code=$?
  err=$(cat "$folder/stderr.txt")
  [ "$code" -eq "$expected" ] || fail "$example $*: exit code $code, expected $expected (stderr: $err)"
}

expect_equal() {  # WHAT ACTUAL EXPECTED
  [ "$2" == "$3" ] || fail "$1: got [$2], expected [$3]"
}

expect_contains() {  # WHAT TEXT PART
  [[ "$2" == *"$3"* ]] || fail "$1: [$2] does not contain [$3]"
}

case $example in
  getting-started)
    db=$folder/store.fdb
    run 0 "$db"
    expect_equal "output" "$out" $'1 Mercearia São João (Recife)\n2 Açougue Boi Bravo (Olinda)\nadded 1001 Padaria São Jorge'
    expect_equal "new row" "$(query "$db" "SELECT cli_codigo || ':' || cli_nome || ':' || cli_cidade FROM clientes WHERE cli_codigo > 2")" \
      "1001:Padaria São Jorge:Olinda"
    expect_equal "log header" "$(query "$db" "SELECT ctl_table || ':' || ctl_tpoper || ':' || ctl_form || '.' || ctl_query || ':' || ctl_usuario || ':' || dba_codigo FROM controllog")" \
      "CLIENTES:I:frmClientes.qryClientes:SYSDBA:1"
    expect_equal "log details" "$(query "$db" "SELECT d.cld_fieldname || '=' || d.cld_fieldvalue FROM controllogdet d JOIN controllog h ON h.ctl_id = d.ctl_id ORDER BY d.cld_id")" \
      $'CLI_CODIGO=1001\nCLI_NOME=Padaria São Jorge\nCLI_CIDADE=Olinda'
    # The generator hands out a code in use: the server refuses the insert, the example reports the
    # error with its code and SQLSTATE, rolls back, and nothing is written or logged.
    db=$folder/behind.fdb
    run 1 "$db"
    expect_contains "refusal" "$err" "database error 335544665 (SQLSTATE 23000)"
    expect_contains "refusal" "$err" "violation of PRIMARY or UNIQUE KEY constraint"
    expect_equal "rows after the refusal" "$(query "$db" "SELECT COUNT(*) FROM clientes")" "2"
    expect_equal "log after the refusal" "$(query "$db" "SELECT COUNT(*) FROM controllog")" "0"
    run 1 "$folder/none.fdb"
    expect_contains "missing database" "$err" "database error"
    run 2
    expect_contains "usage" "$err" "usage: getting-started"
    ;;
  update-object)
    db=$folder/edit.fdb
    run 0 "$db" 2 "São Lourenço"
    expect_equal "output" "$out" "Açougue Boi Bravo: Olinda -> São Lourenço"
    expect_equal "rows" "$(query "$db" "SELECT cli_codigo || ':' || cli_cidade FROM clientes ORDER BY 1")" \
      $'1:Recife\n2:São Lourenço'
    run 1 "$db" 9 Recife
    expect_equal "missing customer" "$err" "Exception: no customer 9"
    run 2 "$db" dois Recife
    expect_contains "usage" "$err" "usage: update-object"
    ;;
  *)
    fail "no checks for $example"
    ;;
esac
if [ "$failures" -ne 0 ]; then
  echo "$example: $failures check(s) failed" >&2
  exit 1
fi
echo "$example: every check passed"
