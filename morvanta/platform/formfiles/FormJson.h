#pragma once
// Property values as a form file's JSON holds them, both ways: texts as strings (UTF-8 in the file,
// code page 1252 in the components), integers and Booleans as such, a character as a string of one
// character, a string list as an array of lines, a parameter list as an array of objects with
// Name, DataType, ParamType and, when it has one, Value (a date-time value as {"DateTime": text}).
// References are the reader's and the writer's business, not this one's.

#include <nlohmann/json.hpp>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/formfiles/PublishedProperty.h"

namespace morvanta {

using FormJson = nlohmann::ordered_json;

// A value that does not fit its property; the reader names the file, component and property.
MORVANTA_EXCEPTION_CLASS(EPropertyValueError, Exception)

PropertyValue ValueFromJson(const PublishedProperty& property, const FormJson& json);
FormJson ValueToJson(const PropertyValue& value);

// A text of the file (UTF-8) in code page 1252; EPropertyValueError when it holds a character that
// code page 1252 does not have.
AnsiString TextFromJson(const FormJson& json);

}  // namespace morvanta
