#!/usr/bin/env bash
# Fails unless the code block of a page between the lines "<!-- begin FILE -->" and
# "<!-- end FILE -->" (less its fence lines) is byte for byte the file FILE of the source tree.
#   examples/tests/check-page-code.sh SOURCE_DIR PAGE FILE
set -euo pipefail
source_dir=$1
page=$source_dir/$2
file=$3
block=$(mktemp)
trap 'rm -f "$block"' EXIT
awk -v begin="<!-- begin $file -->" -v end="<!-- end $file -->" '
  $0 == end { inside = 0; done = 1 }
  inside { lines[++n] = $0 }
  $0 == begin && !done { inside = 1; found = 1 }
  END {
    if (!found || !done) exit 2
    if (lines[1] !~ /^```/ || lines[n] != "```") exit 3
    for (i = 2; i < n; ++i) print lines[i]
  }' "$page" > "$block" || {
  echo "$2: no fenced block between the markers of $file" >&2
  exit 1
}
if ! cmp -s "$block" "$source_dir/$file"; then
  echo "$2: the block of $file differs from the file:" >&2
  diff -u "$source_dir/$file" "$block" >&2 || true
  exit 1
fi
echo "$2: the block of $file is the file"
