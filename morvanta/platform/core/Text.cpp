#include "morvanta/platform/core/Text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace morvanta {

namespace {

// Code points of bytes 0x80..0x9F in code page 1252; the undefined ones map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToUnit(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
  return static_cast<char16_t>(b);
}

// Returns the code page 1252 byte of a code point, or -1 when it has none.
int UnitToByte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

WideString ToWide(std::string_view ansi) {
  WideString out;
  out.resize(ansi.size());
  for (std::size_t i = 0; i < ansi.size(); ++i) out[i] = ByteToUnit(static_cast<unsigned char>(ansi[i]));
  return out;
}

AnsiString ToAnsi(std::u16string_view wide) {
  AnsiString out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      ++i;  // a surrogate pair is one character outside the code page
      out.push_back('?');
      continue;
    }
    int b = UnitToByte(cp);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

AnsiString FromSystem(std::string_view utf8) {
  AnsiString out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool valid = extra < 4 && i + extra < utf8.size();
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) valid = false;
      else cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms are not valid UTF-8.
    if (valid && ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)))
      valid = false;
    if (!valid) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    int b = UnitToByte(cp);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
    i += extra + 1;
  }
  return out;
}

std::string ToSystem(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    char32_t cp = ByteToUnit(static_cast<unsigned char>(ch));
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

AnsiString::AnsiString(std::u8string_view utf8)
    : AnsiString(FromSystem(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()))) {}

AnsiString AnsiString::FromUtf8(std::string_view utf8) { return FromSystem(utf8); }

std::ostream& operator<<(std::ostream& out, const AnsiString& text) { return out << text.Bytes(); }

AnsiString literals::operator""_a(const char* text, std::size_t length) {
  return FromSystem(std::string_view(text, length));
}

char AnsiUpperChar(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);  // à..þ except ÷
  if (b == 0x9A || b == 0x9C || b == 0x9E) return static_cast<char>(b - 16);  // š œ ž
  if (b == 0xFF) return static_cast<char>(0x9F);                              // ÿ
  return c;
}

char AnsiLowerChar(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);  // À..Þ except ×
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 16);
  if (b == 0x9F) return static_cast<char>(0xFF);
  return c;
}

AnsiString AnsiUpperCase(std::string_view text) {
  AnsiString out(text);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

AnsiString AnsiLowerCase(std::string_view text) {
  AnsiString out(text);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

WideString WideUpperCase(std::u16string_view text) {
  WideString out(text);
  for (char16_t& u : out) {
    int b = UnitToByte(u);
    if (b >= 0) u = ByteToUnit(static_cast<unsigned char>(AnsiUpperChar(static_cast<char>(b))));
  }
  return out;
}

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AnsiUpperChar(a[i]));
    unsigned char y = static_cast<unsigned char>(AnsiUpperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool SameText(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    int x = UnitToByte(a[i]), y = UnitToByte(b[i]);
    if (x < 0 || y < 0 || AnsiUpperChar(static_cast<char>(x)) != AnsiUpperChar(static_cast<char>(y))) return false;
  }
  return true;
}

AnsiString TrimLeft(std::string_view text) {
  std::size_t b = 0;
  while (b < text.size() && IsTrimmed(text[b])) ++b;
  return AnsiString(text.substr(b));
}

AnsiString TrimRight(std::string_view text) {
  std::size_t e = text.size();
  while (e > 0 && IsTrimmed(text[e - 1])) --e;
  return AnsiString(text.substr(0, e));
}

AnsiString Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsTrimmed(text[b])) ++b;
  while (e > b && IsTrimmed(text[e - 1])) --e;
  return AnsiString(text.substr(b, e - b));
}

WideString Trim(std::u16string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] <= u' ') ++b;
  while (e > b && text[e - 1] <= u' ') --e;
  return WideString(text.substr(b, e - b));
}

AnsiString ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return AnsiString(text);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return AnsiString(std::move(out));
}

AnsiString IntToStr(std::int64_t value) { return AnsiString(std::to_string(value)); }

AnsiString FloatToStr(double value, char decimalSeparator) {
  if (std::isnan(value)) return AnsiString("NAN");
  if (std::isinf(value)) return AnsiString(value > 0 ? "INF" : "-INF");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  AnsiString text(buffer);
  // Exponent form as the platform writes it: 1E+20, 1E-5.
  std::size_t e = text.find('E');
  AnsiString mantissa = e == AnsiString::npos ? text : text.substr(0, e);
  AnsiString exponent = e == AnsiString::npos ? AnsiString() : text.substr(e);
  if (!exponent.empty()) {
    char sign = exponent.size() > 1 ? exponent[1] : '+';
    std::size_t digits = 2;
    while (digits < exponent.size() - 1 && exponent[digits] == '0') ++digits;
    exponent = AnsiString("E") + sign + exponent.substr(digits);
  }
  for (char& c : mantissa)
    if (c == '.') c = decimalSeparator;
  return mantissa + exponent;
}

bool TryStrToInt(std::string_view text, std::int64_t& value) {
  AnsiString t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno != 0 || end == t.c_str() || *end != '\0') return false;
  value = v;
  return true;
}

bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator) {
  AnsiString t = Trim(text);
  if (t.empty()) return false;
  for (char& c : t) {
    if (c == decimalSeparator) c = '.';
    else if (c == '.' && decimalSeparator != '.') return false;
  }
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0') return false;
  value = v;
  return true;
}

}  // namespace morvanta
