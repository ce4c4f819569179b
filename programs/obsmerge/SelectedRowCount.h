#pragma once
// The number of rows a select returns, counted by the server without sending them, for the
// progress line's total.

#include <cstdint>
#include <optional>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace morvanta {
class TSQLConnection;
}  // namespace morvanta

// Runs "select count(*) from (select)" on the connection, in a read-only transaction of its own:
// one round trip, and for the server one pass over the rows without reading their blobs. Nothing
// when the count fails: the total only adorns the progress line.
std::optional<std::uint64_t> CountSelectedRows(TSQLConnection& connection, const AnsiString& select);

// The same count for a caller that needs the reason of a failure: the error of the database
// travels on.
std::uint64_t CountSelectedRowsOrRaise(TSQLConnection& connection, const AnsiString& select);
