#include <gtest/gtest.h>

#include <memory>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"

using namespace morvanta;

namespace {

// A detail that records its reopen calls instead of running a statement.
class RecordingDetail : public TMorvantaDataset {
 public:
  using TMorvantaDataset::TMorvantaDataset;
  void OpenQuery() override { ++Reopens; }
  int Reopens = 0;
};

// A master with an integer field "ID" holding 1, 2, 3.
std::unique_ptr<TMorvantaDataset> MakeMaster() {
  auto master = std::make_unique<TMorvantaDataset>(nullptr);
  master->SetName("Master");
  master->FieldDefs().Add(u"ID", ftInteger);
  master->FieldDefs().Add(u"NOME", ftString, 20);
  master->CreateDataSet();
  for (int id = 1; id <= 3; ++id) {
    master->Append();
    master->FieldByName("ID").SetAsInteger(id);
    master->FieldByName("NOME").SetAsString("n" + IntToStr(id));
    master->Post();
  }
  master->First();
  return master;
}

std::unique_ptr<RecordingDetail> MakeDetail(TDataSource& source, const char* name, const char* sql) {
  auto detail = std::make_unique<RecordingDetail>(nullptr);
  detail->SetName(AnsiString(name));
  detail->SQL().Add(AnsiString(sql));
  detail->SetDataSource(&source);
  return detail;
}

}  // namespace

TEST(MorvantaDatasetModel, NewDatasetHasItsDefaults) {
  TMorvantaDataset ds(nullptr);
  EXPECT_EQ(ds.PacoteRegistros(), 1000);
  EXPECT_EQ(ds.MacroChar(), '%');
  EXPECT_EQ(ds.FloatPrecision(), 5);
  EXPECT_FALSE(ds.ManterCase() || ds.IgnorarErro() || ds.PermiteApostrofo() || ds.InternalInsert() ||
               ds.IsControleLog() || ds.IgnoreLog() || ds.CachedUpdates() || ds.GeneratorField_Edit() || ds.Deleting ||
               ds.RowChanged || ds.InsertPending || ds.ShowDataOnOpen);
  EXPECT_EQ(ds.SQL().Count() + ds.SelectSQL().Count() + ds.DeleteSQL().Count() + ds.ModifySQL().Count() +
                ds.InsertSQL().Count(),
            0);
  EXPECT_EQ(ds.Params().Count(), 0);
  EXPECT_EQ(ds.SQLInterno(), "");
  EXPECT_EQ(ds.Database(), nullptr);
  EXPECT_EQ(ds.Transaction(), nullptr);
  EXPECT_TRUE(ds.DetailList.empty());
  ASSERT_NE(ds.InternalQuery, nullptr);
  EXPECT_EQ(ds.InternalQuery->Owner(), nullptr);
  EXPECT_FALSE(ds.Active());
}

TEST(MorvantaDatasetModel, LinkSetters) {
  TMorvantaDatabase first(nullptr), second(nullptr);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(&second);

  TMorvantaDataset withConnection(nullptr);
  withConnection.SetDatabase(&first);
  withConnection.SetDatabase(nullptr);  // none is ignored
  EXPECT_EQ(withConnection.Database(), &first);
  withConnection.SetTransaction(&transaction);  // keeps its own connection
  EXPECT_EQ(withConnection.Database(), &first);

  TMorvantaDataset withoutConnection(nullptr);
  withoutConnection.SetTransaction(&transaction);  // takes the transaction's connection
  EXPECT_EQ(withoutConnection.Database(), &second);
  EXPECT_EQ(withoutConnection.Transaction(), &transaction);
}

TEST(MorvantaDatasetModel, ListPropertiesCopyLinesAndParamsAssignByNameOnly) {
  TMorvantaDataset ds(nullptr);
  TStrings lines;
  lines.Add("select * from t where a = :a and b = :B");
  ds.SetSQL(lines);
  lines.Clear();
  EXPECT_EQ(ds.SQL().Count(), 1);  // a copy, not the caller's list
  ASSERT_EQ(ds.Params().Count(), 2);

  TParams values;
  values.CreateParam(ftInteger, u"b", ptInput).SetAsInteger(7);
  values.CreateParam(ftInteger, u"unknown", ptInput).SetAsInteger(9);
  ds.SetParams(values);
  EXPECT_EQ(ds.Params().Count(), 2);  // nothing added
  EXPECT_EQ(ds.ParamByName("B").AsInteger(), 7);
  EXPECT_TRUE(ds.ParamByName("a").IsNull());
  EXPECT_THROW(ds.ParamByName("unknown"), EDatabaseError);
  EXPECT_EQ(ds.ParamCount(), 2);
}

TEST(MorvantaDatasetModel, AddFieldDefinitionTurnsBcdIntoFloatAndNothingIsRequired) {
  TMorvantaDataset ds(nullptr), target(nullptr);
  ds.AddFieldDefinition(target, ftBCD, 18, u"VALOR");
  ds.AddFieldDefinition(target, ftFMTBcd, 0, u"PRECO");
  ds.AddFieldDefinition(target, ftString, 40, u"NOME");
  ASSERT_EQ(target.FieldDefs().Count(), 3);
  EXPECT_EQ(target.FieldDefs().Items(0).DataType(), ftFloat);
  EXPECT_EQ(target.FieldDefs().Items(0).Size(), 18);
  EXPECT_EQ(target.FieldDefs().Items(1).DataType(), ftFloat);
  EXPECT_EQ(target.FieldDefs().Items(1).Size(), 0);
  EXPECT_EQ(target.FieldDefs().Items(2).Size(), 40);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(target.FieldDefs().Items(i).Required());
}

TEST(MorvantaDatasetModel, GetUnitNameNamesTheDeclaringUnit) {
  TMorvantaDataset ds(nullptr);
  TMorvantaDatabase db(nullptr);
  EXPECT_EQ(TMorvantaDataset::GetUnitName(&ds), "MorvantaDataset");
  EXPECT_EQ(TMorvantaDataset::GetUnitName(&db), "MorvantaDatabase");
  EXPECT_EQ(TMorvantaDataset::GetUnitName(nullptr), "");
}

TEST(MorvantaDatasetDetails, DataSourceRegistersOnceAndAMovedDetailStaysWithItsFirstMaster) {
  auto a = MakeMaster();
  auto b = MakeMaster();
  TDataSource sourceA(nullptr), sourceB(nullptr);
  sourceA.SetDataSet(a.get());
  sourceB.SetDataSet(b.get());
  auto detail = MakeDetail(sourceA, "Detail", "select * from itens where id = :ID");
  detail->SetDataSource(&sourceA);
  EXPECT_EQ(a->DetailList.size(), 1u);
  detail->SetDataSource(&sourceB);
  EXPECT_EQ(a->DetailList.size(), 1u);
  EXPECT_EQ(b->DetailList.size(), 1u);

  // A scroll in A still compares the detail's parameters with A's fields.
  detail->ParamByName("ID").SetAsInteger(1);
  a->Next();  // ID 2
  EXPECT_EQ(detail->Reopens, 1);
}

TEST(MorvantaDatasetDetails, RefreshReopensExactlyTheDetailsWhoseParametersNoLongerMatch) {
  auto master = MakeMaster();
  TDataSource source(nullptr);
  source.SetDataSet(master.get());
  auto matching = MakeDetail(source, "Matching", "select * from x where id = :ID");
  auto stale = MakeDetail(source, "Stale", "select * from x where id = :ID and nome = :NOME");
  auto unnamed = MakeDetail(source, "  ", "select * from x where id = :ID");
  auto foreign = MakeDetail(source, "Foreign", "select * from x where codigo = :CODIGO");
  matching->ParamByName("ID").SetAsInteger(1);
  stale->ParamByName("ID").SetAsInteger(1);
  stale->ParamByName("NOME").SetAsString("other");
  unnamed->ParamByName("ID").SetAsInteger(99);
  foreign->ParamByName("CODIGO").SetAsInteger(99);

  master->RefreshDetails();
  EXPECT_EQ(matching->Reopens, 0);
  EXPECT_EQ(stale->Reopens, 1);    // NOME differs even though ID matches: every parameter is compared
  EXPECT_EQ(unnamed->Reopens, 0);  // a blank name is never refreshed
  EXPECT_EQ(foreign->Reopens, 0);  // no field of the master matches its parameter

  master->SetInternalInsert(true);
  master->RefreshDetails();
  EXPECT_EQ(stale->Reopens, 1);  // nothing while the master loads rows
}

TEST(MorvantaDatasetDetails, DestroyingTheDetailFirstLeavesTheMasterClean) {
  auto master = MakeMaster();
  TDataSource source(nullptr);
  source.SetDataSet(master.get());
  auto detail = MakeDetail(source, "Detail", "select * from x where id = :ID");
  detail->ParamByName("ID").SetAsInteger(5);
  detail.reset();
  EXPECT_TRUE(master->DetailList.empty());
  master->Next();  // a scroll must not touch the destroyed detail
  master->RefreshDetails();
}

TEST(MorvantaDatasetDetails, DestroyingTheMasterFirstLeavesTheDetailClean) {
  auto master = MakeMaster();
  auto source = std::make_unique<TDataSource>(nullptr);
  source->SetDataSet(master.get());
  auto detail = MakeDetail(*source, "Detail", "select * from x where id = :ID");
  master.reset();
  EXPECT_EQ(source->DataSet(), nullptr);
  detail->RefreshDetails();
  source.reset();
  EXPECT_EQ(detail->DataSource(), nullptr);
  detail.reset();
}

TEST(MorvantaDatasetModel, OwnerFreesOwnedDatasetsAndFindsThemByName) {
  TComponent form(nullptr);
  form.SetName("frmPedido");
  auto* ds = new TMorvantaDataset(&form);  // owned by the form
  ds->SetName("qryPedido");
  EXPECT_EQ(form.FindComponent("QRYPEDIDO"), ds);
  EXPECT_EQ(form.ComponentCount(), 1);
}
