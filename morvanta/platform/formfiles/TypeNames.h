#pragma once
// The names under which a form stores field type codes and parameter kinds ("ftInteger",
// "ptInput"), so that a stored parameter reads as its type rather than as a number.

#include <optional>
#include <string_view>

#include "morvanta/platform/core/FieldTypes.h"

namespace morvanta {

const char* FieldTypeIdent(TFieldType type);
std::optional<TFieldType> FieldTypeFromIdent(std::string_view ident);
const char* ParamTypeIdent(TParamType type);
std::optional<TParamType> ParamTypeFromIdent(std::string_view ident);

}  // namespace morvanta
