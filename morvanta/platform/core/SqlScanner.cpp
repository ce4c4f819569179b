#include "morvanta/platform/core/SqlScanner.h"

namespace morvanta {

namespace {

template <class Char>
SqlSpan QuotedSpan(std::basic_string_view<Char> text, std::size_t pos) {
  const Char quote = text[pos];
  SqlSpan span{quote == Char('\'') ? SqlSpanKind::StringLiteral : SqlSpanKind::QuotedIdentifier, pos, text.size(),
               false};
  std::size_t j = pos + 1;
  while (j < text.size()) {
    if (text[j] != quote) {
      ++j;
    } else if (j + 1 < text.size() && text[j + 1] == quote) {
      j += 2;
    } else {
      span.end = j + 1;
      span.closed = true;
      break;
    }
  }
  return span;
}

template <class Char>
SqlSpan LineCommentSpan(std::basic_string_view<Char> text, std::size_t pos) {
  std::size_t j = pos;
  while (j < text.size() && text[j] != Char('\r') && text[j] != Char('\n')) ++j;
  return SqlSpan{SqlSpanKind::LineComment, pos, j, true};
}

template <class Char>
SqlSpan BlockCommentSpan(std::basic_string_view<Char> text, std::size_t pos) {
  static constexpr Char kClose[] = {Char('*'), Char('/')};
  const std::size_t close = text.find(std::basic_string_view<Char>(kClose, 2), pos + 2);
  if (close == std::basic_string_view<Char>::npos) return SqlSpan{SqlSpanKind::BlockComment, pos, text.size(), false};
  return SqlSpan{SqlSpanKind::BlockComment, pos, close + 2, true};
}

}  // namespace

template <class Char>
SqlSpan SqlSpanAtOpening(std::basic_string_view<Char> text, std::size_t pos) {
  const Char c = text[pos];
  const bool pair = pos + 1 < text.size();
  if (c == Char('\'') || c == Char('"')) return QuotedSpan(text, pos);
  if (c == Char('-') && pair && text[pos + 1] == Char('-')) return LineCommentSpan(text, pos);
  if (c == Char('/') && pair && text[pos + 1] == Char('*')) return BlockCommentSpan(text, pos);
  return SqlSpan{SqlSpanKind::Plain, pos, pos + 1, true};
}

template <class Char>
SqlText<Char> SqlUnquoted(std::basic_string_view<Char> text, const SqlSpan& span) {
  const Char quote = text[span.begin];
  const std::size_t contentEnd = span.closed ? span.end - 1 : span.end;
  std::basic_string<Char> content;
  content.reserve(contentEnd - span.begin - 1);
  for (std::size_t j = span.begin + 1; j < contentEnd; ++j) {
    content.push_back(text[j]);
    if (text[j] == quote) ++j;  // the second of a doubled quote
  }
  return SqlText<Char>(std::move(content));
}

AnsiString SqlStringLiteral(std::string_view text) {
  AnsiString literal;
  literal.reserve(text.size() + 2);
  literal.push_back('\'');
  for (char c : text) {
    literal.push_back(c);
    if (c == '\'') literal.push_back('\'');
  }
  literal.push_back('\'');
  return literal;
}

template SqlSpan SqlSpanAtOpening(std::string_view, std::size_t);
template SqlSpan SqlSpanAtOpening(std::u16string_view, std::size_t);
template AnsiString SqlUnquoted(std::string_view, const SqlSpan&);
template WideString SqlUnquoted(std::u16string_view, const SqlSpan&);

std::size_t SqlSkipBlanksAndComments(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      ++pos;
      continue;
    }
    const SqlSpan span = SqlSpanAt(text, pos);
    if (span.kind != SqlSpanKind::LineComment && span.kind != SqlSpanKind::BlockComment) break;
    pos = span.end;
  }
  return pos;
}

AnsiString SqlUpperWordAt(std::string_view text, std::size_t pos) {
  AnsiString word;
  for (; pos < text.size() && SqlIsWordChar(text[pos]); ++pos) {
    const char c = text[pos];
    word.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return word;
}

}  // namespace morvanta
