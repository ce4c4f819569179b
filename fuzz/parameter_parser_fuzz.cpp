// The parameter parser on any statement text: the bytes as code page 1252 text, and the same bytes
// read as raw UTF-16 units (lone surrogates included). It must end, stay in bounds and give one
// name per '?' it writes for a marker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "morvanta/platform/core/Params.h"
#include "morvanta/components/statement/SqlTextPreparation.h"

using namespace morvanta;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void Parse(std::u16string_view text) {
  ParsedStatement parsed = ParseParameterMarkers(text);
  // A marker is at least two units and becomes one; a doubled colon becomes one colon.
  Check(parsed.positional.size() + parsed.names.size() <= text.size());
  for (const WideString& name : parsed.names) Check(!name.empty());

  TParams params;
  params.ParseSQL(text, true);
  Check(params.Count() == static_cast<int>(parsed.names.size()));
  if (params.Count() > 0) params[0].SetAsInteger(1);
  RebuildParamsFromText(params, text);
  Check(params.Count() == static_cast<int>(parsed.names.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Parse(ToWide(bytes));

  WideString units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  Parse(units);
  return 0;
}
