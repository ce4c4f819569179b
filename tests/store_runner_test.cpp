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

#include "morvanta/platform/core/FieldTypes.h"
#include "programs/obsmerge-lojas/FolderLock.h"
#include "programs/obsmerge-lojas/ReportFiles.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StoreDatabase.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

constexpr int kRows = 40;  // orders in status "W" of each store, each with an observation to merge
enum class Where { Embedded, Server };
enum class Outcome { Merged, Untouched };

// A store of kRows orders to merge and three of status "F" that the merge leaves alone.
std::unique_ptr<TestDatabase> Store(Where where) {
  auto db = where == Where::Server ? TestDatabase::OnServer() : TestDatabase::Embedded();
  storedb::CreateStoreTables(*db);
  storedb::InsertBulk(*db, 1, 1, kRows, "W"_a, "principal "_a, "temp "_a);
  storedb::InsertBulk(*db, 2, 1, 3, "F"_a, "fica "_a, "fica "_a);
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

  const ProgramResult run = RunProgram(StoreRunnerPath(), {"--jobs", "4", "--timeout", "5", "--report",
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

  // Not on a terminal: a plain line when a store starts and when it ends.
  EXPECT_NE(run.err.find("iniciada srv-1 ("), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("timeout srv-travada: tempo esgotado"), std::string::npos) << run.err;
  // The summary table on the standard output, the logs per store, the CSV twin of the report.
  EXPECT_NE(run.out.find("12 lojas: 6 ok 5 failed 1 timeout"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(folder.File("relatorio/logs/emb-1.log")));
  std::ifstream csv(folder.File("relatorio/report.csv"));
  std::string header;
  std::getline(csv, header);
  EXPECT_EQ(header, "store,database,user,rows_before,rows_after,exit_code,seconds,status,error");
}

namespace {

// Waits until the store's log shows that its merge has started (up to 20 s).
bool MergeStarted(const TempFolder& folder, const std::string& store) {
  for (int i = 0; i < 400; ++i) {
    std::ifstream log(folder.File("relatorio/logs/" + store + ".log"));
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    if (text.find("Usuario: ") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

TEST(StoreRunner, StoppedInTheMiddleAndStartedAgainItFinishesTheRestSkippingWhatWasDone) {
  FIREBIRD_SERVER_REQUIRED();
  std::vector<std::unique_ptr<TestDatabase>> dbs;
  TempFolder folder;
  std::vector<ListedStore> list;
  for (int i = 0; i < 6; ++i) {
    dbs.push_back(Store(i == 2 ? Where::Server : Where::Embedded));
    list.push_back(Listed("loja-" + std::to_string(i), *dbs.back()));
  }
  const std::string stores = WriteList(folder, list);
  const std::vector<std::string> arguments{"--jobs", "1", "--report", folder.File("relatorio"), stores};
  {
    // The third store waits on a row the test holds: the run is stopped while it waits.
    const RowLock lock(*dbs[2], 9);
    BackgroundRun run(StoreRunnerPath(), arguments);
    ASSERT_TRUE(MergeStarted(folder, "loja-2"));
    run.Signal(SIGTERM);
    const ProgramResult stopped = run.Wait(std::chrono::seconds(20));
    EXPECT_EQ(stopped.exitCode, 1) << stopped.err;
    EXPECT_NE(stopped.err.find("interrompida"), std::string::npos) << stopped.err;
  }
  auto report = ReportOf(folder.File("relatorio"));
  const std::uint64_t rows = kRows;
  for (const char* done : {"loja-0", "loja-1"}) ExpectRecord(report, done, {StoreStatus::Ok, rows, 0, 0, ""});
  ExpectRecord(report, "loja-2", {StoreStatus::Failed, rows, std::nullopt, std::nullopt, "interrompida"});
  for (const char* waiting : {"loja-3", "loja-4", "loja-5"})
    ExpectRecord(report, waiting, {StoreStatus::Skipped, std::nullopt, std::nullopt, std::nullopt, "não iniciada"});
  for (int i = 2; i < 6; ++i) ExpectStore(*dbs[i], Outcome::Untouched, list[i].store);

  const ProgramResult resumed = RunProgram(StoreRunnerPath(), arguments);
  EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
  report = ReportOf(folder.File("relatorio"));
  for (const char* done : {"loja-0", "loja-1"}) ExpectRecord(report, done, {StoreStatus::Skipped, rows, 0, 0, ""});
  for (const char* rest : {"loja-2", "loja-3", "loja-4", "loja-5"})
    ExpectRecord(report, rest, {StoreStatus::Ok, rows, 0, 0, ""});
  for (int i = 0; i < 6; ++i) ExpectStore(*dbs[i], Outcome::Merged, list[i].store);
  EXPECT_EQ(resumed.err.find("iniciada loja-0"), std::string::npos) << resumed.err;
}

TEST(StoreRunner, PreviewShardsRetriesAndStopOnErrorTakeTheStoresTheySay) {
  std::vector<std::unique_ptr<TestDatabase>> dbs;
  TempFolder folder;
  std::vector<ListedStore> list;
  for (int i = 0; i < 5; ++i) {
    dbs.push_back(Store(Where::Embedded));
    list.push_back(Listed("loja-" + std::to_string(i), *dbs.back()));
  }
  FailOneRow(*dbs[1]);
  const std::string stores = WriteList(folder, list);
  const std::string dir = folder.File("relatorio");
  auto runWith = [&](std::vector<std::string> options) {
    for (const std::string& tail : {std::string("--report"), dir, stores}) options.push_back(tail);
    return RunProgram(StoreRunnerPath(), options);
  };
  auto statuses = [&] {
    std::string all;
    for (const auto& [store, record] : ReportOf(dir)) all += store + "=" + StatusName(record.status) + " ";
    return all;
  };

  // A preview reads only: the count and the first merged texts, nothing written.
  ProgramResult run = runWith({"--preview", "--jobs", "2"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(statuses(), "loja-0=preview loja-1=preview loja-2=preview loja-3=preview loja-4=preview ");
  const StoreRecord preview = ReportOf(dir).at("loja-0");
  EXPECT_EQ(preview.rowsBefore, std::optional<std::uint64_t>(kRows));
  ASSERT_EQ(preview.preview.size(), 3u);
  const MergeSample& sample = preview.preview[0];
  EXPECT_EQ(sample.after, sample.before + " temp " + IntToStr(sample.order));
  EXPECT_EQ(sample.before, "principal " + IntToStr(sample.order));
  for (int i = 0; i < 5; ++i) ExpectStore(*dbs[i], Outcome::Untouched, list[i].store);

  // The second of two shares: the stores at positions 2 and 4.
  run = runWith({"--shard", "2/2"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(statuses(), "loja-1=failed loja-3=ok ");

  // Stop on error: the first failure (loja-1) lets nothing start after it; a store left out that
  // an earlier run merged (loja-3) stays done.
  run = runWith({"--jobs", "1", "--stop-on-error", "--again"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(statuses(), "loja-0=ok loja-1=failed loja-2=skipped loja-3=skipped loja-4=skipped ");
  EXPECT_NE(ToSystem(ReportOf(dir).at("loja-4").error).find("--stop-on-error"), std::string::npos);
  ExpectStore(*dbs[4], Outcome::Untouched, "loja-4");

  // Retry the failed ones only; the one that never started stays to do.
  dbs[1]->Execute("DROP TRIGGER t_linha");
  run = runWith({"--retry-failed"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(statuses(), "loja-0=skipped loja-1=ok loja-2=skipped loja-3=skipped loja-4=skipped ");
  ExpectStore(*dbs[4], Outcome::Untouched, "loja-4");
  run = runWith({});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(statuses(), "loja-0=skipped loja-1=skipped loja-2=ok loja-3=skipped loja-4=ok ");
  for (int i = 0; i < 5; ++i) ExpectStore(*dbs[i], Outcome::Merged, list[i].store);
  EXPECT_NE(run.out.find("5 lojas: 2 ok 3 skipped"), std::string::npos) << run.out;
}

TEST(StoreRunner, ACommandLineOrAFolderItCannotUseEndsWithExitCodeTwoAndSaysWhy) {
  TempFolder folder;
  auto db = Store(Where::Embedded);
  const std::string stores = WriteList(folder, {Listed("loja", *db)});
  const std::string dir = folder.File("relatorio");
  std::ofstream(folder.File("ruim.csv")) << "loja;banco\nA;/a\nA;/b\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{stores}, "falta --report"},
      {{"--report", dir}, "lista de lojas"},
      {{"--jobs", "0", "--report", dir, stores}, "--jobs"},
      {{"--shard", "3/2", "--report", dir, stores}, "--shard"},
      {{"--timeout", "x", "--report", dir, stores}, "--timeout"},
      {{"--again", "--retry-failed", "--report", dir, stores}, "juntos"},
      {{"--nada", "--report", dir, stores}, "opção desconhecida"},
      {{"--report", dir, folder.File("ruim.csv")}, "linha 3: loja A repetida"},
      {{"--report", dir, folder.File("nao-existe.csv")}, "nao-existe.csv"},
  };
  for (const auto& [arguments, says] : cases) {
    const ProgramResult run = RunProgram(StoreRunnerPath(), arguments);
    EXPECT_EQ(run.exitCode, 2) << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }
  std::filesystem::create_directories(dir);
  {
    const FolderLock other(dir);  // another runner on the same folder
    ASSERT_TRUE(other.Held());
    const ProgramResult refused = RunProgram(StoreRunnerPath(), {"--report", dir, stores});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("outro obsmerge-lojas"), std::string::npos) << refused.err;
    ExpectStore(*db, Outcome::Untouched, "loja");
  }
  std::ofstream(dir + "/report.json") << "{ não é um relatório";
  const ProgramResult unreadable = RunProgram(StoreRunnerPath(), {"--report", dir, stores});
  EXPECT_EQ(unreadable.exitCode, 2);
  EXPECT_NE(unreadable.err.find("report.json"), std::string::npos) << unreadable.err;
}

TEST(StoreRunner, OnATerminalTheProgressLinesAreRedrawnInPlaceAndErasedBeforeTheSummary) {
  auto db = Store(Where::Embedded);
  storedb::InsertBulk(*db, 3, 1, 15000, "W"_a, "principal "_a, "temp "_a);  // a run that lasts a moment
  TempFolder folder;
  const std::string stores = WriteList(folder, {Listed("loja-lenta", *db)});
  const TerminalRun run = RunOnTerminal(StoreRunnerPath(), {"--report", folder.File("relatorio"), stores}, "1 rodando");
  EXPECT_EQ(run.exitCode, 0) << run.terminal;
  EXPECT_NE(run.terminal.find("  loja-lenta "), std::string::npos) << run.terminal;
  EXPECT_NE(run.terminal.find("0 prontas, 0 com falha, 0 esperando, 1 rodando, "), std::string::npos);
  // Redrawn from the first of the two lines (store, total), and erased at the end.
  EXPECT_NE(run.terminal.find("\033[2F\033[J"), std::string::npos) << run.terminal;
  EXPECT_EQ(run.terminal.find("iniciada"), std::string::npos) << run.terminal;
  EXPECT_NE(run.out.find("1 lojas: 1 ok"), std::string::npos) << run.out;
}
