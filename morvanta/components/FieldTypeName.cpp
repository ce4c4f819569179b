#include "morvanta/components/FieldTypeName.h"

#include <array>

namespace morvanta {

namespace {
constexpr std::array<AsciiLiteral, 38> kNames = {
    "UNKNOWN",    "STRING",    "SMALLINT",  "INTEGER",    "WORD",      "BOOLEAN",     "FLOAT",   "CURRENCY",
    "BCD",        "DATE",      "TIME",      "DATETIME",   "BYTES",     "VARBYTES",    "AUTOINC", "BLOB",
    "MEMO",       "GRAPHIC",   "FMTMEMO",   "PARADOXOLE", "DBASEOLE",  "TYPEDBINARY", "CURSOR",  "FIXEDCHAR",
    "WIDESTRING", "LARGEINT",  "ADT",       "ARRAY",      "REFERENCE", "DATASET",     "ORABLOB", "ORACLOB",
    "VARIANT",    "INTERFACE", "IDISPATCH", "GUID",       "TIMESTAMP", "FMTBCD"};
}  // namespace

AnsiString FieldTypeName(int typeCode) {
  if (typeCode < 0 || typeCode >= static_cast<int>(kNames.size())) return AnsiString("UNKNOWN");
  return AnsiString(kNames[static_cast<std::size_t>(typeCode)]);
}

}  // namespace morvanta
