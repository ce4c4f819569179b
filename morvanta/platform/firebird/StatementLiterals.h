#pragma once
// Turns the quoted string literals of a writing statement into parameters, so that statements
// that differ only in the values written into their text (one UPDATE per row with its keys in
// apostrophes) share one prepared statement instead of being parsed and compiled again for
// every row. The values then travel in the input message as text, converted by the server to
// the type that the statement gives each place, as it converts the literal itself.

#include <string>
#include <string_view>
#include <vector>

namespace morvanta::fb {

struct LiteralParameters {
  // The statement with every string literal replaced by '?'; empty when the statement is not
  // one to share (not an INSERT, UPDATE or DELETE, no literal, or a literal whose meaning depends
  // on what stands before it: an introducer, a typed literal such as DATE '...', an alternative
  // or hexadecimal quoting).
  std::string text;
  // Every marker of `text` in order: the index of its literal in `literals`, or -1 for a marker
  // that was a parameter of the original statement already.
  std::vector<int> markers;
  std::vector<std::string> literals;  // unquoted: a doubled apostrophe becomes one

  bool Usable() const { return !text.empty(); }
};

// `positional` is the statement as it goes to the server, its parameters already written as '?'.
LiteralParameters ParameterizeLiterals(std::string_view positional);

}  // namespace morvanta::fb
