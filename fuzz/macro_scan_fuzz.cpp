// The macro scanner and the expansion on any statement text, as the dataset runs them: scan,
// give some macros values, expand, write the result back (upper-cased) and scan again.
// Input: the macro character, then the statement text, then macro values, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "morvanta/components/statement/SqlTextPreparation.h"

using namespace morvanta;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every MacroChar of the text has its macro in the list (checked for the first few hundred, as
// the list's own look-up walks the whole list).
void CheckRegistered(const AnsiString& text, char macroChar, const TParams& macros) {
  int checked = 0;
  for (std::size_t pos = 0; pos < text.size() && checked < 300; ++pos) {
    if (text[pos] != macroChar) continue;
    ++checked;
    std::size_t end = text.find_first_of(" \r", pos + 1);
    if (end == AnsiString::npos) end = text.size();
    Check(macros.FindParam(Trim(std::string_view(text).substr(pos + 1, end - pos - 1))) != nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char macroChar = static_cast<char>(data[0]);
  std::vector<AnsiString> parts(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && parts.size() < 6) parts.emplace_back();
    else parts.back().push_back(static_cast<char>(data[i]));
  }
  // A run of macro characters without a blank registers one macro per character, each named by
  // the rest of the run, so a scan is quadratic in such a run: the first 1024 bytes of the text
  // keep a run within a fraction of a second.
  const AnsiString text = parts[0].substr(0, 1024);

  TParams macros;
  ScanMacros(text, macroChar, macros);
  CheckRegistered(text, macroChar, macros);
  const int registered = macros.Count();

  // The expansion matches references ignoring case, and the expanded text is upper-cased before
  // the second scan: a value holding the macro character in either case brings in references, and
  // each macro's turn can then multiply the text by its value's length (a growth exponential in
  // the number of macros, which the expansion rightly performs). Values of at most 8 bytes without
  // that character leave every reference to the text: each is replaced once, so the expanded text
  // is at most nine times the text and holds no more macro characters than it.
  const char upperMacroChar = AnsiUpperChar(macroChar);
  for (std::size_t v = 1; v < parts.size() && static_cast<int>(v) <= macros.Count(); ++v) {
    AnsiString value = parts[v].substr(0, 8);
    for (char& c : value)
      if (AnsiUpperChar(c) == upperMacroChar) c = ' ';
    macros[static_cast<int>(v) - 1].SetAsString(value);
  }

  const AnsiString expanded = AnsiUpperCase(ExpandMacroReferences(text, macroChar, macros));
  ScanMacros(expanded, macroChar, macros);
  CheckRegistered(expanded, macroChar, macros);
  Check(macros.Count() >= registered);  // never removed
  return 0;
}
