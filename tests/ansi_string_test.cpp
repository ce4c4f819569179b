#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <unordered_map>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace {

const std::string kCp1252 =
    "A\xE7\xFA"
    "car \x80";  // "Açúcar €" in code page 1252

}  // namespace

TEST(AnsiString, EveryStatedConversionFromUtf8GivesTheSameCodePageBytes) {
  const std::string utf8 = "Açúcar €";
  const struct {
    const char* way;
    AnsiString text;
  } cases[] = {
      {"literal operator", "Açúcar €"_a},
      {"UTF-8 literal", AnsiString(u8"Açúcar €")},
      {"FromUtf8", AnsiString::FromUtf8(utf8)},
      {"FromSystem", FromSystem(utf8)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text.Bytes(), kCp1252) << c.way;
    EXPECT_EQ(ToSystem(c.text), utf8) << c.way;
  }
}

TEST(AnsiString, BytesAndAsciiAreTakenAsTheyAreAndWhatIsBuiltStaysBytes) {
  const AnsiString bytes(kCp1252);
  EXPECT_EQ(bytes.Bytes(), kCp1252);
  const AnsiString ascii("Pedido");
  EXPECT_EQ(ascii, "Pedido");
  const AnsiString joined = ascii + " " + bytes.substr(1, 2) + '!';
  EXPECT_EQ(joined.Bytes(), "Pedido \xE7\xFA!");
  std::ostringstream out;
  out << joined;
  EXPECT_EQ(out.str(), joined.Bytes());
  std::unordered_map<AnsiString, int, AnsiStringHash> counts;
  ++counts[bytes];
  ++counts[FromSystem("Açúcar €")];
  EXPECT_EQ(counts.size(), 1u);
  EXPECT_EQ(counts[bytes], 2);
}
