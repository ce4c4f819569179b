#include "morvanta/platform/firebird/StatementLiterals.h"

#include <cctype>

#include "morvanta/platform/core/SqlScanner.h"

namespace morvanta::fb {

namespace {

bool IsWordChar(char c) { return SqlIsWordChar(c); }

std::string UpperWord(std::string_view text) {
  std::string word;
  for (char c : text) word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return word;
}

// The word that ends right before `end` (blanks and line breaks skipped), upper-cased.
std::string WordBefore(std::string_view text, std::size_t end) {
  std::size_t e = end;
  while (e > 0 && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  std::size_t b = e;
  while (b > 0 && IsWordChar(text[b - 1])) --b;
  return UpperWord(text.substr(b, e - b));
}

// Only INSERT, UPDATE and DELETE statements are shared.
bool IsWritingStatement(std::string_view positional) {
  const std::string keyword = SqlUpperWordAt(positional, SqlSkipBlanksAndComments(positional, 0));
  return keyword == "UPDATE" || keyword == "INSERT" || keyword == "DELETE";
}

// A literal glued to a word (X'..', Q'..', _WIN1252'..') or typed by the word before it (DATE '..',
// an introducer) means more than its text.
bool LiteralMeansMore(std::string_view positional, std::size_t quote) {
  if (quote > 0 && IsWordChar(positional[quote - 1])) return true;
  const std::string before = WordBefore(positional, quote);
  return before == "DATE" || before == "TIME" || before == "TIMESTAMP" || (!before.empty() && before[0] == '_');
}

// Replaces the literals of the statement by markers, or returns false when one of them cannot be
// (see LiteralMeansMore, or a literal that the text ends inside).
bool ReplaceLiterals(std::string_view positional, LiteralParameters& out) {
  std::string& text = out.text;
  text.reserve(positional.size());
  std::size_t i = 0;
  while (i < positional.size()) {
    const SqlSpan span = SqlSpanAt(positional, i);
    if (span.kind == SqlSpanKind::StringLiteral) {
      if (!span.closed || LiteralMeansMore(positional, i)) return false;
      out.markers.push_back(static_cast<int>(out.literals.size()));
      out.literals.push_back(SqlUnquoted(positional, span));
      text.push_back('?');
    } else if (span.kind == SqlSpanKind::Plain) {
      if (positional[i] == '?') out.markers.push_back(-1);
      text.push_back(positional[i]);
    } else {
      text.append(positional.substr(i, span.end - i));
    }
    i = span.end;
  }
  return true;
}

}  // namespace

LiteralParameters ParameterizeLiterals(std::string_view positional) {
  LiteralParameters out;
  if (!IsWritingStatement(positional)) return out;
  if (!ReplaceLiterals(positional, out) || out.literals.empty()) return LiteralParameters{};
  return out;
}

}  // namespace morvanta::fb
