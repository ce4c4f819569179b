// The obsmerge program over a server link: its updates travel in batches, yet a failing row gives
// the same report as without them, and a link that drops at any moment (while rows and their
// blobs are fetched, or in the middle of a batch of updates) ends the run as a failure that
// leaves the database as it was, never as a merge of rows that were not read whole.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/proxy/DelayProxy.h"
#include "morvanta/platform/core/Text.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StoreDatabase.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using storedb::Snapshot;
using testdb::TestDatabase;

namespace {

std::unique_ptr<TestDatabase> ServerStore(int rows) {
  auto db = TestDatabase::OnServer();
  storedb::CreateStoreTables(*db);
  storedb::InsertBulk(*db, 1, 1, rows, "W"_a, "principal "_a, "temporária "_a);
  storedb::InsertBulk(*db, 2, 1, 50, "F"_a, "fica "_a, "temp "_a);
  storedb::InsertObservations(*db, {{3, 1, AnsiString(70000, 'g') + "ÿ"_a, "grande"_a}});
  storedb::InsertOrders(*db, {{3, 1, "W"_a}});
  return db;
}

ProgramResult MergeThrough(const TestDatabase& db, const DelayProxy& proxy) {
  return RunProgram(ObsmergePath(),
                    {"127.0.0.1/" + std::to_string(proxy.Port()) + ":" + db.FilePath(), ToSystem(db.UserName())});
}

// The report after the banner's two lines.
std::string Report(const std::string& err) {
  std::size_t at = err.find('\n');
  at = at == std::string::npos ? at : err.find('\n', at + 1);
  return at == std::string::npos ? std::string() : err.substr(at + 1);
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

void FailOnOrderHundred(const TestDatabase& db) {
  db.Execute("CREATE EXCEPTION e_hundredth " + ("'Falha proposital na centésima linha'"_a));
  db.Execute(
      "CREATE TRIGGER t_hundredth FOR fatobservpedido BEFORE UPDATE AS BEGIN "
      "IF (NEW.lja_codigo = 1 AND NEW.cpe_codigo = 100) THEN EXCEPTION e_hundredth; END");
}

DelayProxyOptions Proxy(std::int64_t cutAfterTurns = -1) {
  DelayProxyOptions options;
  options.lifetime = std::chrono::seconds(120);
  options.cutAfterTurns = cutAfterTurns;
  return options;
}

}  // namespace

TEST(ObsmergeLink, AFailingRowInABatchGivesTheReportOfARunWithoutBatchesAndChangesNothing) {
  FIREBIRD_SERVER_REQUIRED();
  auto embedded = TestDatabase::Embedded();
  storedb::CreateStoreTables(*embedded);
  storedb::InsertBulk(*embedded, 1, 1, 300, "W"_a, "principal "_a, "temporária "_a);
  FailOnOrderHundred(*embedded);
  const ProgramResult unbatched = RunProgram(ObsmergePath(), {ToSystem(embedded->Database()), "SYSDBA"});
  ASSERT_EQ(unbatched.exitCode, 1) << unbatched.err;

  auto db = ServerStore(300);
  FailOnOrderHundred(*db);
  const Snapshot before = storedb::ReadSnapshot(*db);
  DelayProxy proxy(Proxy());
  const ProgramResult result = MergeThrough(*db, proxy);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Report(result.err), Report(unbatched.err));
  EXPECT_NE(result.err.find("Exception EFirebirdError: Erro de ExecSQL em . "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Falha proposital na centésima linha"), std::string::npos) << result.err;
  EXPECT_EQ(storedb::ReadSnapshot(*db), before);
  // The batches did save round trips: fewer than one for each of the 300 rows (three each without them).
  EXPECT_LT(proxy.Counts().turns, 300);
}

TEST(ObsmergeLink, ALinkThatDropsAtAnyMomentEndsTheRunAsAFailureThatChangesNothing) {
  FIREBIRD_SERVER_REQUIRED();
  constexpr int kRows = 1200;  // two packets of rows
  // A run that goes through shows how many round trips a whole run takes.
  auto reference = ServerStore(kRows);
  std::int64_t turns = 0;
  {
    DelayProxy proxy(Proxy());
    const ProgramResult result = MergeThrough(*reference, proxy);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    turns = proxy.Counts().turns;
  }
  auto db = ServerStore(kRows);
  const Snapshot before = storedb::ReadSnapshot(*db);
  // Early cuts fall on the connection, the select and the first rows and blobs being fetched;
  // later ones on the batches of updates and the next packet.
  std::vector<std::int64_t> cuts;
  // (The run is short: early cuts stay in its first half, so that none falls after its commit.)
  for (std::int64_t n = 4; n <= 40 && n < turns / 2; n += 6) cuts.push_back(n);
  for (int part = 1; part <= 3; ++part) cuts.push_back(turns * part / 4);
  for (std::int64_t cut : cuts) {
    SCOPED_TRACE("cut after " + std::to_string(cut) + " of " + std::to_string(turns) + " turns");
    DelayProxy proxy(Proxy(cut));
    const ProgramResult result = MergeThrough(*db, proxy);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.out, "");
    // One report: the top-level one, or the select's box when the cut falls on the select.
    EXPECT_EQ(Count(result.err, "Exception ") + Count(result.err, " No Dataset: "), 1) << result.err;
    EXPECT_EQ(result.err.find("No Campo"), std::string::npos) << result.err;
    EXPECT_EQ(storedb::ReadSnapshot(*db), before);
  }
}
