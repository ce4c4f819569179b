#pragma once
// The change log's name of a field type code.

#include "FieldTypes.h"
#include "Text.h"

AnsiString FieldTypeName(int typeCode);
