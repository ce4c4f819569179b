#pragma once
// The database kind the components render and bind values for, resolved once from a connection's
// driver name.

#include <string_view>

namespace morvanta {

enum class DatabaseKind { Interbase, Oracle, Other };

// "Interbase" and "Oracle", compared exactly (letter case included); every other name, "Firebird"
// and the empty name among them, is DatabaseKind::Other. The "Firebird" profile of the connection
// carries the driver name "Interbase".
constexpr DatabaseKind DatabaseKindOf(std::string_view driverName) {
  if (driverName == "Interbase") return DatabaseKind::Interbase;
  if (driverName == "Oracle") return DatabaseKind::Oracle;
  return DatabaseKind::Other;
}

}  // namespace morvanta
