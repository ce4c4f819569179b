#include "morvanta/platform/formfiles/TypeNames.h"

#include <array>

namespace morvanta {

namespace {

// In the order of the codes.
constexpr std::array<const char*, ftOraInterval + 1> kFieldTypes = {
    "ftUnknown",     "ftString",    "ftSmallint",  "ftInteger",       "ftWord",     "ftBoolean",      "ftFloat",
    "ftCurrency",    "ftBCD",       "ftDate",      "ftTime",          "ftDateTime", "ftBytes",        "ftVarBytes",
    "ftAutoInc",     "ftBlob",      "ftMemo",      "ftGraphic",       "ftFmtMemo",  "ftParadoxOle",   "ftDBaseOle",
    "ftTypedBinary", "ftCursor",    "ftFixedChar", "ftWideString",    "ftLargeint", "ftADT",          "ftArray",
    "ftReference",   "ftDataSet",   "ftOraBlob",   "ftOraClob",       "ftVariant",  "ftInterface",    "ftIDispatch",
    "ftGuid",        "ftTimeStamp", "ftFMTBcd",    "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp", "ftOraInterval"};

constexpr std::array<const char*, ptResult + 1> kParamTypes = {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput",
                                                               "ptResult"};

template <class Names>
std::optional<int> IndexOf(const Names& names, std::string_view ident) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (ident == names[i]) return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace

const char* FieldTypeIdent(TFieldType type) {
  return type >= 0 && type < static_cast<int>(kFieldTypes.size()) ? kFieldTypes[type] : "ftUnknown";
}

std::optional<TFieldType> FieldTypeFromIdent(std::string_view ident) {
  if (auto i = IndexOf(kFieldTypes, ident)) return static_cast<TFieldType>(*i);
  return std::nullopt;
}

const char* ParamTypeIdent(TParamType type) {
  return type >= 0 && type < static_cast<int>(kParamTypes.size()) ? kParamTypes[type] : "ptUnknown";
}

std::optional<TParamType> ParamTypeFromIdent(std::string_view ident) {
  if (auto i = IndexOf(kParamTypes, ident)) return static_cast<TParamType>(*i);
  return std::nullopt;
}

}  // namespace morvanta
