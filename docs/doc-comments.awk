# Doxygen's input filter for the library's headers: presents their plain // comments as
# documentation, with the line numbers of the file unchanged.
#   - the comment block at the top of a file documents the file (@file);
#   - a comment block right before a declaration documents that declaration (/** ... */);
#   - a trailing comment after a member (or enumerator) documents it (///<), and so do the
#     comment lines right under it that start in the same column;
#   - comments inside function bodies and initialisers, and comment blocks followed by a blank
#     line, a preprocessor line, an access specifier or a closing brace, stay plain comments.
# In the text made documentation, the characters that Doxygen reads as commands or markup
# (\ @ < > % # &) are escaped, except inside `code spans`.
#   awk -f docs/doc-comments.awk HEADER

# The text with Doxygen's command and markup characters escaped, except inside `code spans` and
# "quoted text", which Doxygen shows as they are.
function escape(text,    out, i, c, inCode, inQuote) {
  # Doxygen would show the "*/" of quoted text with an entity in it; a code span shows it plainly.
  gsub(/"\*\/"/, "`*/`", text)
  out = ""
  inCode = 0
  inQuote = 0
  for (i = 1; i <= length(text); ++i) {
    c = substr(text, i, 1)
    if (c == "`" && !inQuote) inCode = !inCode
    else if (c == "\"" && !inCode) inQuote = !inQuote
    else if (!inCode && !inQuote && c == "-" && substr(text, i + 1, 1) == "-") {
      out = out "\\--"
      ++i
      continue
    } else if (!inCode && !inQuote && index("\\@<>%#&", c) > 0) out = out "\\"
    out = out c
  }
  return out
}

# The column (1-based) where a // comment starts outside string and character literals; 0 if none.
function commentColumn(line,    i, c, quote) {
  quote = ""
  for (i = 1; i < length(line); ++i) {
    c = substr(line, i, 1)
    if (quote != "") {
      if (c == "\\") ++i
      else if (c == quote) quote = ""
    } else if (c == "\"" || c == "'") {
      quote = c
    } else if (c == "/" && substr(line, i + 1, 1) == "/") {
      return i
    }
  }
  return 0
}

# The code of a line without its literals' contents, for counting braces.
function codeOnly(line,    col) {
  col = commentColumn(line)
  if (col > 0) line = substr(line, 1, col - 1)
  gsub(/\\./, "", line)
  gsub(/"[^"]*"/, "\"\"", line)
  gsub(/'[^']*'/, "''", line)
  return line
}

# Follows the braces of a line's code: a brace opened by a namespace, class, struct, union or enum
# is a scope, any other (a function body, an initialiser) a body.
function countBraces(code,    i, c, kind) {
  if (code ~ /^[ \t]*(template[ \t]*<.*>[ \t]*)?(namespace|class|struct|union|enum)([ \t{]|$)/) declaring = 1
  for (i = 1; i <= length(code); ++i) {
    c = substr(code, i, 1)
    if (c == "{") {
      kind = declaring ? "S" : "B"
      declaring = 0
      stack[++depth] = kind
      if (kind == "B") ++bodies
    } else if (c == "}") {
      if (depth > 0) {
        if (stack[depth] == "B") --bodies
        --depth
      }
    } else if (c == ";") {
      declaring = 0
    }
  }
}

# Writes the held comment block: as documentation lines when `asDoc` says so, else as it was.
function flush(asDoc, ending,    i, text) {
  if (held == 0) return
  for (i = 1; i <= held; ++i) {
    if (!asDoc) {
      print block[i]
    } else {
      text = block[i]
      sub(/\/\/ ?/, "", text)
      match(text, /^[ \t]*/)
      print substr(text, 1, RLENGTH) "/// " escape(substr(text, RLENGTH + 1)) (i == held ? ending : "")
    }
  }
  held = 0
}

# The top comment block of the file, before any code: the file's documentation.
function flushFileBlock(    i, text) {
  fileDoc = ""
  for (i = 1; i <= held; ++i) {
    text = block[i]
    sub(/^[ \t]*\/\/ ?/, "", text)
    fileDoc = fileDoc (text ~ /^[ \t]*$/ ? " <p>" : " " escape(text))
  }
  gsub(/\/\*/, "/\\*", fileDoc)
  gsub(/\*\//, "*\\&zwj;/", fileDoc)
  flush(1, " @file")
  fileDocumented = 1
}

BEGIN {
  base = ARGV[1]
  sub(/.*\//, "", base)
  sub(/\.h$/, "", base)
  mainClass = "^[ \t]*(class|struct)[ \t]+T?" base "([ \t:{]|$)"
  fileDoc = ""
  depth = 0
  bodies = 0
  held = 0
  declaring = 0
  seenCode = 0
  fileDocumented = 0
  trailingColumn = 0
  continued = 0
}

{
  line = $0
  # Preprocessor lines, with their continuations, are passed as they are.
  if (continued || line ~ /^[ \t]*#/) {
    if (held > 0 && !seenCode && !fileDocumented) flushFileBlock()
    continued = (line ~ /\\$/)
    print line
    if (line !~ /^[ \t]*#[ \t]*pragma/) seenCode = 1
    trailingColumn = 0
    next
  }
  if (line ~ /^[ \t]*\/\//) {
    if (bodies > 0) {
      print line
      next
    }
    # The continuation of a trailing comment above, starting in its column.
    if (held == 0 && trailingColumn > 0 && index(line, "//") == trailingColumn) {
      sub(/\/\//, "///<", line)
      print substr(line, 1, trailingColumn + 3) escape(substr(line, trailingColumn + 4))
      next
    }
    trailingColumn = 0
    block[++held] = line
    next
  }
  trailingColumn = 0
  if (line ~ /^[ \t]*$/) {
    if (held > 0 && !seenCode && !fileDocumented) {
      flushFileBlock()
      print line
    } else {
      flush(0)
      print line
    }
    next
  }
  code = codeOnly(line)
  plainLine = (code ~ /^[ \t]*(}[ \t;]*|(public|protected|private)[ \t]*:[ \t]*|namespace.*{[ \t]*)$/)
  flush(bodies == 0 && !plainLine)
  # The class a file is named after, without a comment of its own, takes the file's: on the same
  # line, so that the line numbers stay.
  if (held == 0 && fileDoc != "" && bodies == 0 && line ~ mainClass && code !~ /;[ \t]*$/) {
    line = "/**" fileDoc " */ " line
    fileDoc = ""
  }
  seenCode = 1
  col = commentColumn(line)
  if (col > 0 && bodies == 0 && !plainLine && code !~ /^[ \t]*$/) {
    line = substr(line, 1, col - 1) "///<" escape(substr(line, col + 2))
    trailingColumn = col
  }
  print line
  countBraces(code)
}

END {
  flush(0)
}
