#pragma once
// A text in a column of a table on a terminal: converted to UTF-8, cut to a number of characters
// (ending in "..." when cut) and padded with blanks to it.

#include <string>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

std::string TextCell(const AnsiString& text, std::size_t width);
