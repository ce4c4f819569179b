#pragma once
// Reading a published property's value from the one line an inspector edits.

#include "morvanta/platform/formfiles/PublishedProperty.h"

using namespace morvanta;

namespace morvanta {
class TComponent;
}  // namespace morvanta

// The value a text stands for in a property of that kind: decimal integers within the property's
// range, "True" or "False" (any case), one character, a text as written, a component of `form`
// by name that the property accepts (empty: none). String and parameter lists are not read from
// one line. Raises Exception with the reason when the text does not fit.
PropertyValue PropertyValueFromText(const PublishedProperty& property, const AnsiString& text, const TComponent& form);
