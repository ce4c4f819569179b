#pragma once
// Runtime services of the process: command-line arguments and the locale's decimal separator.

#include <vector>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

// Records the process's arguments, converted from the system's encoding to code page 1252.
void SetCommandLine(int argc, const char* const* argv);
// Replaces the arguments (tests use it to switch diagnostic mode); index 0 is the program.
void SetCommandLine(std::vector<AnsiString> arguments);
// The argument at a position; the empty text when it is missing.
AnsiString ParamStr(int index);
int ParamCount();

// The decimal separator of the user's numeric locale ('.' when none is set).
char DecimalSeparator();

}  // namespace morvanta
