#!/usr/bin/env bash
# Fails when the library declares anything outside namespace morvanta, so that an application that
# includes its headers and links its archives meets none of its names.
#   bash tests/namespace-check.sh SOURCE_DIR INCLUDE_DIRS ARCHIVE...
# INCLUDE_DIRS: the folders, separated by colons, that the headers need besides SOURCE_DIR (Qt's
# for the windows); with none given the Qt headers of the library are left out. Two views:
# - every library header compiled in one unit by clang, whose syntax tree says which file each
#   top-level declaration comes from: from a library header, only namespace morvanta may come (and
#   forward declarations of Qt's classes);
# - the archives' strong symbols (nm): each C++ symbol is in namespace morvanta, or an instance of
#   another library's template or class; no symbol has C linkage.
set -euo pipefail
source_dir=$1
include_dirs=$2
shift 2

unit=$(mktemp --suffix=.cpp)
trap 'rm -f "$unit"' EXIT
cd "$source_dir"
flags=(-std=c++20 -fsyntax-only -I.)
if [ -n "$include_dirs" ]; then
  IFS=':' read -r -a dirs <<<"$include_dirs"
  for d in "${dirs[@]}"; do
    [ "$d" = /usr/include ] || flags+=(-isystem "$d")  # the compiler's own: named again it hides <stdlib.h>
  done
  find morvanta -name '*.h' | sort | sed 's/.*/#include "&"/' >"$unit"
else
  find morvanta -name '*.h' | sort | grep -v -E '^morvanta/(platform/ui|windows)/' | sed 's/.*/#include "&"/' >"$unit"
fi

# The tree prints a declaration's file only where it differs from the one printed before, so the
# current file is followed through every line.
global_declarations=$(clang++ "${flags[@]}" -Xclang -ast-dump "$unit" | awk '
  function last_file(line,    rest, found) {
    found = ""
    rest = line
    while (match(rest, /<[^<>, ]+:[0-9]+:[0-9]+/)) {
      found = substr(rest, RSTART + 1, RLENGTH - 1)
      sub(/:[0-9]+:[0-9]+$/, "", found)
      rest = substr(rest, RSTART + RLENGTH)
    }
    return found
  }
  /^[|`]-/ {
    own = ""
    if (match($0, /<[^<>, ]+:[0-9]+:[0-9]+/)) {
      own = substr($0, RSTART + 1, RLENGTH - 1)
      sub(/:[0-9]+:[0-9]+$/, "", own)
    }
    file = own != "" ? own : current
    ours = $1 ~ /NamespaceDecl$/ && $NF == "morvanta"
    qt_forward = $1 ~ /CXXRecordDecl$/ && $0 ~ / class Q[A-Za-z]+$/ && $0 !~ / definition/
    if (file ~ /^(\.\/)?morvanta\// && !ours && !qt_forward) print file ": " $0
  }
  { f = last_file($0); if (f != "") current = f }
')

# A mangled name starts with its outermost name, length first (8morvanta); std's are abbreviated
# (St, Sa, ...). Typeinfo, vtables, guard variables and local names are read past their prefix.
global_symbols=$(for archive in "$@"; do nm --defined-only "$archive"; done | awk '
  $2 !~ /^[TDBRV]$/ { next }
  {
    symbol = $3
    if (symbol ~ /^(DW\.ref\.|__gxx_personality)/) next
    if (symbol !~ /^_Z/) { print symbol; next }
    rest = substr(symbol, 3)
    sub(/^(T[ISVT]|GV|Z)/, "", rest)
    sub(/^N?[KVrL]*/, "", rest)
    if (!match(rest, /^[0-9]+/)) next
    length_ = substr(rest, 1, RLENGTH) + 0
    name = substr(rest, RLENGTH + 1, length_)
    after = substr(rest, RLENGTH + 1 + length_, 1)
    # Names of other libraries: the classes of Qt are global and begin with Q (the typeinfo of one
    # can be emitted here, under the sanitizers); those of the library begin with T.
    if (name ~ /^(morvanta|Firebird|nlohmann|__gnu_cxx)$/ || name ~ /^Q[A-Z]/ || after == "I") next
    print symbol
  }')

status=0
if [ -n "$global_declarations" ]; then
  echo "Declared outside namespace morvanta by a library header:"
  echo "$global_declarations"
  status=1
fi
if [ -n "$global_symbols" ]; then
  echo "Library symbols outside namespace morvanta:"
  echo "$global_symbols" | c++filt
  status=1
fi
[ $status -eq 0 ] && echo "Nothing of the library is declared outside namespace morvanta"
exit $status
