#pragma once
// The store's order tables in a test database: the schema the observation merge works on, rows
// written with their exact bytes, and the tables read back whole for comparison. Reading and
// writing go straight through the Firebird client library (no connection character set, so bytes
// pass unchanged), never through the data-access layer under test.
//
//   auto db = testdb::TestDatabase::Embedded();
//   storedb::CreateStoreTables(*db);
//   storedb::InsertOrders(*db, {{1, 10, "W"}});
//   storedb::InsertObservations(*db, {{1, 10, "principal", "temporária"_a}});
//   storedb::Snapshot before = storedb::ReadSnapshot(*db);

#include <optional>
#include <ostream>
#include <vector>

#include "morvanta/platform/core/Text.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace storedb {

// Null and empty texts are told apart everywhere.
using OptionalText = std::optional<AnsiString>;

struct Order {
  int lja = 0;
  int cpe = 0;
  OptionalText status;  // as stored: CHAR(1), blank-padded to the column's byte length
  bool operator==(const Order&) const = default;
};

struct Observation {
  int lja = 0;
  int cpe = 0;
  OptionalText observ;  // obs_observ, the main text (a text blob)
  OptionalText temp;    // obs_temp, the temporary text
  bool operator==(const Observation&) const = default;
};

// Both tables, ordered by key.
struct Snapshot {
  std::vector<Order> orders;
  std::vector<Observation> observations;
  bool operator==(const Snapshot&) const = default;
};

// How obs_temp is stored: VARCHAR(4000), as in the stores, or as a text blob.
enum class TempColumn { Varchar, TextBlob };

// Creates fatcppedido and fatobservpedido.
void CreateStoreTables(const testdb::TestDatabase& db, TempColumn temp = TempColumn::Varchar);

// Insert the rows in one transaction, values bound as parameters byte for byte.
void InsertOrders(const testdb::TestDatabase& db, const std::vector<Order>& orders);
void InsertObservations(const testdb::TestDatabase& db, const std::vector<Observation>& observations);

// `count` orders of store `lja`, codes firstCpe, firstCpe + 1, ..., in `status`, each with an
// observation: observPrefix + n (null when observPrefix is null) and tempPrefix + n, n being the
// order code. Written by one statement, so thousands of rows take a moment only. The prefixes go
// into the statement as literals: plain text of the database's character set.
void InsertBulk(const testdb::TestDatabase& db, int lja, int firstCpe, int count, const AnsiString& status,
                const OptionalText& observPrefix, const AnsiString& tempPrefix);

std::vector<Order> ReadOrders(const testdb::TestDatabase& db);
std::vector<Observation> ReadObservations(const testdb::TestDatabase& db);
Snapshot ReadSnapshot(const testdb::TestDatabase& db);

// Short, printable forms for test failure messages (long texts are cut, control and high bytes
// shown as escapes).
void PrintTo(const Order& order, std::ostream* out);
void PrintTo(const Observation& observation, std::ostream* out);
void PrintTo(const Snapshot& snapshot, std::ostream* out);

}  // namespace storedb
