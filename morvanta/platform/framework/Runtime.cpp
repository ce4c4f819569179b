#include "morvanta/platform/framework/Runtime.h"

#include <langinfo.h>
#include <locale.h>

namespace morvanta {

namespace {

std::vector<AnsiString>& Arguments() {
  static std::vector<AnsiString> arguments;
  return arguments;
}

}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
  std::vector<AnsiString> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(FromSystem(argv[i] ? argv[i] : ""));
  Arguments() = std::move(arguments);
}

void SetCommandLine(std::vector<AnsiString> arguments) { Arguments() = std::move(arguments); }

AnsiString ParamStr(int index) {
  const auto& arguments = Arguments();
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size()) return AnsiString();
  return arguments[static_cast<std::size_t>(index)];
}

int ParamCount() { return Arguments().empty() ? 0 : static_cast<int>(Arguments().size()) - 1; }

char DecimalSeparator() {
  static const char separator = [] {
    // Read the user's numeric locale without changing the process's C locale.
    locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (!locale) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    char c = radix && radix[0] && !radix[1] ? radix[0] : '.';
    freelocale(locale);
    return c;
  }();
  return separator;
}

}  // namespace morvanta
