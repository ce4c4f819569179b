#pragma once
// The change log's name of a field type code.

#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

AnsiString FieldTypeName(int typeCode);

}  // namespace morvanta
