// PLAN-clause removal on any text. It must end (each pass removes at least a marker), never grow
// the text, and leave at most a marker that has no closing parenthesis after it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "morvanta/components/statement/SqlTextPreparation.h"

using namespace morvanta;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void Cut(const AnsiString& text) {
  const AnsiString result = CutPlanClauses(text);
  Check(result.size() <= text.size());
  if (int start = FindPlanClause(result)) {
    Check(start >= 1 && static_cast<std::size_t>(start) <= result.size());
    Check(result.find(')', static_cast<std::size_t>(start - 1)) == AnsiString::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AnsiString text(reinterpret_cast<const char*>(data), size);
  Cut(text);
  Cut(AnsiUpperCase(text));
  return 0;
}
