// Posting rows of a dataset on real Firebird databases: the hooks and their events, the insert and
// modify statements, the store's permissions, both ways of binding a row, generator keys, a new row
// whose insert failed, and how a failed write reaches the caller.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "morvanta/components/hooks/DesignEditors.h"
#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/diagnostics/DiagnosticMode.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/TempFolder.h"

using namespace morvanta;

using testdb::DatasetWorld;
using testdb::ErrorMessageOf;

namespace {

// T (ID, NOME, QTD, DIA, MOMENTO, OBS): the table every test writes.
void CreateTable(DatasetWorld& world) {
  world.Db().Execute(
      "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40) NOT NULL, QTD INTEGER, DIA DATE, "
      "MOMENTO TIMESTAMP, OBS BLOB SUB_TYPE TEXT)");
}

const char* kInsert = "INSERT INTO T (ID, NOME, QTD, DIA) VALUES (:ID, :NOME, :QTD, :DIA)";
const char* kModify = "UPDATE T SET NOME = :NOME, QTD = :QTD, DIA = :DIA WHERE ID = :ID";

// A dataset without a select of its own (fields bound into the statement text).
TMorvantaDataset& RowDataset(DatasetWorld& world, const AnsiString& name = "qryRow"_a) {
  TMorvantaDataset& ds = world.Dataset(name);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftString, 40);
  ds.FieldDefs().Add(u"QTD", ftInteger);
  ds.FieldDefs().Add(u"DIA", ftDate);
  ds.CreateDataSet();
  ds.InsertSQL().SetText(AnsiString(kInsert));
  ds.ModifySQL().SetText(AnsiString(kModify));
  return ds;
}

void AppendRow(TMorvantaDataset& ds, int id, const AnsiString& nome) {
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(id);
  ds.FieldByName("NOME").SetAsString(nome);
  ds.Post();
}

// Counts the events each hook fires.
struct EventCounter {
  std::map<std::string, int> fired;
  void Attach(TDataSet& ds) {
    ds.BeforeInsert = [this](TDataSet&) { ++fired["BeforeInsert"]; };
    ds.AfterInsert = [this](TDataSet&) { ++fired["AfterInsert"]; };
    ds.BeforeEdit = [this](TDataSet&) { ++fired["BeforeEdit"]; };
    ds.AfterEdit = [this](TDataSet&) { ++fired["AfterEdit"]; };
    ds.BeforePost = [this](TDataSet&) { ++fired["BeforePost"]; };
    ds.AfterPost = [this](TDataSet&) { ++fired["AfterPost"]; };
  }
};

}  // namespace

// ---- Insert and modify, on both paths to the database

class MorvantaDatasetPostPaths : public ::testing::TestWithParam<bool> {};

TEST_P(MorvantaDatasetPostPaths, NewRowsRunTheInsertAndEditedRowsTheModifyWithoutCommitting) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  CreateTable(world);
  TMorvantaDataset& ds = RowDataset(world);
  ds.SetCachedUpdates(true);  // stored only: every post is written at once
  AppendRow(ds, 1, "um"_a);
  EXPECT_FALSE(ds.InsertPending);
  EXPECT_FALSE(ds.RowChanged);
  EXPECT_TRUE(world.Transaction.InTransaction());  // started, never committed
  ds.Edit();
  ds.FieldByName("NOME").SetAsString("um'editado");  // apostrophes go without PermiteApostrofo
  ds.FieldByName("QTD").SetAsInteger(5);
  ds.Post();
  AppendRow(ds, 2, "dois"_a);
  EXPECT_TRUE(world.Transaction.InTransaction());
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT LIST(ID || '=' || NOME || '/' || COALESCE(QTD, '-'), ',') FROM "
                                   "(SELECT * FROM T ORDER BY ID)"),
            "1=umeditado/5,2=dois/-");
}

INSTANTIATE_TEST_SUITE_P(Paths, MorvantaDatasetPostPaths, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return testdb::PathName(info.param); });

TEST(MorvantaDatasetPost, AnUpdateObjectsStatementsReplaceTheDatasetsOwnEvenWhenEmpty) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = RowDataset(world);
  TMorvantaUpDateObject update(nullptr);
  update.InsertSQL().SetText(u"INSERT INTO T (ID, NOME) VALUES (:ID, 'via update object')");
  ds.SetUpdateObject(&update);
  ds.SetIgnorarErro(true);
  AppendRow(ds, 1, "ignored"_a);
  ds.Edit();
  ds.FieldByName("NOME").SetAsString("x");
  EXPECT_NE(ErrorMessageOf([&] { ds.Post(); }), "");  // the update object's empty ModifySQL runs
  world.Transaction.Commit();
  // The statement is upper-cased like every prepared text (ManterCase is false).
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 1"), "VIA UPDATE OBJECT");
  ds.SetUpdateObject(nullptr);
}

TEST(MorvantaDatasetPost, HooksFireTheirEventsAsTheyShouldWhileLoadingAndAfterwards) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  TMorvantaDataset& ds = world.Dataset("qrySel"_a, "SELECT ID, NOME, QTD FROM T ORDER BY ID"_a);
  ds.ModifySQL().SetText("UPDATE T SET NOME = :NOME WHERE ID = :ID");
  ds.InsertSQL().SetText("INSERT INTO T (ID, NOME, QTD) VALUES (:ID, :NOME, :QTD)");
  EventCounter loading;
  loading.Attach(ds);
  ds.OpenQuery();
  // Loaded rows are neither written back nor announced as inserts or posts of the user.
  const std::map<std::string, int> whileLoading = {{"AfterInsert", 3}, {"AfterPost", 3}};
  EXPECT_EQ(loading.fired, whileLoading);
  EXPECT_FALSE(ds.RowChanged);
  EXPECT_FALSE(world.Transaction.InTransaction());  // nothing was written

  EventCounter user;
  user.Attach(ds);
  ds.Edit();
  ds.FieldByName("NOME").SetAsString("editado");
  ds.Post();
  AppendRow(ds, 9, "novo"_a);
  const std::map<std::string, int> afterwards = {{"BeforeEdit", 1},  {"AfterEdit", 1},  {"BeforeInsert", 1},
                                                 {"AfterInsert", 1}, {"BeforePost", 2}, {"AfterPost", 2}};
  EXPECT_EQ(user.fired, afterwards);
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 1"), "editado");
  EXPECT_EQ(world.Count("T"_a), "4");
}

// ---- Store permissions

TEST(MorvantaDatasetPost, PermissionsAreTestedInOrderAndARefusedRowStaysInTheCache) {
  DatasetWorld world;
  CreateTable(world);
  struct Case {
    bool newRow;
    bool movimentar, inserir, alterar;
    AnsiString suffix;
  };
  const std::vector<Case> cases = {
      {true, false, false, false, " Loja Sem Permissão para Movimentar."_a},
      {true, true, false, false, " Loja Sem Permissão para Inserir."_a},
      {true, true, true, false, " Loja Sem Permissão para Inserir/Alterar."_a},
      {false, false, true, false, " Loja Sem Permissão para Alterar/Movimentar."_a},
      {false, true, false, false, " Loja Sem Permissão para Alterar."_a},
  };
  TComponent form(nullptr);
  form.SetName("frmPost");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    TMorvantaDataset& ds = RowDataset(world, "qry" + IntToStr(static_cast<std::int64_t>(i)));
    const int id = static_cast<int>(100 + i);
    AppendRow(ds, id, "base"_a);
    world.Transaction.Commit();
    world.Connection.SetPermiteMovimentar(c.movimentar);
    world.Connection.SetPermiteInserir(c.inserir);
    world.Connection.SetPermiteAlterar(c.alterar);
    int afterPost = 0;
    ds.AfterPost = [&](TDataSet&) { ++afterPost; };
    if (c.newRow) ds.Append();
    else ds.Edit();
    ds.FieldByName("ID").SetAsInteger(c.newRow ? id + 50 : id);
    ds.FieldByName("NOME").SetAsString("refused");
    EXPECT_EQ(ErrorMessageOf([&] { ds.Post(); }), "Erro de ExecSQL em ." + ds.Name() + c.suffix) << "case " << i;
    EXPECT_EQ(afterPost, 0);
    EXPECT_FALSE(world.Transaction.InTransaction()) << "case " << i;  // refused before the start
    EXPECT_EQ(ds.FieldByName("NOME").AsString(), "refused");          // posted into the cache all the same
    EXPECT_TRUE(ds.RowChanged);
    world.Connection.SetPermiteMovimentar(true);
    world.Connection.SetPermiteInserir(true);
    world.Connection.SetPermiteAlterar(true);
  }
  // An INSERT run directly needs no PermiteAlterar.
  world.Connection.SetPermiteAlterar(false);
  TMorvantaDataset& exec = world.Dataset("qryExec"_a, "INSERT INTO T (ID, NOME) VALUES (900, 'direto')"_a);
  EXPECT_NO_THROW(exec.ExecSQL());
}

// ---- A new row whose insert did not reach the database

TEST(MorvantaDatasetPost, ANewRowWhoseInsertFailedIsInsertedWhenPostedAgain) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = RowDataset(world);
  ds.SetIgnorarErro(true);
  AppendRow(ds, 1, "um"_a);
  // Refused: the row stays in the cache, the database never saw it.
  world.Connection.SetPermiteInserir(false);
  EXPECT_NE(ErrorMessageOf([&] { AppendRow(ds, 2, "dois"_a); }), "");
  world.Connection.SetPermiteInserir(true);
  // Failed at the database: NOME is required.
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(3);
  EXPECT_NE(ErrorMessageOf([&] { ds.Post(); }), "");
  // A row inserted before the failed ones moves them down; they stay new rows all the same.
  ds.First();
  ds.Insert();
  ds.FieldByName("ID").SetAsInteger(0);
  ds.FieldByName("NOME").SetAsString("zero");
  ds.Post();
  for (int id : {2, 3}) {
    ds.First();
    while (ds.FieldByName("ID").AsInteger() != id) ds.Next();
    ds.Edit();
    ds.FieldByName("NOME").SetAsString("corrigido" + IntToStr(id));
    ds.Post();  // the insert statement, not an update that finds no row
  }
  ds.Edit();  // now in the database: edits run the modify statement
  ds.FieldByName("QTD").SetAsInteger(7);
  ds.Post();
  // A deleted unwritten row is forgotten, and the row after it keeps being an edited row.
  world.Connection.SetPermiteInserir(false);
  EXPECT_NE(ErrorMessageOf([&] { AppendRow(ds, 4, "quatro"_a); }), "");
  world.Connection.SetPermiteInserir(true);
  ds.Delete();
  ds.Last();
  ds.Edit();
  ds.FieldByName("QTD").SetAsInteger(8);
  ds.Post();
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT LIST(ID || '=' || NOME || '/' || COALESCE(QTD, '-'), ',') FROM "
                                   "(SELECT * FROM T ORDER BY ID)"),
            "0=zero/-,1=um/-,2=corrigido2/-,3=corrigido3/8");
}

// ---- Binding the row: values written into the text, or bound to the parameters

TEST(MorvantaDatasetPost, WrittenIntoTheTextNullDatesStayNullAndBlobsStayBound) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryBlob"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftString, 40);
  ds.FieldDefs().Add(u"DIA", ftDate);
  ds.FieldDefs().Add(u"MOMENTO", ftTimeStamp);
  ds.FieldDefs().Add(u"OBS", ftBlob);
  ds.CreateDataSet();
  ds.InsertSQL().SetText("INSERT INTO T (ID, NOME, DIA, MOMENTO, OBS) VALUES (:ID, :NOME, :DIA, :MOMENTO, :OBS)");
  ds.ModifySQL().SetText("UPDATE T SET DIA = :DIA, MOMENTO = :MOMENTO WHERE ID = :ID");
  const AnsiString longText(40000, 'x');  // past the size of a string literal
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(1);
  ds.FieldByName("NOME").SetAsString("a \"b\" `c`");
  ds.FieldByName("MOMENTO").SetAsDateTime(EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.FieldByName("OBS").SetAsString(longText);
  ds.Post();
  EXPECT_NE(ds.InternalQuery->SQL().Text().find(u":OBS"), WideString::npos);  // still a parameter
  EXPECT_EQ(ds.InternalQuery->Params().Count(), 1);
  ds.Edit();
  ds.FieldByName("DIA").SetAsDateTime(EncodeDate(2007, 1, 5));
  ds.FieldByName("MOMENTO").Clear();
  ds.Post();
  EXPECT_EQ(ds.InternalQuery->Params().Count(), 0);  // no blob: every value in the text
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME || '|' || DIA || '|' || COALESCE(MOMENTO, 'null') || '|' || "
                                   "CHAR_LENGTH(OBS) FROM T"),
            "a  b  c|2007-01-05|null|40000");
}

TEST(MorvantaDatasetPost, BoundToParametersNullsOfEveryTypeAndTimeStampsReachTheDatabaseIntact) {
  DatasetWorld world;
  CreateTable(world);
  world.Db().Execute("INSERT INTO T (ID, NOME) VALUES (1, 'um')");
  TMorvantaDataset& ds = world.Dataset("qrySel"_a, "SELECT ID, NOME, QTD, DIA, MOMENTO, OBS FROM T WHERE ID = :ID"_a);
  ds.ParamByName("ID").SetAsInteger(0);  // "0": takes the posted row's ID
  ds.InsertSQL().SetText(
      "INSERT INTO T (ID, NOME, QTD, DIA, MOMENTO, OBS) VALUES (:ID, :NOME, :QTD, :DIA, :MOMENTO, "
      ":OBS)");
  ds.ModifySQL().SetText("UPDATE T SET QTD = :QTD, DIA = :DIA, MOMENTO = :MOMENTO WHERE ID = :ID");
  ds.OpenQuery();
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(2);
  ds.FieldByName("NOME").SetAsString("it's");
  ds.FieldByName("MOMENTO").SetAsDateTime(EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.FieldByName("OBS").SetAsString("texto");
  ds.Post();  // QTD and DIA null
  EXPECT_EQ(ds.ParamByName("ID").AsInteger(), 2);
  ds.Edit();
  ds.FieldByName("QTD").SetAsInteger(3);
  ds.FieldByName("DIA").SetAsDateTime(EncodeDate(2020, 12, 31));
  ds.Post();
  ds.Edit();
  ds.FieldByName("DIA").Clear();
  ds.Post();
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME || '|' || QTD || '|' || COALESCE(DIA, 'null') || '|' || MOMENTO || "
                                   "'|' || OBS FROM T WHERE ID = 2"),
            "it's|3|null|2007-01-05 10:07:03.0000|texto");
  // A statement parameter without a field of the same name fails before anything runs.
  ds.ModifySQL().SetText("UPDATE T SET QTD = :NADA WHERE ID = :ID");
  ds.Edit();
  ds.FieldByName("QTD").SetAsInteger(4);
  EXPECT_EQ(ErrorMessageOf([&] { ds.Post(); }), "Field 'NADA' not found");
}

// ---- A failed write

TEST(MorvantaDatasetPost, AFailedWriteShowsOneMessageOrRaisesAndAfterPostDoesNotFire) {
  DatasetWorld world;
  CreateTable(world);
  RecordingInteraction boxes;
  TComponent form(nullptr);
  form.SetName("frmErro");
  TMorvantaDataset& ds = world.Dataset("qryErro"_a, AnsiString(), &form);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.CreateDataSet();
  ds.InsertSQL().SetText("INSERT INTO T (ID) VALUES (:ID)");  // NOME is required
  int afterPost = 0;
  ds.AfterPost = [&](TDataSet&) { ++afterPost; };
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(1);
  EXPECT_THROW(ds.Post(), EAbort);  // silent: the message box told the user
  ASSERT_EQ(boxes.Messages.size(), 1u);
  EXPECT_EQ(boxes.Messages[0].rfind("Erro ao Inserir: ", 0), 0u);
  EXPECT_NE(boxes.Messages[0].find("NOME"), AnsiString::npos);
  EXPECT_EQ(boxes.Messages[0].substr(boxes.Messages[0].size() - 20), " Em: frmErro.qryErro");
  ds.SetIgnorarErro(true);
  ds.Edit();
  ds.FieldByName("ID").SetAsInteger(2);
  const AnsiString message = ErrorMessageOf([&] { ds.Post(); });
  EXPECT_NE(message.find("NOME"), AnsiString::npos);
  EXPECT_EQ(message.find("Erro ao Inserir"), AnsiString::npos);
  EXPECT_EQ(boxes.Messages.size(), 1u);
  EXPECT_EQ(afterPost, 0);
  EXPECT_TRUE(ds.RowChanged);
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_TRUE(world.Transaction.InTransaction());
}

TEST(MorvantaDatasetPost, InDiagnosticModeAFailedWriteShowsTheReportAndEndsSilently) {
  DatasetWorld world;
  CreateTable(world);
  RecordingInteraction ui;
  const DiagnosticsInstallation diagnostics;
  TempFolder folder;
  const AnsiString previousTrace = SQLTraceFileName();
  SetSQLTraceFileName(AnsiString(folder.File("qry.sql")));
  SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-Q"_a});
  TMorvantaDataset& ds = world.Dataset("qryDiag"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.CreateDataSet();
  ds.InsertSQL().SetText("INSERT INTO T (ID) VALUES (:ID)");
  for (bool ignorarErro : {false, true}) {
    ds.SetIgnorarErro(ignorarErro);
    if (ds.State() == dsBrowse && ds.RecordCount() > 0) ds.Edit();
    else ds.Append();
    ds.FieldByName("ID").SetAsInteger(1);
    EXPECT_THROW(ds.Post(), EAbort);
  }
  EXPECT_EQ(ui.Reports.size(), 2u);
  EXPECT_TRUE(ui.Messages.empty());
  SetCommandLine(std::vector<AnsiString>{});
  SetSQLTraceFileName(previousTrace);
}

// ---- Generator keys

TEST(MorvantaDatasetPost, ANewRowTakesItsKeyFromTheGeneratorWhenInserted) {
  DatasetWorld world;
  CreateTable(world);
  world.Db().Execute("CREATE SEQUENCE GEN_T");
  world.Db().Execute("ALTER SEQUENCE GEN_T RESTART WITH 41");
  TMorvantaDataset& ds = RowDataset(world);
  ds.SetGeneratorField("\t GEN_T  ->  id \r\n"_a);  // blanks and control characters around the names
  bool keyEmptyInAfterInsert = false;
  ds.AfterInsert = [&](TDataSet& d) { keyEmptyInAfterInsert = d.FieldByName("ID").IsNull(); };
  ds.Append();
  EXPECT_TRUE(keyEmptyInAfterInsert);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 42);
  EXPECT_EQ(ds.InternalQuery->SQL().Text(), u"select gen_id(GEN_T,1) cod_gen from rdb$database\r\n");
  ds.Cancel();  // the value is used up all the same
  ds.Append();
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 43);
  ds.FieldByName("NOME").SetAsString("gerado");
  ds.Post();
  // An unknown field: the generator is read, nothing is assigned.
  ds.SetGeneratorField("GEN_T -> NAO_EXISTE"_a);
  ds.Append();
  EXPECT_TRUE(ds.FieldByName("ID").IsNull());
  ds.Cancel();
  EXPECT_EQ(world.Db().QueryScalar("SELECT GEN_ID(GEN_T, 0) FROM RDB$DATABASE"), "44");
  // A value of 0 is never assigned.
  world.Db().Execute("ALTER SEQUENCE GEN_T RESTART WITH -1");
  ds.SetGeneratorField("GEN_T->ID"_a);
  ds.Append();
  EXPECT_TRUE(ds.FieldByName("ID").IsNull());
  ds.Cancel();
  // An unknown generator: the error reaches the caller of the insert, which stays in insert state.
  ds.SetGeneratorField("GEN_NAO_EXISTE -> ID"_a);
  EXPECT_NE(ErrorMessageOf([&] { ds.Append(); }), "");
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_TRUE(ds.InsertPending);
  ds.Cancel();
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT ID FROM T"), "43");
}

TEST(MorvantaDatasetPost, AGeneratorValueTheKeyFieldCannotHoldIsAnError) {
  DatasetWorld world;
  world.Db().Execute("CREATE SEQUENCE GEN_BIG");
  world.Db().Execute("ALTER SEQUENCE GEN_BIG RESTART WITH 2147483647");
  TMorvantaDataset& ds = world.Dataset("qryBig"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"BIG", ftLargeint);
  ds.FieldDefs().Add(u"SMALL", ftSmallint);
  ds.CreateDataSet();
  ds.SetGeneratorField("GEN_BIG -> ID"_a);
  EXPECT_EQ(ErrorMessageOf([&] { ds.Append(); }), "Valor do gerador GEN_BIG (2147483648) não cabe no campo ID."_a);
  EXPECT_TRUE(ds.FieldByName("ID").IsNull());  // never a wrapped key
  ds.Cancel();
  ds.SetGeneratorField("GEN_BIG -> BIG"_a);
  ds.Append();
  EXPECT_EQ(ds.FieldByName("BIG").AsInteger(), 2147483649LL);
  ds.Cancel();
  world.Db().Execute("ALTER SEQUENCE GEN_BIG RESTART WITH 32767");
  ds.SetGeneratorField("GEN_BIG -> SMALL"_a);
  EXPECT_NE(ErrorMessageOf([&] { ds.Append(); }), "");
  ds.Cancel();
}

TEST(MorvantaDatasetPost, OracleConnectionsAskTheSequenceForItsNextValue) {
  DatasetWorld world;
  TMorvantaDatabase oracle(nullptr);
  oracle.ConfigureConnection("Oracle"_a, "ORCL"_a, "u"_a, "p"_a);  // not connected: the open fails
  TMorvantaDataset ds(nullptr);
  ds.SetDatabase(&oracle);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.CreateDataSet();
  ds.SetGeneratorField("SEQ_PEDIDO -> ID"_a);
  EXPECT_NE(ErrorMessageOf([&] { ds.Append(); }), "");
  EXPECT_EQ(ds.InternalQuery->SQL().Text(), u"select SEQ_PEDIDO.nextval cod_gen from dual\r\n");
  ds.Cancel();
}

// ---- The generator picker switch

TEST(MorvantaDatasetPost, TheGeneratorSwitchOpensThePickerOnlyInADesigner) {
  DatasetWorld world;
  int opened = 0;
  InstallGeneratorFieldEditor([&](TMorvantaDataset& ds) {
    ++opened;
    ds.SetGeneratorField("GEN_X -> ID"_a);
  });
  TMorvantaDataset& running = world.Dataset("qryRun"_a);
  running.SetGeneratorField_Edit(true);
  EXPECT_TRUE(running.GeneratorField_Edit());
  EXPECT_EQ(opened, 0);
  TMorvantaDataset designed(nullptr);
  designed.SetDesigning(true);
  designed.SetGeneratorField_Edit(true);  // no Database: nothing to pick from
  EXPECT_EQ(opened, 0);
  designed.SetDatabase(&world.Connection);
  designed.SetGeneratorField_Edit(true);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(designed.GeneratorField_Edit());
  EXPECT_EQ(designed.GeneratorField(), "GEN_X -> ID");
  InstallGeneratorFieldEditor(nullptr);
}

TEST(MorvantaDatasetPost, WithoutAConnectionPostsStayInTheCache) {
  TMorvantaDataset ds(nullptr);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.CreateDataSet();
  int afterPost = 0;
  ds.AfterPost = [&](TDataSet&) { ++afterPost; };
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(1);
  ds.Post();
  EXPECT_EQ(afterPost, 1);
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_TRUE(ds.RowChanged);  // nothing was written
}
