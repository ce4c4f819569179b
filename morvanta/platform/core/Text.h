#pragma once
// The two text types of the system and the one place that converts between them.
//
// The component layer works on 8-bit text in code page 1252 (`AnsiString`); the framework's
// lists, field names and statement texts are wide (`WideString`, UTF-16). At the edges of the
// process (arguments, the standard error stream, file names given to the client library) text is
// converted between code page 1252 and the system's encoding, UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace morvanta {

using AnsiString = std::string;
using WideString = std::u16string;

// Code page 1252 <-> UTF-16. Every byte value survives the round trip: the five bytes that code
// page 1252 leaves undefined map to the control characters of the same value.
WideString ToWide(std::string_view ansi);
AnsiString ToAnsi(std::u16string_view wide);

// Code page 1252 <-> UTF-8 (the system's encoding). Characters outside code page 1252 become '?';
// bytes that are not valid UTF-8 are taken as code page 1252 bytes.
AnsiString FromSystem(std::string_view utf8);
std::string ToSystem(std::string_view ansi);

// A source literal (UTF-8) as code page 1252 text: "Transação Inválida"_a. Code outside the
// namespace reaches it with `using namespace morvanta;` or `using namespace morvanta::literals;`.
inline namespace literals {
AnsiString operator""_a(const char* text, std::size_t length);
}

// Letter-by-letter case mapping in code page 1252, accented letters included.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
AnsiString AnsiUpperCase(std::string_view text);
AnsiString AnsiLowerCase(std::string_view text);
WideString WideUpperCase(std::u16string_view text);

// Case-insensitive comparison in code page 1252 (and for wide text, through it).
bool SameText(std::string_view a, std::string_view b);
bool SameText(std::u16string_view a, std::u16string_view b);
int CompareText(std::string_view a, std::string_view b);

// Trimming removes leading and trailing blanks and control characters (codes up to 32).
AnsiString Trim(std::string_view text);
AnsiString TrimLeft(std::string_view text);
AnsiString TrimRight(std::string_view text);
WideString Trim(std::u16string_view text);

// Plain text replacement of every occurrence (case-sensitive).
AnsiString ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Number <-> text, in the platform's conventions.
AnsiString IntToStr(std::int64_t value);
// Shortest text with at most 15 significant digits, point as the decimal separator unless told.
AnsiString FloatToStr(double value, char decimalSeparator = '.');
bool TryStrToInt(std::string_view text, std::int64_t& value);
bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator = '.');

}  // namespace morvanta
