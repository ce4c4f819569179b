// The obsmerge program as a whole, run as a separate process on real store databases: which rows
// it merges, that values keep every byte, that a failed or killed run leaves the database as it
// was, and what it writes on its two output streams.

#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>

#include <chrono>
#include <string>
#include <vector>

#include "morvanta/platform/core/Text.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StoreDatabase.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using storedb::Observation;
using storedb::OptionalText;
using storedb::Order;
using storedb::Snapshot;
using testdb::DatabaseOptions;
using testdb::TestDatabase;

namespace {

ProgramResult Merge(const TestDatabase& db, const std::vector<std::string>& userArgument) {
  std::vector<std::string> arguments{ToSystem(db.Database())};
  arguments.insert(arguments.end(), userArgument.begin(), userArgument.end());
  return RunProgram(ObsmergePath(), arguments);
}

ProgramResult Merge(const TestDatabase& db) { return Merge(db, {ToSystem(db.UserName())}); }

// The banner of a run that is not on a terminal: the two lines, nothing to wait for.
std::string Banner(const TestDatabase& db, const std::string& user) {
  return "DB: " + ToSystem(db.Database()) + "\nUsuario: " + user + "\n";
}

bool HoldsText(const OptionalText& temp) {
  // The select compares obs_temp with '' the way Firebird compares strings, blank-padded: a text
  // of blanks only equals the empty text.
  return temp && temp->find_first_not_of(' ') != AnsiString::npos;
}

// The store after a correct merge of `before`: every observation of an order in status "W" whose
// temporary text holds text gets main text + one blank + temporary text, and a null temporary text.
Snapshot Merged(Snapshot before) {
  for (Observation& observation : before.observations) {
    bool selected = false;
    for (const Order& order : before.orders)
      if (order.lja == observation.lja && order.cpe == observation.cpe)
        selected = order.status && Trim(*order.status) == "W";
    if (!selected || !HoldsText(observation.temp)) continue;
    observation.observ = observation.observ.value_or(""_a) + " "_a + *observation.temp;
    observation.temp = std::nullopt;
  }
  return before;
}

// Compares row by row, so that a failure names the first rows that differ.
void ExpectSameStore(const Snapshot& actual, const Snapshot& expected) {
  EXPECT_EQ(actual.orders, expected.orders);
  ASSERT_EQ(actual.observations.size(), expected.observations.size());
  int shown = 0;
  for (std::size_t i = 0; i < actual.observations.size() && shown < 5; ++i) {
    if (actual.observations[i] == expected.observations[i]) continue;
    ++shown;
    ADD_FAILURE() << "row " << i << ": " << ::testing::PrintToString(actual.observations[i]) << "\n  expected "
                  << ::testing::PrintToString(expected.observations[i]);
  }
}

std::unique_ptr<TestDatabase> StoreDatabase(const DatabaseOptions& options = {}) {
  auto db = TestDatabase::Embedded(options);
  storedb::CreateStoreTables(*db);
  return db;
}

// Counts the updates of fatobservpedido in the sequence g_updates.
void CountUpdates(const TestDatabase& db) {
  db.Execute("CREATE SEQUENCE g_updates");
  db.Execute(
      "CREATE TRIGGER t_count FOR fatobservpedido BEFORE UPDATE AS DECLARE n BIGINT; BEGIN "
      "n = GEN_ID(g_updates, 1); END");
}

// Fails the 100th update of fatobservpedido with an exception of the database.
void FailTheHundredthUpdate(const TestDatabase& db) {
  db.Execute("CREATE SEQUENCE g_updates");
  db.Execute("CREATE EXCEPTION e_hundredth " + ("'Falha proposital na centésima linha'"_a));
  db.Execute(
      "CREATE TRIGGER t_hundredth FOR fatobservpedido BEFORE UPDATE AS BEGIN "
      "IF (GEN_ID(g_updates, 1) = 100) THEN EXCEPTION e_hundredth; END");
}

// Every update of fatobservpedido leaves a row in `progress`, committed at once whatever becomes
// of the run's own transaction.
void CountUpdatesOutsideTheRun(const TestDatabase& db) {
  db.Execute("CREATE TABLE progress (n INTEGER)");
  db.Execute(
      "CREATE TRIGGER t_progress FOR fatobservpedido BEFORE UPDATE AS BEGIN "
      "IN AUTONOMOUS TRANSACTION DO INSERT INTO progress VALUES (1); END");
}

// A run (user SYSDBA, no standard input) that is sent `signalNumber` once `delay` has passed, if
// it is still running by then.
ProgramResult RunAndSignal(const TestDatabase& db, int signalNumber, std::chrono::milliseconds delay) {
  return RunProgram(ObsmergePath(), {ToSystem(db.Database()), "SYSDBA"}, StopSignal{delay, signalNumber});
}

}  // namespace

// ---- The command line and the output streams

TEST(ObsmergeProgram, WithoutADatabaseArgumentEndsAtOnceAndWritesNothing) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, std::vector<std::string>{""}}) {
    ProgramResult result = RunProgram(ObsmergePath(), arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
  }
}

TEST(ObsmergeProgram, AccentedDatabasePathAndUserNameWorkAndShowInTheBanner) {
  DatabaseOptions options;
  options.fileName = "observações da loja ç.fdb"_a;
  auto db = StoreDatabase(options);
  storedb::InsertOrders(*db, {{1, 1, "W"_a}});
  storedb::InsertObservations(*db, {{1, 1, "principal"_a, "anotação"_a}});
  // The embedded engine takes the user name as given; the tables are not that user's, so the
  // run works only if the name arrives exactly as granted (the statement carries UTF-8 bytes,
  // as the client library passes user names).
  for (const char* table : {"fatcppedido", "fatobservpedido"})
    db->Execute(std::string("GRANT ALL ON ") + table + " TO USER \"João Conceição\"");
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db, {"João Conceição"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Banner(*db, "João Conceição"));
  EXPECT_NE(result.err.find("observações da loja ç.fdb"), std::string::npos);  // UTF-8 on the console
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
}

TEST(ObsmergeProgram, OnATerminalTheBannerWaitsForEnterAndOneProgressLineIsErasedAtTheEnd) {
  auto db = StoreDatabase();
  storedb::InsertBulk(*db, 1, 1, 1500, "W"_a, "principal "_a, "temp "_a);
  CountUpdatesOutsideTheRun(*db);  // slows every update down, so that the run lasts a while
  const Snapshot before = storedb::ReadSnapshot(*db);

  // The test answers the banner's wait with Enter once it has made sure the program really waits.
  TerminalRun run = RunOnTerminal(ObsmergePath(), {ToSystem(db->Database()), "SYSDBA"}, "[Enter]");
  EXPECT_EQ(run.exitCode, 0) << run.terminal;
  EXPECT_TRUE(run.waitedForEnter);
  EXPECT_EQ(run.out, "");
  // The terminal turns line feeds into carriage return and line feed.
  const std::string banner = "DB: " + ToSystem(db->Database()) + "\r\nUsuario: SYSDBA\r\n[Enter]";
  EXPECT_EQ(run.terminal.rfind(banner, 0), 0u) << run.terminal;
  EXPECT_NE(run.terminal.find(" linhas mescladas, "), std::string::npos) << run.terminal;
  EXPECT_NE(run.terminal.find(" linhas/s"), std::string::npos) << run.terminal;
  const std::string erase = "\r\033[K";
  ASSERT_GE(run.terminal.size(), erase.size());
  EXPECT_EQ(run.terminal.substr(run.terminal.size() - erase.size()), erase) << run.terminal;
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
}

// ---- Which rows are merged

TEST(ObsmergeSelection, MergesOnlyObservationsOfOrdersInStatusWWithTemporaryText) {
  auto db = StoreDatabase();
  storedb::InsertOrders(*db, {{1, 1, "W"_a},
                              {1, 2, "W"_a},
                              {1, 3, "W"_a},
                              {1, 4, "W"_a},
                              {1, 5, "W"_a},
                              {1, 6, "w"_a},
                              {1, 7, "F"_a},
                              {1, 8, std::nullopt},
                              {1, 9, "W"_a},
                              {2, 1, "F"_a},
                              {1, 10, "W"_a},
                              {1, 11, "W"_a},
                              {3, 3, "W"_a},
                              {-7, 2147483647, "W"_a},
                              {2147483647, -2147483647 - 1, "W"_a},
                              {0, 0, "W"_a}});
  storedb::InsertObservations(*db, {
                                       {1, 1, "principal"_a, "temporária"_a},    // merged
                                       {1, 2, std::nullopt, "sem principal"_a},  // null main text: blank + temp
                                       {1, 3, ""_a, "principal vazia"_a},        // empty main text: blank + temp
                                       {1, 4, "fica"_a, std::nullopt},           // no temporary text
                                       {1, 5, "fica"_a, ""_a},                   // empty temporary text
                                       {1, 6, "fica"_a, "status w minúsculo"_a},
                                       {1, 7, "fica"_a, "status F"_a},
                                       {1, 8, "fica"_a, "sem status"_a},
                                       {1, 9, "fica"_a, " "_a},            // blanks only: equal to '' for Firebird
                                       {2, 1, "fica"_a, "loja 2 em F"_a},  // same order code as a W order of store 1
                                       {1, 10, "principal"_a, " x"_a},     // leading blank kept
                                       {1, 11, "principal"_a, "x  "_a},    // trailing blanks kept
                                       {3, 4, "fica"_a, "sem pedido"_a},   // no order row at all
                                       {-7, 2147483647, "a"_a, "chaves extremas"_a},
                                       {2147483647, -2147483647 - 1, "b"_a, "chaves extremas"_a},
                                       {0, 0, "c"_a, "chaves zero"_a},
                                   });
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Banner(*db, "SYSDBA"));

  const Snapshot after = storedb::ReadSnapshot(*db);
  ExpectSameStore(after, Merged(before));
  // The rule of the expectation, spelt out for the rows that matter most.
  ASSERT_EQ(after.observations.size(), 16u);
  EXPECT_EQ(after.observations[0], (Observation{-7, 2147483647, "a chaves extremas"_a, std::nullopt}));
  EXPECT_EQ(after.observations[1], (Observation{0, 0, "c chaves zero"_a, std::nullopt}));
  EXPECT_EQ(after.observations[2], (Observation{1, 1, "principal temporária"_a, std::nullopt}));
  EXPECT_EQ(after.observations[3], (Observation{1, 2, " sem principal"_a, std::nullopt}));
  EXPECT_EQ(after.observations[4], (Observation{1, 3, " principal vazia"_a, std::nullopt}));
  for (int unchanged : {5, 6, 7, 8, 9, 10, 13, 14})
    EXPECT_EQ(after.observations[unchanged], before.observations[unchanged]);
  EXPECT_EQ(after.observations[15], (Observation{2147483647, -2147483647 - 1, "b chaves extremas"_a, std::nullopt}));
}

// Selected rows just filling packets of 1000 and crossing into a part-filled one, with rows that
// are not selected between them.
class ObsmergePackets : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(SelectedRows, ObsmergePackets, ::testing::Values(1000, 1750));

TEST_P(ObsmergePackets, EverySelectedRowIsUpdatedOnceWhilePacketsAreRead) {
  auto db = StoreDatabase();
  const int half = GetParam() / 2;
  for (int part = 0; part < 2; ++part) {
    storedb::InsertBulk(*db, 1, part * half + 1, half - 50, "W"_a, "principal "_a, "temp "_a);
    storedb::InsertBulk(*db, 2, part * 100 + 1, 100, "F"_a, "fica "_a, "temp "_a);
    storedb::InsertBulk(*db, 3, part * 50 + 1, 50, "W"_a, std::nullopt, "só temp "_a);
  }
  CountUpdates(*db);
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Banner(*db, "SYSDBA"));
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
  EXPECT_EQ(db->QueryScalar("SELECT GEN_ID(g_updates, 0) FROM RDB$DATABASE"), std::to_string(GetParam()));
}

TEST(ObsmergeSelection, ASecondRunFindsNothingAndChangesNothing) {
  auto db = StoreDatabase();
  storedb::InsertBulk(*db, 1, 1, 50, "W"_a, "principal "_a, "temp "_a);
  storedb::InsertBulk(*db, 2, 1, 10, "F"_a, "fica "_a, "temp "_a);
  ProgramResult first = Merge(*db);
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const Snapshot afterFirst = storedb::ReadSnapshot(*db);

  ProgramResult second = Merge(*db, {});  // the path only: an empty user name
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, Banner(*db, ""));
  ExpectSameStore(storedb::ReadSnapshot(*db), afterFirst);
}

// ---- Values keep every byte

// Databases without a character set and in the store's own, code page 1252.
class ObsmergeSingleByteValues : public ::testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(CharacterSets, ObsmergeSingleByteValues, ::testing::Values("", "WIN1252"),
                         [](const auto& info) { return *info.param ? std::string(info.param) : std::string("NONE"); });

TEST_P(ObsmergeSingleByteValues, TextsSurviveByteForByte) {
  DatabaseOptions options;
  options.charSet = AnsiString(GetParam());
  auto db = StoreDatabase(options);
  AnsiString highBytes;
  for (int c = 0x80; c <= 0xFF; ++c) highBytes.push_back(static_cast<char>(c));
  AnsiString big;
  while (big.size() < 100 * 1024) big += "Linha "_a + AnsiString(std::to_string(big.size())) + " com acentuação\r\n"_a;
  // Main texts chosen so that the merged value is as long as the longest value sent inline with
  // the statement (32765 bytes), just longer, longer still with the longest temporary text, and
  // far longer.
  const AnsiString temp4000(4000, 'T');
  storedb::InsertOrders(*db, {{1, 1, "W"_a},
                              {1, 2, "W"_a},
                              {1, 3, "W"_a},
                              {1, 4, "W"_a},
                              {1, 5, "W"_a},
                              {1, 6, "W"_a},
                              {1, 7, "W"_a},
                              {1, 8, "W"_a},
                              {1, 9, "W"_a},
                              {1, 10, "W"_a},
                              {1, 11, "W"_a}});
  storedb::InsertObservations(
      *db, {
               {1, 1, "Observação: maçã, pão, açúcar ÀÉÎÕÜ ñ ß ÿ €"_a, "Atenção à entrega – “já” ‰ • ™"_a},
               {1, 2, highBytes, highBytes},
               {1, 3, "O'Brien's 'pedido' ''"_a, "d'Ávila '' '"_a},
               {1, 4, "\"entre aspas\" \"\""_a, "\"fim\""_a},
               {1, 5, "valor :cpe_codigo e :OBS_OBSERV"_a, ":lja_codigo :obs_temp ? :1 ::x"_a},
               {1, 6, "linha 1\rlinha 2\nlinha 3\r\n"_a, "\r\ntemp\r\n\n"_a},
               {1, 7, big, "fim do grande"_a},
               {1, 8, AnsiString(32765 - 2, 'a'), "b"_a},  // merged: 32765 bytes
               {1, 9, AnsiString(32766 - 2, 'a'), "c"_a},  // merged: 32766 bytes
               {1, 10, AnsiString(32767 - 4001, 'a'), temp4000},
               {1, 11, AnsiString("nul\0byte", 8), "tab\tsemi;colon;\\barra"_a},
           });
  const Snapshot before = storedb::ReadSnapshot(*db);
  ASSERT_EQ(before.observations[1].observ, highBytes);  // what was written is what is read

  ProgramResult result = Merge(*db);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
}

TEST(ObsmergeValues, Utf8DatabaseKeepsItsBytes) {
  DatabaseOptions options;
  options.charSet = "UTF8"_a;
  auto db = StoreDatabase(options);
  // The texts are UTF-8 bytes here: the database's own encoding.
  const std::string accents = "Observação: maçã, pão – “já” € 日本語 😀";
  std::string big;
  while (big.size() < 40 * 1024) big += "ação " + std::to_string(big.size()) + " ";
  std::string longTemp;
  while (longTemp.size() < 4000 * 2) longTemp += "ç";  // 4000 characters, twice as many bytes
  storedb::InsertOrders(*db, {{1, 1, "W"_a}, {1, 2, "W"_a}, {1, 3, "W"_a}, {1, 4, "F"_a}, {1, 5, "W"_a}});
  auto utf8Bytes = [](std::string_view text) { return AnsiString(text); };
  storedb::InsertObservations(*db, {
                                       {1, 1, AnsiString(accents), utf8Bytes("temporária ’ ü")},
                                       {1, 2, std::nullopt, utf8Bytes("só a temporária: :cpe_codigo 'x'")},
                                       {1, 3, AnsiString(big), utf8Bytes("fim – grande")},
                                       {1, 4, AnsiString(accents), "fica"_a},
                                       {1, 5, AnsiString(accents), AnsiString(longTemp)},
                                   });
  const Snapshot before = storedb::ReadSnapshot(*db);
  ASSERT_EQ(before.observations[0].observ, accents);

  ProgramResult result = Merge(*db);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
  EXPECT_EQ(storedb::ReadObservations(*db)[0].observ, accents + " temporária ’ ü");
}

// ---- Failures leave the database as it was

TEST(ObsmergeFailure, AnErrorOnTheHundredthRowRollsEveryUpdateBack) {
  auto db = StoreDatabase();
  storedb::InsertBulk(*db, 1, 1, 300, "W"_a, "principal "_a, "temp "_a);
  FailTheHundredthUpdate(*db);
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind(Banner(*db, "SYSDBA"), 0), 0u) << result.err;
  // The top-level report: the error's class (the server's, kept by the dataset) and the update
  // dataset's message around the database's own, converted to the console's encoding.
  EXPECT_NE(result.err.find("Exception EFirebirdError: Erro de ExecSQL em . "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Falha proposital na centésima linha"), std::string::npos) << result.err;
  EXPECT_EQ(db->QueryScalar("SELECT GEN_ID(g_updates, 0) FROM RDB$DATABASE"), "100");
  ExpectSameStore(storedb::ReadSnapshot(*db), before);
}

// A kill, an interrupt (Ctrl+C) and a termination request in the middle of the run.
class ObsmergeStopped : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Signals, ObsmergeStopped, ::testing::Values(SIGKILL, SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST_P(ObsmergeStopped, TheRunEndsAtOnceAndLeavesTheDatabaseAsBefore) {
  // The signal is sent after a delay, searched for between one that came too early (nothing
  // updated yet) and one that came too late (every row updated: the commit may have happened).
  constexpr int kRows = 2000;
  std::chrono::milliseconds delay(400), tooEarly(0), tooLate(0);
  for (int attempt = 0; attempt < 10; ++attempt) {
    auto db = StoreDatabase();
    storedb::InsertBulk(*db, 1, 1, kRows, "W"_a, "principal "_a, "temp "_a);
    CountUpdatesOutsideTheRun(*db);
    const Snapshot before = storedb::ReadSnapshot(*db);

    ProgramResult result = RunAndSignal(*db, GetParam(), delay);
    const int updates = std::stoi(db->QueryScalar("SELECT COUNT(*) FROM progress"));
    if (result.exitCode == 0 || updates >= kRows) {
      tooLate = delay;
      delay = (tooEarly + tooLate) / 2;
      continue;
    }
    // Ended by the signal itself: neither carried on nor crashed.
    ASSERT_EQ(result.signal, GetParam()) << "exit code " << result.exitCode << ": " << result.err;
    if (updates == 0) {
      tooEarly = delay;
      delay = tooLate.count() ? (tooEarly + tooLate) / 2 : 2 * delay;
      continue;
    }
    EXPECT_EQ(result.out, "");
    ExpectSameStore(storedb::ReadSnapshot(*db), before);
    // The database is sound: a new run merges every row.
    db->Execute("DROP TRIGGER t_progress");
    ProgramResult rerun = Merge(*db);
    ASSERT_EQ(rerun.exitCode, 0) << rerun.err;
    ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
    return;
  }
  FAIL() << "the signal never came in the middle of the run";
}

TEST(ObsmergeFailure, ADatabaseWithoutTheTablesFailsAndStaysUntouched) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE outra (id INTEGER, texto VARCHAR(20))");
  db->Execute("INSERT INTO outra VALUES (1, 'intacta')");
  const AnsiString relations = "SELECT COUNT(*) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"_a;
  const AnsiString tablesBefore = db->QueryScalar(relations);

  ProgramResult result = Merge(*db);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.out, "");
  // One message, the select's box; the open then ends silently, without a second report.
  EXPECT_NE(result.err.find(" No Dataset: ."), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("Exception "), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("No fields defined"), std::string::npos) << result.err;
  EXPECT_NE(AnsiUpperCase(FromSystem(result.err)).find("FATOBSERVPEDIDO"), AnsiString::npos) << result.err;
  EXPECT_EQ(db->QueryScalar(relations), tablesBefore);
  EXPECT_EQ(db->QueryScalar("SELECT LIST(id || ':' || texto) FROM outra"), "1:intacta");
}

// ---- Through the server

TEST(ObsmergeServer, MergesThroughTheServer) {
  FIREBIRD_SERVER_REQUIRED();
  DatabaseOptions options;
  options.fileName = "loja São João.fdb"_a;  // the server gets the path in UTF-8 too
  auto db = TestDatabase::OnServer(options);
  storedb::CreateStoreTables(*db);
  storedb::InsertBulk(*db, 1, 1, 1200, "W"_a, "principal "_a, "temporária "_a);
  storedb::InsertBulk(*db, 2, 1, 100, "F"_a, "fica "_a, "temp "_a);
  storedb::InsertOrders(*db, {{5, 1, "W"_a}, {5, 2, "W"_a}, {5, 3, "W"_a}});
  storedb::InsertObservations(*db, {{5, 1, std::nullopt, "O'Brien \":cpe_codigo\"\r\n"_a},
                                    {5, 2, AnsiString(50000, 'x') + "ÿ€"_a, "grande"_a},
                                    {5, 3, "fica"_a, " "_a}});
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Banner(*db, testdb::kTestUser));
  ExpectSameStore(storedb::ReadSnapshot(*db), Merged(before));
}

TEST(ObsmergeServer, AWrongPasswordFailsAndChangesNothing) {
  FIREBIRD_SERVER_REQUIRED();
  constexpr const char* kOtherUser = "MORVANTA_OTHER";
  testdb::EnsureServerUser(AnsiString(kOtherUser), "outra-senha"_a);
  auto db = TestDatabase::OnServer();
  storedb::CreateStoreTables(*db);
  storedb::InsertBulk(*db, 1, 1, 20, "W"_a, "principal "_a, "temp "_a);
  const Snapshot before = storedb::ReadSnapshot(*db);

  ProgramResult result = Merge(*db, {kOtherUser});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind(Banner(*db, kOtherUser), 0), 0u) << result.err;
  EXPECT_NE(result.err.find("Exception "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("password"), std::string::npos) << result.err;
  ExpectSameStore(storedb::ReadSnapshot(*db), before);
}
