// The macro scanner and the expansion on any statement text, as the dataset runs them: scan,
// give some macros values, expand, write the result back (upper-cased) and scan again.
// Input: the macro character, then the statement text, then macro values, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "SqlTextPreparation.h"

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
  const AnsiString& text = parts[0];

  TParams macros;
  ScanMacros(text, macroChar, macros);
  CheckRegistered(text, macroChar, macros);
  const int registered = macros.Count();

  // Values without the macro character keep the expansion's growth bounded by the input (a value
  // that brings in references can legitimately multiply the text).
  for (std::size_t v = 1; v < parts.size() && static_cast<int>(v) <= macros.Count(); ++v) {
    AnsiString value = parts[v].substr(0, 64);
    for (char& c : value)
      if (c == macroChar) c = ' ';
    macros[static_cast<int>(v) - 1].SetAsString(value);
  }

  const AnsiString expanded = AnsiUpperCase(ExpandMacroReferences(text, macroChar, macros));
  ScanMacros(expanded, macroChar, macros);
  CheckRegistered(expanded, macroChar, macros);
  Check(macros.Count() >= registered);  // never removed
  return 0;
}
