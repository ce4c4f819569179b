#include "StatementLiterals.h"

#include <cctype>

namespace fb {

namespace {

bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

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

// Skips blanks and comments from `i`; returns the position of the next significant character.
std::size_t SkipSpaceAndComments(std::string_view text, std::size_t i) {
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text.compare(i, 2, "--") == 0) {
      while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
    } else if (text.compare(i, 2, "/*") == 0) {
      std::size_t close = text.find("*/", i + 2);
      i = close == std::string_view::npos ? text.size() : close + 2;
    } else {
      break;
    }
  }
  return i;
}

}  // namespace

LiteralParameters ParameterizeLiterals(std::string_view positional) {
  LiteralParameters out;
  std::size_t first = SkipSpaceAndComments(positional, 0);
  std::size_t wordEnd = first;
  while (wordEnd < positional.size() && IsWordChar(positional[wordEnd])) ++wordEnd;
  std::string keyword = UpperWord(positional.substr(first, wordEnd - first));
  if (keyword != "UPDATE" && keyword != "INSERT" && keyword != "DELETE") return out;

  std::string text;
  text.reserve(positional.size());
  const std::size_t n = positional.size();
  std::size_t i = 0;
  while (i < n) {
    char c = positional[i];
    if (c == '-' && i + 1 < n && positional[i + 1] == '-') {
      std::size_t j = i;
      while (j < n && positional[j] != '\n' && positional[j] != '\r') ++j;
      text.append(positional.substr(i, j - i));
      i = j;
    } else if (c == '/' && i + 1 < n && positional[i + 1] == '*') {
      std::size_t close = positional.find("*/", i + 2);
      std::size_t end = close == std::string_view::npos ? n : close + 2;
      text.append(positional.substr(i, end - i));
      i = end;
    } else if (c == '"') {
      std::size_t j = i + 1;
      while (j < n) {
        if (positional[j] == '"') {
          if (j + 1 < n && positional[j + 1] == '"') {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      std::size_t end = j < n ? j + 1 : n;
      text.append(positional.substr(i, end - i));
      i = end;
    } else if (c == '?') {
      out.markers.push_back(-1);
      text.push_back('?');
      ++i;
    } else if (c == '\'') {
      // A literal glued to a word (X'..', Q'..', _WIN1252'..') or typed by the word before it
      // (DATE '..', an introducer) means more than its text: leave the statement as it is.
      if (i > 0 && IsWordChar(positional[i - 1])) return LiteralParameters{};
      std::string before = WordBefore(positional, i);
      if (before == "DATE" || before == "TIME" || before == "TIMESTAMP" || (!before.empty() && before[0] == '_'))
        return LiteralParameters{};
      std::string value;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < n) {
        if (positional[j] == '\'') {
          if (j + 1 < n && positional[j + 1] == '\'') {
            value.push_back('\'');
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        value.push_back(positional[j]);
        ++j;
      }
      if (!closed) return LiteralParameters{};
      out.markers.push_back(static_cast<int>(out.literals.size()));
      out.literals.push_back(std::move(value));
      text.push_back('?');
      i = j + 1;
    } else {
      text.push_back(c);
      ++i;
    }
  }
  if (out.literals.empty()) return LiteralParameters{};
  out.text = std::move(text);
  return out;
}

}  // namespace fb
