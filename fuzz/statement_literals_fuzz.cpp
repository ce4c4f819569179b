// The literal parameterisation on any statement text, and the scanner it rests on: the text splits
// into the same spans as code page 1252 bytes and as wide text, and a statement made shareable
// gives the original text back when each of its markers is written again as its literal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/firebird/StatementLiterals.h"

using namespace morvanta;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckSpans(std::string_view text) {
  const WideString wide = ToWide(text);
  Check(wide.size() == text.size());
  for (std::size_t i = 0; i < text.size();) {
    const SqlSpan narrow = SqlSpanAt(text, i);
    const SqlSpan other = SqlSpanAt(std::u16string_view(wide), i);
    Check(narrow.kind == other.kind && narrow.begin == i && other.begin == i && narrow.end == other.end &&
          narrow.closed == other.closed);
    Check(narrow.end > i && narrow.end <= text.size());
    i = narrow.end;
  }
}

// The shared statement with its markers written back: bound ones as '?', literals quoted.
AnsiString WrittenBack(const fb::LiteralParameters& p) {
  const std::string_view text(p.text);
  AnsiString back;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text.size();) {
    const SqlSpan span = SqlSpanAt(text, i);
    if (span.kind == SqlSpanKind::Plain && text[i] == '?') {
      Check(next < p.markers.size());
      const int literal = p.markers[next++];
      Check(literal < static_cast<int>(p.literals.size()));
      back += literal < 0 ? AnsiString("?") : SqlStringLiteral(p.literals[static_cast<std::size_t>(literal)]);
    } else {
      Check(span.kind != SqlSpanKind::StringLiteral);
      back.AppendBytes(text.substr(i, span.end - i));
    }
    i = span.end;
  }
  Check(next == p.markers.size());
  return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckSpans(text);
  const fb::LiteralParameters p = fb::ParameterizeLiterals(text);
  if (!p.Usable()) {
    Check(p.markers.empty() && p.literals.empty());
    return 0;
  }
  Check(!p.literals.empty());
  Check(WrittenBack(p) == text);
  return 0;
}
