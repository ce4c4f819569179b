#pragma once
// The system's code page 1252 text in and out of the toolkit's strings, through the platform's one
// conversion to wide text.

#include <QString>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

inline QString ToQString(std::string_view ansi) {
  const WideString wide = ToWide(ansi);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

inline AnsiString FromQString(const QString& text) {
  return ToAnsi(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

// Carriage returns (alone or before a line feed) as line breaks.
inline QString ToQStringLines(std::string_view ansi) {
  QString text = ToQString(ansi);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace morvanta
