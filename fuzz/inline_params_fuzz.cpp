// Writing parameter values into statement text, as the executing and posting paths do: the
// statement's parameters come from its own markers, get values of assorted types (rounded like
// executed floats, dates as database text), and are written in.
// Input: a flags byte, then the statement text, then parameter values, separated by NUL bytes;
// the first byte of each value chooses its type.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/Params.h"
#include "morvanta/components/statement/Rounding.h"
#include "morvanta/components/statement/ValueBinding.h"

using namespace morvanta;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

double ReadDouble(const AnsiString& bytes) {
  double value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return value;
}

void SetValue(TParam& param, const AnsiString& chunk, int decimals, const AnsiString& driver) {
  if (chunk.empty()) return;  // stays null
  static constexpr TFieldType kTypes[] = {ftString,   ftInteger,  ftFloat,     ftCurrency, ftBCD,
                                          ftFMTBcd,   ftBlob,     ftOraBlob,   ftMemo,     ftDate,
                                          ftDateTime, ftSmallint, ftFixedChar, ftBoolean};
  const TFieldType type = kTypes[static_cast<unsigned char>(chunk[0]) % std::size(kTypes)];
  const AnsiString body = chunk.substr(1);
  const bool asText = (static_cast<unsigned char>(chunk[0]) / std::size(kTypes)) % 2 == 1;
  param.SetDataType(type);
  switch (type) {
    case ftInteger:
    case ftSmallint: {
      std::int64_t value = 0;
      std::memcpy(&value, body.data(), std::min(body.size(), sizeof value));
      param.SetValue(TVariant(value));
      break;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
      if (asText) {
        param.SetValue(TVariant(body));
      } else {
        double value = ReadDouble(body);
        try {
          value = static_cast<double>(RoundToPrecision(decimals, value));
        } catch (const EConvertError&) {
        }
        param.SetValue(TVariant(value));
      }
      break;
    case ftDate:
    case ftDateTime: {
      // Dates within the framework's years 1 to 9999.
      double value = ReadDouble(body);
      if (!std::isfinite(value)) value = 0;
      value = std::fmod(value, 2958465.0);  // 31 December 9999
      param.SetValue(TVariant(DateTimeToDBText(driver, value)));
      break;
    }
    case ftBoolean:
      param.SetValue(TVariant(!body.empty() && body[0] % 2 == 1));
      break;
    default:
      param.SetValue(TVariant(body));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned flags = data[0];
  const bool permiteApostrofo = flags & 1;
  const char separator = flags & 2 ? ',' : '.';
  const int decimals = static_cast<int>((flags >> 2) % 11);  // 10 raises, as on a real dataset
  const AnsiString driver = flags & 64 ? "Oracle"_a : "Interbase"_a;

  std::vector<AnsiString> parts(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && parts.size() < 9) parts.emplace_back();
    else parts.back().push_back(static_cast<char>(data[i]));
  }
  const WideString statement = ToWide(parts[0]);

  TParams params;
  params.ParseSQL(statement, true);
  for (int i = 0; i < params.Count() && static_cast<std::size_t>(i) + 1 < parts.size(); ++i)
    SetValue(params[i], parts[static_cast<std::size_t>(i) + 1], decimals, driver);
  // A parameter whose name the text does not hold as a marker, possibly a prefix of others.
  if (flags & 128 && parts.size() > 1)
    SetValue(params.CreateParam(ftUnknown, ToWide(parts.back().substr(0, 8)), ptInput), parts.back(), decimals, driver);

  const WideString rendered = InlineParamValues(statement, params, permiteApostrofo, separator);
  for (char16_t c : rendered) Check(c != u'"' && c != u'`');

  // The query re-derives its parameters from the rendered text.
  TParams after;
  after.ParseSQL(rendered, true);
  return 0;
}
