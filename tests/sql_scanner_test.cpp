#include <gtest/gtest.h>

#include "morvanta/components/statement/MarkerSubstitution.h"
#include "morvanta/platform/core/SqlScanner.h"

using namespace morvanta;

namespace {

// The spans of a whole text, written as kind letters over its characters: "." plain, "s" string
// literal, "i" quoted identifier, "l" line comment, "b" block comment; an unclosed span in
// capitals.
template <class Char>
std::string SpanMap(std::basic_string_view<Char> text) {
  static constexpr char kLetters[] = ".silb";
  std::string map;
  for (std::size_t i = 0; i < text.size();) {
    const SqlSpan span = SqlSpanAt(text, i);
    char letter = kLetters[static_cast<int>(span.kind)];
    if (!span.closed) letter = static_cast<char>(letter - 'a' + 'A');
    map.append(span.end - span.begin, letter);
    i = span.end;
  }
  return map;
}

}  // namespace

TEST(SqlScanner, NarrowAndWideTextSplitAlikeWithEveryQuirk) {
  const struct {
    const char* text;
    const char* map;
  } cases[] = {
      {"a'b''c'd", ".ssssss."},         // a doubled apostrophe stays inside
      {"\"x'\"'y\"", "iiiiSSS"},        // each quote kind ignores the other; unclosed at the end
      {"'a''", "SSSS"},                 // a doubled quote at the end does not close
      {"-- c\r\n--\nx", "llll..ll.."},  // a line comment stops before CR or LF
      {"/*/ x */y/*", "bbbbbbbb.BB"},   // "*/" is searched after "/*"; unclosed at the end
      {"-/ *-", "....."},
      {"\xE9'\xFF'", ".sss"},  // code page 1252 letters are plain characters
  };
  for (const auto& c : cases) {
    const std::string_view narrow(c.text);
    EXPECT_EQ(SpanMap(narrow), c.map) << c.text;
    const WideString wide = ToWide(narrow);
    EXPECT_EQ(SpanMap(std::u16string_view(wide)), c.map) << c.text;
  }
}

TEST(SqlScanner, LiteralWrittenAndReadBack) {
  for (std::string_view value : {"", "it's", "''", "a'"}) {
    const AnsiString literal = SqlStringLiteral(value);
    const SqlSpan span = SqlSpanAt(std::string_view(literal), 0);
    EXPECT_EQ(span.end, literal.size()) << value;
    EXPECT_EQ(SqlUnquoted(std::string_view(literal), span), value);
  }
  EXPECT_EQ(SqlStringLiteral("it's"), "'it''s'");
}

TEST(MarkerSubstitution, EveryMarkerOrOneMarkerPerEntry) {
  const std::vector<AnsiString> names = {"A"_a, "AB"_a, ""_a, "A"_a};
  const std::string_view text = ":AB :A :A :x :";
  auto write = [](std::size_t index, AnsiString& out) { out += "<"_a + AnsiString(std::to_string(index)) + ">"_a; };
  using Options = MarkerSubstitutionOptions;
  EXPECT_EQ(
      SubstituteMarkers<char>(text, names, {Options::Uses::EveryMarker, Options::EmptyNames::MatchBareColon}, write),
      "<1> <0> <0> <2>x <2>");
  // The second ":A" takes the second entry of A; the entry without a name takes no colon.
  EXPECT_EQ(SubstituteMarkers<char>(text, names, {Options::Uses::OneMarker, Options::EmptyNames::Ignored}, write),
            "<1> <0> <3> :x :");
}
