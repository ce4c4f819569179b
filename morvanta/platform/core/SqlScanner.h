#pragma once
// The lexical rules of statement text that its readers share: where quoted text and comments
// begin and end, and how a string literal is written. The same rules read code page 1252 text
// (`char`) and the framework's wide text (`char16_t`); every character they look at is ASCII, so
// a text and its wide conversion split into the same spans.

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

enum class SqlSpanKind {
  Plain,             // one character outside quoted text and comments
  StringLiteral,     // '...'
  QuotedIdentifier,  // "..."
  LineComment,       // -- up to the line end
  BlockComment,      // /* ... */
};

// A span [begin, end) of statement text.
struct SqlSpan {
  SqlSpanKind kind = SqlSpanKind::Plain;
  std::size_t begin = 0;
  std::size_t end = 0;
  // False for quoted text or a block comment that the text ends before its closing mark.
  bool closed = true;
};

// SqlSpanAt for a character that may open quoted text or a comment.
template <class Char>
SqlSpan SqlSpanAtOpening(std::basic_string_view<Char> text, std::size_t pos);

// The span that begins at `pos` (< text size):
// - quoted text, opened by an apostrophe or a double quote, runs through the next quote of the
//   same kind that is not doubled (a doubled quote stays inside), or to the end of the text;
// - a line comment runs from "--" up to, not including, the next carriage return or line feed;
// - a block comment runs from "/*" through the next "*/" (searched from after the "/*"), or to
//   the end of the text;
// - anything else is one plain character.
// Plain characters are settled inline, so that a walk over a text costs no call per character.
template <class Char>
inline SqlSpan SqlSpanAt(std::basic_string_view<Char> text, std::size_t pos) {
  const Char c = text[pos];
  if (c == Char('\'') || c == Char('"') || c == Char('-') || c == Char('/')) return SqlSpanAtOpening(text, pos);
  return SqlSpan{SqlSpanKind::Plain, pos, pos + 1, true};
}

// Text of the scanner's character type: AnsiString for code page 1252, WideString for wide text.
template <class Char>
using SqlText = std::conditional_t<std::is_same_v<Char, char>, AnsiString, std::basic_string<Char>>;

// The content of quoted text, each doubled quote written once.
template <class Char>
SqlText<Char> SqlUnquoted(std::basic_string_view<Char> text, const SqlSpan& span);

// `text` as an SQL string literal: in apostrophes, each apostrophe inside written twice.
AnsiString SqlStringLiteral(std::string_view text);

// Whether `c` belongs to a word of statement text (keywords, names): letters, digits, '_', '$',
// and every byte from 0x80 up (letters of a name in the database's character set).
inline bool SqlIsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '_' || c == '$' ||
         u >= 0x80;
}

// The position of the first character from `pos` on that is neither blank, line break nor part of
// a comment.
std::size_t SqlSkipBlanksAndComments(std::string_view text, std::size_t pos);

// The word that starts at `pos` (empty when none does), upper-cased.
AnsiString SqlUpperWordAt(std::string_view text, std::size_t pos);

}  // namespace morvanta
