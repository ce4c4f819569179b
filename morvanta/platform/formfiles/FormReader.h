#pragma once
// Reads a form file's text into an empty form. Raises EReadError naming the file and, where they
// apply, the component and the property; the caller then discards the form.

#include <string>
#include <string_view>

namespace morvanta {

class TStoredForm;

void ReadForm(std::string_view text, const std::string& fileName, TStoredForm& form);

}  // namespace morvanta
