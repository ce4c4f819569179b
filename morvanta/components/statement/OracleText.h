#pragma once
// Renderings that only an Oracle connection uses, kept apart so that they can be tested without
// one.

#include <string_view>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

// A fetched Oracle string: every pair of line feeds becomes a carriage return and a line feed.
AnsiString OracleFetchedText(std::string_view text);

}  // namespace morvanta
