#include "morvanta/components/statement/Rounding.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

namespace {

[[noreturn]] void RaiseNotAnInteger(const AnsiString& text) {
  throw EConvertError("'" + text + "' is not a valid integer value");
}

// Ten to the power of `decimals` written as a whole number, as it appears in the conversion error.
AnsiString PowerOfTenText(int decimals) {
  // Beyond the range of the extended type the power is infinite.
  if (decimals > 4932) return AnsiString("INF");
  return "1" + AnsiString(static_cast<std::size_t>(decimals), '0');
}

}  // namespace

std::int64_t RoundHalfUp(long double value) {
  if (std::isnan(value)) RaiseNotAnInteger(AnsiString("NAN"));
  const bool negative = value < 0;
  long double whole = std::trunc(std::fabs(value));
  const long double fraction = std::fabs(value) - whole;
  if (std::trunc(fraction * 1000) >= 500) whole += 1;

  constexpr long double kLimit = 9223372036854775808.0L;  // 2^63
  if (negative && whole == kLimit) return INT64_MIN;
  if (whole >= kLimit) RaiseNotAnInteger(FloatToStr(static_cast<double>(value)));
  const auto magnitude = static_cast<std::int64_t>(whole);
  return negative ? -magnitude : magnitude;
}

long double RoundToPrecision(int decimals, long double value) {
  // The factor must fit a 32-bit integer, so 10 or more decimals cannot be formed.
  if (decimals >= 10) RaiseNotAnInteger(PowerOfTenText(decimals));
  if (decimals < 0) decimals = 0;
  if (!std::isfinite(value) || value == 0) return value;

  // Work on the shortest decimal text that reads back as the value: that is the number the user
  // wrote, while the binary value may lie just below a half (2.0045 is 2.00449999...).
  const bool isDouble = static_cast<long double>(static_cast<double>(value)) == value;
  char buffer[128];
  std::to_chars_result written =
      isDouble
          ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::scientific)
          : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));

  // text is [-]d[.ddd]e(+|-)xx: the digits and the power of ten of the first one.
  std::size_t pos = 0;
  const bool negative = text[pos] == '-';
  if (negative) ++pos;
  std::string digits;
  while (pos < text.size() && text[pos] != 'e') {
    if (text[pos] != '.') digits.push_back(text[pos]);
    ++pos;
  }
  const int exponent = std::atoi(std::string(text.substr(pos + 1)).c_str());

  // Digits kept: those whose place is at least ten to the power of -decimals.
  const long long keep = static_cast<long long>(exponent) + decimals + 1;
  if (keep >= static_cast<long long>(digits.size())) return value;  // already that precise
  if (keep < 0) return 0.0L;                                        // below half a unit

  std::string kept = keep == 0 ? std::string("0") : digits.substr(0, static_cast<std::size_t>(keep));
  if (digits[static_cast<std::size_t>(keep)] >= '5') {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0) kept.insert(kept.begin(), '1');
    else ++kept[i - 1];
  }
  if (kept.find_first_not_of('0') == std::string::npos) return 0.0L;

  // kept is the rounded value in units of ten to the power of -decimals.
  const std::string rounded = (negative ? "-" : "") + kept + "e-" + std::to_string(decimals);
  return isDouble ? static_cast<long double>(std::strtod(rounded.c_str(), nullptr))
                  : std::strtold(rounded.c_str(), nullptr);
}

}  // namespace morvanta
