#pragma once
// A property value as an inspector shows it: one line of text.

#include "morvanta/platform/formfiles/PublishedProperty.h"

namespace morvanta {

// Texts with their line breaks as blanks, integers in decimal, Booleans as "True" or "False", a
// character as itself, a list by its count ("(3 lines)", "(2 parameters)"), a reference by the
// target's name.
AnsiString PropertyValueText(const PropertyValue& value);

}  // namespace morvanta
