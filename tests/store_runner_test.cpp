// obsmerge-lojas as a whole, on real store databases, embedded and through the local server:
// a list of stores of which some fail, each store's database afterwards either fully merged or
// untouched, the report saying which; a run stopped in the middle and started again.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FieldTypes.h"
#include "FolderLock.h"
#include "ReportFiles.h"
#include "SQLConnection.h"
#include "SQLQuery.h"
#include "support/ProgramRun.h"
#include "support/StoreDatabase.h"
#include "support/TempFolder.h"
#include "support/TestDatabase.h"

using testdb::TestDatabase;

namespace {

constexpr int kRows = 40;  // orders in status "W" of each store, each with an observation to merge
enum class Where { Embedded, Server };
enum class Outcome { Merged, Untouched };

// A store of kRows orders to merge and three of status "F" that the merge leaves alone.
std::unique_ptr<TestDatabase> Store(Where where) {
  auto db = where == Where::Server ? TestDatabase::OnServer() : TestDatabase::Embedded();
  storedb::CreateStoreTables(*db);
  storedb::InsertBulk(*db, 1, 1, kRows, "W", "principal ", "temp ");
  storedb::InsertBulk(*db, 2, 1, 3, "F", "fica ", "fica ");
  return db;
}

// Fails the update of order 7 with an exception of the database.
void FailOneRow(const TestDatabase& db) {
  db.Execute("CREATE EXCEPTION e_linha 'Falha proposital no pedido 7'");
  db.Execute(
      "CREATE TRIGGER t_linha FOR fatobservpedido BEFORE UPDATE AS BEGIN "
      "IF (new.cpe_codigo = 7) THEN EXCEPTION e_linha; END");
}

// Every row of the store is merged, or none is; the orders of status "F" never are.
void ExpectStore(const TestDatabase& db, Outcome outcome, const std::string& name) {
  const AnsiString merged = db.QueryScalar(
      "SELECT COUNT(*) FROM fatobservpedido WHERE lja_codigo = 1 AND obs_temp IS NULL AND "
      "obs_observ = 'principal ' || cpe_codigo || ' temp ' || cpe_codigo");
  const AnsiString untouched = db.QueryScalar(
      "SELECT COUNT(*) FROM fatobservpedido WHERE obs_temp = 'temp ' || cpe_codigo AND "
      "obs_observ = 'principal ' || cpe_codigo OR obs_temp = 'fica ' || cpe_codigo");
  EXPECT_EQ(merged, outcome == Outcome::Merged ? std::to_string(kRows) : "0") << name;
  EXPECT_EQ(untouched, outcome == Outcome::Merged ? "3" : std::to_string(kRows + 3)) << name;
}

// A row of order `cpe` of store 1 held by an open transaction of the test, until the object goes.
class RowLock {
 public:
  RowLock(const TestDatabase& db, int cpe) {
    db.Configure(connection_);
    connection_.Open();
    connection_.StartTransaction(kDesc);
    TSQLQuery writer(nullptr);
    writer.SetSQLConnection(&connection_);
    writer.SQL().Add(ToWide("UPDATE fatobservpedido SET obs_temp = obs_temp WHERE lja_codigo = 1 AND cpe_codigo = " +
                            std::to_string(cpe)));
    writer.ExecSQL();
  }
  ~RowLock() { connection_.Rollback(kDesc); }

 private:
  static constexpr TTransactionDesc kDesc{1, 0, xilREADCOMMITTED, 0};
  TSQLConnection connection_{nullptr};
};

struct ListedStore {
  std::string store, database, user;
};

ListedStore Listed(const std::string& store, const TestDatabase& db) {
  return {store, ToSystem(db.Database()), ToSystem(db.UserName())};
}

std::string WriteList(const TempFolder& folder, const std::vector<ListedStore>& stores) {
  const std::string path = folder.File("lojas.csv");
  std::ofstream out(path, std::ios::binary);
  out << "loja;banco;usuario\n";
  for (const ListedStore& s : stores) out << s.store << ';' << s.database << ';' << s.user << '\n';
  return path;
}

std::map<std::string, StoreRecord> ReportOf(const std::filesystem::path& folder) {
  std::map<std::string, StoreRecord> byStore;
  for (StoreRecord& record : ReadReport(folder)) byStore[ToSystem(record.store)] = std::move(record);
  return byStore;
}

struct Expected {
  StoreStatus status;
  std::optional<std::uint64_t> before, after;
  std::optional<int> exitCode;
  std::string error;  // a part of the error; empty: no error
};

void ExpectRecord(const std::map<std::string, StoreRecord>& report, const std::string& store, const Expected& e) {
  SCOPED_TRACE(store);
  ASSERT_EQ(report.count(store), 1u);
  const StoreRecord& r = report.at(store);
  EXPECT_STREQ(StatusName(r.status), StatusName(e.status)) << ToSystem(r.error);
  EXPECT_EQ(r.rowsBefore, e.before);
  EXPECT_EQ(r.rowsAfter, e.after);
  EXPECT_EQ(r.exitCode, e.exitCode);
  if (e.error.empty()) EXPECT_EQ(r.error, "");
  else EXPECT_NE(ToSystem(r.error).find(e.error), std::string::npos) << ToSystem(r.error);
}

}  // namespace

TEST(StoreRunner, ADozenStoresSomeFailingEachMergedWholeOrUntouchedAsTheReportSays) {
  FIREBIRD_SERVER_REQUIRED();
  std::map<std::string, std::unique_ptr<TestDatabase>> dbs;
  for (const char* name : {"emb-1", "emb-2", "Loja Conceição", "emb-gatilho", "srv-1", "srv-porta", "srv-gatilho",
                           "srv-travada", "srv-recusada"})
    dbs[name] = Store(std::string(name).rfind("srv", 0) == 0 ? Where::Server : Where::Embedded);
  auto noTables = TestDatabase::Embedded();
  auto empty = TestDatabase::Embedded();
  storedb::CreateStoreTables(*empty);
  FailOneRow(*dbs["emb-gatilho"]);
  FailOneRow(*dbs["srv-gatilho"]);
  const RowLock lock(*dbs["srv-travada"], 5);

  TempFolder folder;
  std::vector<ListedStore> list;
  for (const auto& [name, db] : dbs) list.push_back(Listed(name, *db));
  list.push_back({"srv-porta", "localhost/3050:" + dbs["srv-porta"]->FilePath(), testdb::kTestUser});
  list.erase(std::find_if(list.begin(), list.end(), [](const ListedStore& s) { return s.store == "srv-porta"; }));
  list.push_back({"srv-recusada", ToSystem(dbs["srv-recusada"]->Database()), "NINGUEM_AQUI"});
  list.erase(std::find_if(list.begin(), list.end(), [](const ListedStore& s) { return s.store == "srv-recusada"; }));
  list.push_back(Listed("emb-sem-tabelas", *noTables));
  list.push_back(Listed("emb-vazia", *empty));
  list.push_back({"emb-sem-arquivo", folder.File("nao-existe.fdb"), "SYSDBA"});
  ASSERT_EQ(list.size(), 12u);

  const ProgramResult run = RunProgram(StoreRunnerPath(), {"--jobs", "4", "--timeout", "3", "--report",
                                                           folder.File("relatorio"), WriteList(folder, list)});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  const auto report = ReportOf(folder.File("relatorio"));
  EXPECT_EQ(report.size(), 12u);
  const std::uint64_t rows = kRows;
  for (const char* ok : {"emb-1", "emb-2", "Loja Conceição", "srv-1", "srv-porta"}) {
    ExpectRecord(report, ok, {StoreStatus::Ok, rows, 0, 0, ""});
    ExpectStore(*dbs[ok], Outcome::Merged, ok);
  }
  ExpectRecord(report, "emb-vazia", {StoreStatus::Ok, 0, 0, 0, ""});
  for (const char* failing : {"emb-gatilho", "srv-gatilho"}) {
    ExpectRecord(report, failing, {StoreStatus::Failed, rows, rows, 1, "Falha proposital no pedido 7"});
    ExpectStore(*dbs[failing], Outcome::Untouched, failing);
  }
  ExpectRecord(report, "srv-travada", {StoreStatus::Timeout, rows, rows, std::nullopt, "tempo esgotado"});
  ExpectStore(*dbs["srv-travada"], Outcome::Untouched, "srv-travada");
  ExpectRecord(report, "srv-recusada", {StoreStatus::Failed, std::nullopt, std::nullopt, 1, "password"});
  ExpectStore(*dbs["srv-recusada"], Outcome::Untouched, "srv-recusada");
  ExpectRecord(report, "emb-sem-tabelas", {StoreStatus::Failed, std::nullopt, std::nullopt, 1, "FATOBSERVPEDIDO"});
  ExpectRecord(report, "emb-sem-arquivo", {StoreStatus::Failed, std::nullopt, std::nullopt, 1, "nao-existe.fdb"});

  // The summary table on the standard output, the logs per store, the CSV twin of the report.
  EXPECT_NE(run.out.find("12 lojas: 5 failed 6 ok 1 timeout"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(folder.File("relatorio/logs/emb-1.log")));
  std::ifstream csv(folder.File("relatorio/report.csv"));
  std::string header;
  std::getline(csv, header);
  EXPECT_EQ(header, "store,database,user,rows_before,rows_after,exit_code,seconds,status,error");
}
