// Deleting a dataset's current row on real Firebird databases: the database row and the cached
// row go together, the events fire once, values are bound from the row's fields, and every
// failure leaves database and cache as they were.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;
using testdb::ErrorMessageOf;

namespace {

const TDateTime kMoment = EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0);

// T (ID, NOME, MOMENTO): 1 with 2007-01-05 10:07:03, 2 without a moment, 3 with 2007-05-01 10:07:03.
void CreateTable(DatasetWorld& world) {
  world.Db().Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), MOMENTO TIMESTAMP)");
  world.Db().Execute(
      "EXECUTE BLOCK AS BEGIN INSERT INTO T VALUES (1, 'um', '2007-01-05 10:07:03'); "
      "INSERT INTO T VALUES (2, 'dois', NULL); INSERT INTO T VALUES (3, 'tres', '2007-05-01 10:07:03'); END");
}

struct Events {
  int before = 0, after = 0;
  void Watch(TDataSet& ds) {
    ds.BeforeDelete = [this](TDataSet&) { ++before; };
    ds.AfterDelete = [this](TDataSet&) { ++after; };
  }
};

std::vector<std::int64_t> CachedIds(TMorvantaDataset& ds) {
  std::vector<std::int64_t> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName("ID").AsInteger());
  return ids;
}

}  // namespace

class MorvantaDatasetDeletePaths : public ::testing::TestWithParam<bool> {};

TEST_P(MorvantaDatasetDeletePaths, DeletesInTheDatabaseAndTheCacheWithOneEventEachAndNoCommit) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID AND NOME = :NOME");
  Events events;
  events.Watch(ds);
  ds.OpenQuery();
  ds.SetRecNo(2);
  ds.DeleteRow();
  EXPECT_EQ(events.before, 1);
  EXPECT_EQ(events.after, 1);
  EXPECT_FALSE(ds.Deleting);
  EXPECT_EQ(CachedIds(ds), (std::vector<std::int64_t>{1, 3}));
  // The values stay bound; the statement text keeps its markers.
  EXPECT_EQ(ds.InternalQuery->Params().Count(), 2);
  EXPECT_NE(ToAnsi(ds.InternalQuery->SQL().Text()).find(":ID"), AnsiString::npos);

  EXPECT_TRUE(world.Transaction.InTransaction());
  EXPECT_EQ(world.Count("T"_a), "3");  // not committed: another connection still sees the row
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a), "2");
  EXPECT_EQ(world.Count("T"_a, "ID = 2"_a), "0");
}

INSTANTIATE_TEST_SUITE_P(Paths, MorvantaDatasetDeletePaths, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return testdb::PathName(info.param); });

TEST(MorvantaDatasetDelete, DateTimeFieldsAreBoundAsTheServersTextAndNullAsNull) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, MOMENTO FROM T ORDER BY ID"_a);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID AND MOMENTO IS NOT DISTINCT FROM :MOMENTO");
  ds.OpenQuery();
  ASSERT_EQ(ds.FieldByName("MOMENTO").DataType(), ftDateTime);
  ds.SetRecNo(2);  // no moment
  ds.DeleteRow();
  EXPECT_TRUE(ds.InternalQuery->Params().ParamByName("MOMENTO").IsNull());
  ds.First();  // 2007-01-05 10:07:03
  ds.DeleteRow();
  EXPECT_EQ(ds.InternalQuery->Params().ParamByName("MOMENTO").AsString(), "05.01.2007 10:07:03");
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a), "1");
  EXPECT_EQ(world.Count("T"_a, "ID = 3"_a), "1");
}

TEST(MorvantaDatasetDelete, ATimestampFieldIsBoundAsItsTextAndDeletesItsOwnRow) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"MOMENTO", ftTimeStamp);
  ds.CreateDataSet();
  ds.SetInternalInsert(true);  // the rows are loaded as a fetch would
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(1);
  ds.FieldByName("MOMENTO").SetAsDateTime(kMoment);
  ds.Post();
  ds.SetInternalInsert(false);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID AND MOMENTO = :MOMENTO");
  ds.DeleteRow();
  EXPECT_EQ(ds.InternalQuery->Params().ParamByName("MOMENTO").Value().GetKind(), TVariant::Kind::String);
  world.Transaction.Commit();
  // Row 1 (5 January) is gone, row 3 (1 May) stays.
  EXPECT_EQ(world.Count("T"_a, "ID = 1"_a), "0");
  EXPECT_EQ(world.Count("T"_a, "ID = 3"_a), "1");
}

TEST(MorvantaDatasetDelete, WhileLoadingOnlyTheCachedRowGoes) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");
  ds.OpenQuery();
  ds.SetInternalInsert(true);
  ds.DeleteRow();
  ds.SetInternalInsert(false);
  EXPECT_EQ(CachedIds(ds), (std::vector<std::int64_t>{2, 3}));
  EXPECT_FALSE(world.Transaction.InTransaction());
  EXPECT_EQ(world.Count("T"_a), "3");
}

TEST(MorvantaDatasetDelete, AnUpdateObjectWithoutDeleteTextFailsAndKeepsTheRow) {
  DatasetWorld world;
  CreateTable(world);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");  // not used: the update object's text wins
  TMorvantaUpDateObject updateObject(nullptr);
  ds.SetUpdateObject(&updateObject);
  Events events;
  events.Watch(ds);
  ds.OpenQuery();
  AnsiString message = ErrorMessageOf([&] { ds.DeleteRow(); });
  EXPECT_FALSE(message.empty());
  EXPECT_NE(message.rfind("Erro de ExecSQL", 0), 0u) << message;  // passed on unwrapped
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_FALSE(ds.Deleting);
  EXPECT_EQ(events.before, 1);
  EXPECT_EQ(events.after, 0);
  EXPECT_TRUE(ui.Messages.empty());
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a), "3");

  updateObject.DeleteSQL().SetText(u"DELETE FROM T WHERE ID = :ID");
  ds.DeleteRow();
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(MorvantaDatasetDelete, RefusalsMissingFieldsAndServerErrorsReachTheCallerUnwrapped) {
  DatasetWorld world;
  CreateTable(world);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a);
  Events events;
  events.Watch(ds);
  ds.OpenQuery();

  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");
  world.Connection.SetPermiteExcluir(false);
  for (bool ignorarErro : {false, true}) {
    ds.SetIgnorarErro(ignorarErro);
    EXPECT_EQ(ErrorMessageOf([&] { ds.DeleteRow(); }), "Erro de ExecSQL em .qryT Loja Sem Permissão para Excluir."_a);
  }
  world.Connection.SetPermiteExcluir(true);

  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :CODIGO");
  EXPECT_EQ(ErrorMessageOf([&] { ds.DeleteRow(); }), "Field 'CODIGO' not found");

  ds.DeleteSQL().SetText("DELETE FROM NAOEXISTE WHERE ID = :ID");
  ds.SetIgnorarErro(false);
  AnsiString withoutIgnorar = ErrorMessageOf([&] { ds.DeleteRow(); });
  ds.SetIgnorarErro(true);
  AnsiString withIgnorar = ErrorMessageOf([&] { ds.DeleteRow(); });
  EXPECT_NE(withoutIgnorar.find("NAOEXISTE"), AnsiString::npos) << withoutIgnorar;
  EXPECT_EQ(withoutIgnorar, withIgnorar);

  EXPECT_EQ(events.before, 5);
  EXPECT_EQ(events.after, 0);
  EXPECT_FALSE(ds.Deleting);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_TRUE(ui.Messages.empty() && ui.Reports.empty());
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a), "3");
}

TEST(MorvantaDatasetDelete, AnAbortInBeforeDeleteDeletesNothing) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");
  ds.BeforeDelete = [](TDataSet&) { Abort(); };
  ds.OpenQuery();
  EXPECT_THROW(ds.DeleteRow(), EAbort);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_FALSE(ds.Deleting);
  EXPECT_FALSE(world.Transaction.InTransaction());
}
