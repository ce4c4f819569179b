// Opening a dataset's select on real Firebird databases and loading its rows packet by packet:
// packet sizes, reopening, parameters, master values, defaults, column types, the read
// permission and how open and fetch errors reach the caller.

#include <gtest/gtest.h>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/statement/OracleText.h"
#include "morvanta/platform/framework/Runtime.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;
using testdb::ErrorMessageOf;

namespace {

int ScrollEventsDuring(TMorvantaDataset& ds, const std::function<void()>& action) {
  int scrolls = 0;
  ds.OnDataEvent = [&scrolls](TDataSet&, TDataEvent event, std::intptr_t) {
    if (event == deDataSetScroll) ++scrolls;
  };
  action();
  ds.OnDataEvent = nullptr;
  return scrolls;
}

bool EndsWith(const AnsiString& text, const AnsiString& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

// ---- Packets, on both paths: the cursor stays open between packets.

class MorvantaDatasetPackets : public ::testing::TestWithParam<bool> {};

TEST_P(MorvantaDatasetPackets, RowsArriveInPacketsOfPacoteRegistros) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  world.CreateNumberedTable(2500);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);

  ds.OpenQuery();
  EXPECT_EQ(ds.RecordCount(), 1000);
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1);
  EXPECT_TRUE(ds.InternalQuery->Active());

  ds.SetRecNo(999);
  ds.NextRecord();  // not the last cached record: only moves
  EXPECT_EQ(ds.RecordCount(), 1000);
  EXPECT_EQ(ds.RecNo(), 1000);

  ds.NextRecord();
  EXPECT_EQ(ds.RecordCount(), 2000);
  EXPECT_EQ(ds.RecNo(), 1001);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1001);
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "n1001");

  ds.SetRecNo(2000);
  ds.NextRecord();
  EXPECT_EQ(ds.RecordCount(), 2500);
  EXPECT_EQ(ds.RecNo(), 2001);

  ds.SetRecNo(2500);
  EXPECT_FALSE(ds.Eof());
  ds.NextRecord();
  EXPECT_EQ(ds.RecordCount(), 2500);
  EXPECT_EQ(ds.RecNo(), 2500);
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2500);
  EXPECT_FALSE(ds.InternalInsert());
}

TEST_P(MorvantaDatasetPackets, TextBlobsDatesAndNullsArriveWhole) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  world.Db().Execute("CREATE TABLE B (ID INTEGER, OBS BLOB SUB_TYPE TEXT, DIA DATE, MOMENTO TIMESTAMP)");
  world.Db().Execute(
      "EXECUTE BLOCK AS DECLARE L VARCHAR(32000); BEGIN "
      "L = RPAD('', 32000, 'linha :''x''' || ASCII_CHAR(13) || ASCII_CHAR(10)); "
      "INSERT INTO B VALUES (1, CAST(:L AS BLOB SUB_TYPE TEXT) || :L || :L, '2007-01-05', '2007-01-05 10:07:03'); "
      "INSERT INTO B VALUES (2, NULL, NULL, NULL); END");
  TMorvantaDataset& ds = world.Dataset("qryB"_a, "SELECT ID, OBS, DIA, MOMENTO FROM B ORDER BY ID"_a);
  ds.SetPacoteRegistros(1);
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 1);
  AnsiString line;
  while (line.size() < 32000) line += "linha :'x'\r\n";
  line.resize(32000);
  const AnsiString expected = line + line + line;  // longer than any string column
  EXPECT_EQ(ds.FieldByName("OBS").AsString(), expected);
  EXPECT_EQ(ds.FieldByName("DIA").AsDateTime(), EncodeDate(2007, 1, 5));
  EXPECT_DOUBLE_EQ(ds.FieldByName("MOMENTO").AsDateTime(), EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.NextRecord();
  ASSERT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_TRUE(ds.FieldByName("OBS").IsNull());
  EXPECT_TRUE(ds.FieldByName("DIA").IsNull());
  EXPECT_TRUE(ds.FieldByName("MOMENTO").IsNull());
}

INSTANTIATE_TEST_SUITE_P(Paths, MorvantaDatasetPackets, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return testdb::PathName(info.param); });

TEST(MorvantaDatasetOpen, PacoteRegistrosOfZeroOrLessLoadsEveryRow) {
  DatasetWorld world;
  world.CreateNumberedTable(1500);
  for (int packet : {0, -1}) {
    TMorvantaDataset& ds = world.Dataset("qryT" + IntToStr(packet + 1), "SELECT ID FROM T ORDER BY ID"_a);
    ds.SetPacoteRegistros(packet);
    ds.OpenQuery();
    EXPECT_EQ(ds.RecordCount(), 1500) << packet;
    EXPECT_EQ(ds.RecNo(), 1) << packet;
    EXPECT_TRUE(ds.InternalQuery->Eof());
  }
}

TEST(MorvantaDatasetOpen, AnEmptyResultLeavesNoRecordAndRaisesNoScroll) {
  DatasetWorld world;
  world.CreateNumberedTable(0);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T"_a);
  EXPECT_EQ(ScrollEventsDuring(ds, [&] { ds.OpenQuery(); }), 0);
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(ds.FieldCount(), 2);
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.RecNo(), -1);
  EXPECT_TRUE(ds.Eof());
  ds.NextRecord();  // nothing to load, nowhere to go
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(MorvantaDatasetOpen, ReopenRunsAgainWithNewValuesKeepsTheFieldsAndSkipsTheReadPermission) {
  DatasetWorld world;
  world.CreateNumberedTable(30);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T WHERE ID > :DESDE ORDER BY ID"_a);
  int beforeOpen = 0, afterOpen = 0;
  ds.BeforeOpen = [&](TDataSet&) { ++beforeOpen; };
  ds.AfterOpen = [&](TDataSet&) { ++afterOpen; };

  ds.ParamByName("DESDE").SetAsInteger(10);
  ds.OpenQuery();
  EXPECT_EQ(ds.RecordCount(), 20);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 11);
  EXPECT_EQ(beforeOpen, 2);  // once by the dataset, once inside the record set's creation
  EXPECT_EQ(afterOpen, 2);
  TField* id = ds.FindField("ID");

  world.Connection.SetPermiteConsultar(false);
  ds.ParamByName("DESDE").SetAsInteger(25);
  ds.OpenQuery();
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 26);
  EXPECT_EQ(ds.FindField("ID"), id);
  EXPECT_EQ(beforeOpen, 3);
  EXPECT_EQ(afterOpen, 3);
}

TEST(MorvantaDatasetOpen, BeforeOpenFindsTheMacrosAndSetsThemBeforeTheyAreExpanded) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM %TABELA WHERE ID >= :ID"_a);
  ds.BeforeOpen = [&ds](TDataSet&) {
    if (TParam* macro = ds.Macros().FindParam("TABELA")) macro->SetAsString("T");
  };
  ds.ParamByName("ID").SetAsInteger(2);
  ds.OpenQuery();
  EXPECT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.SQLInterno(), "SELECT ID FROM T WHERE ID >= :ID\r\n");
}

TEST(MorvantaDatasetOpen, NullParametersAreSentAsZeroText) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  world.Db().Execute("INSERT INTO T (ID, NOME, QTD) VALUES (100, '0', 0)");
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T WHERE NOME = :NOME AND QTD = :QTD"_a);
  ds.OpenQuery();  // neither parameter was given a value
  ASSERT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 100);
  EXPECT_EQ(ds.InternalQuery->Params().ParamByName("QTD").AsString(), "0");
  EXPECT_TRUE(ds.ParamByName("QTD").IsNull());  // the dataset's own entry keeps its null
}

TEST(MorvantaDatasetOpen, DateParametersFindTheirRows) {
  DatasetWorld world;
  world.Db().Execute("CREATE TABLE M (ID INTEGER, DIA DATE, MOMENTO TIMESTAMP)");
  world.Db().Execute(
      "EXECUTE BLOCK AS BEGIN INSERT INTO M VALUES (1, '2007-01-25', '2007-01-05 10:07:03'); "
      "INSERT INTO M VALUES (2, '2007-05-01', '2007-05-01 10:07:03'); END");
  TMorvantaDataset& ds = world.Dataset("qryM"_a, "SELECT ID FROM M WHERE DIA = :DIA OR MOMENTO = :MOMENTO"_a);
  ds.ParamByName("DIA").SetAsDateTime(EncodeDate(2007, 1, 25));
  ds.ParamByName("DIA").SetDataType(ftDate);
  ds.ParamByName("MOMENTO").SetAsDateTime(EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1);
}

TEST(MorvantaDatasetOpen, NumericColumnsBecomeFloatFieldsAndNoFieldIsRequired) {
  DatasetWorld world;
  world.Db().Execute(
      "CREATE TABLE N (ID INTEGER NOT NULL, NOME VARCHAR(10) NOT NULL, VALOR NUMERIC(15,2) NOT NULL, "
      "PRECO DECIMAL(9,3), PESO NUMERIC(4,1), TOTAL NUMERIC(18,4))");
  world.Db().Execute("INSERT INTO N VALUES (1, 'a', 12.34, -0.125, 12.5, 123456789012.3456)");
  TMorvantaDataset& ds = world.Dataset("qryN"_a, "SELECT * FROM N"_a);
  ds.OpenQuery();
  for (const char* name : {"VALOR", "PRECO", "PESO", "TOTAL"}) {
    EXPECT_EQ(ds.FieldByName(name).DataType(), ftFloat) << name;
  }
  EXPECT_EQ(ds.FieldByName("ID").DataType(), ftInteger);
  for (int i = 0; i < ds.FieldCount(); ++i) EXPECT_FALSE(ds.Fields(i).Required()) << i;
  for (int i = 0; i < ds.FieldDefs().Count(); ++i) EXPECT_FALSE(ds.FieldDefs().Items(i).Required()) << i;
  EXPECT_DOUBLE_EQ(ds.FieldByName("VALOR").AsFloat(), 12.34);
  EXPECT_DOUBLE_EQ(ds.FieldByName("PRECO").AsFloat(), -0.125);
  EXPECT_DOUBLE_EQ(ds.FieldByName("PESO").AsFloat(), 12.5);
  EXPECT_DOUBLE_EQ(ds.FieldByName("TOTAL").AsFloat(), 123456789012.3456);

  // Not required: a row without values posts.
  ds.SetInternalInsert(true);  // keeps the dataset's own post handling out
  ds.Append();
  ds.Post();
  ds.SetInternalInsert(false);
  EXPECT_EQ(ds.RecordCount(), 2);
}

// ---- Defaults for null values of fetched rows

TEST(MorvantaDatasetDefaults, NullFieldsTakeTheDefaultsThatConvert) {
  DatasetWorld world;
  world.Db().Execute(
      "CREATE TABLE D (ID INTEGER, QTD INTEGER, NOME VARCHAR(10), VALOR DOUBLE PRECISION, PRECO NUMERIC(15,2))");
  world.Db().Execute("INSERT INTO D VALUES (1, NULL, NULL, NULL, NULL)");
  world.Db().Execute("INSERT INTO D VALUES (2, 5, 'a', 1.25, 2.5)");
  const AnsiString sep(1, DecimalSeparator());
  const AnsiString otherSep = DecimalSeparator() == '.' ? ","_a : "."_a;

  TMorvantaDataset& ds = world.Dataset("qryD"_a, "SELECT * FROM D ORDER BY ID"_a);
  ds.SetDefaultValue_Integer(" 0 "_a);
  ds.SetDefaultValue_String(" vazio "_a);
  ds.SetDefaultValue_Float(" 1" + sep + "5 ");
  ds.OpenQuery();
  EXPECT_EQ(ds.FieldByName("QTD").AsInteger(), 0);
  EXPECT_FALSE(ds.FieldByName("QTD").IsNull());
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), " vazio ");  // the string default is not trimmed
  EXPECT_DOUBLE_EQ(ds.FieldByName("VALOR").AsFloat(), 1.5);
  EXPECT_DOUBLE_EQ(ds.FieldByName("PRECO").AsFloat(), 1.5);
  ds.NextRecord();
  EXPECT_EQ(ds.FieldByName("QTD").AsInteger(), 5);  // values are kept
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "a");
  EXPECT_DOUBLE_EQ(ds.FieldByName("VALOR").AsFloat(), 1.25);

  RecordingInteraction ui;
  TMorvantaDataset& bad = world.Dataset("qryD2"_a, "SELECT * FROM D ORDER BY ID"_a);
  bad.SetDefaultValue_Integer("x"_a);
  bad.SetDefaultValue_String("   "_a);
  bad.SetDefaultValue_Float("1" + otherSep + "5");
  bad.OpenQuery();
  EXPECT_TRUE(bad.FieldByName("QTD").IsNull());
  EXPECT_TRUE(bad.FieldByName("NOME").IsNull());
  EXPECT_TRUE(bad.FieldByName("VALOR").IsNull());
  EXPECT_TRUE(bad.FieldByName("PRECO").IsNull());
  EXPECT_TRUE(ui.Messages.empty());  // a default that does not convert is no error
}

TEST(MorvantaDatasetDefaults, PersistentFieldsTakeOnlyTheColumnsOfTheirName) {
  DatasetWorld world;
  world.CreateNumberedTable(2);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME, QTD FROM T ORDER BY ID"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"EXTRA", ftInteger);
  ds.CreateDataSet();  // fields of its own, as a form defines them
  ds.SetDefaultValue_Integer("7"_a);
  ds.OpenQuery();
  EXPECT_EQ(ds.FieldCount(), 2);
  EXPECT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1);
  EXPECT_TRUE(ds.FieldByName("EXTRA").IsNull());  // no column matched it, so no default either
}

// ---- Master and detail

TEST(MorvantaDatasetMasterValues, TheDetailRunsWithTheMastersValuesAndFollowsItsRecord) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  world.Db().Execute("CREATE TABLE ITENS (PEDIDO INTEGER, ITEM INTEGER)");
  world.Db().Execute(
      "EXECUTE BLOCK AS BEGIN INSERT INTO ITENS VALUES (1, 1); INSERT INTO ITENS VALUES (1, 2); "
      "INSERT INTO ITENS VALUES (2, 1); INSERT INTO ITENS VALUES (3, 1); INSERT INTO ITENS VALUES (3, 2); "
      "INSERT INTO ITENS VALUES (3, 3); END");
  TMorvantaDataset& master = world.Dataset("qryPedido"_a, "SELECT ID FROM T ORDER BY ID"_a);
  TDataSource source(nullptr);
  source.SetDataSet(&master);
  TMorvantaDataset& detail = world.Dataset("qryItens"_a, "SELECT ITEM FROM ITENS WHERE PEDIDO = :ID ORDER BY ITEM"_a);
  detail.SetDataSource(&source);
  detail.ParamByName("ID").SetAsInteger(3);

  master.OpenQuery();  // its scroll reopens the detail
  ASSERT_TRUE(detail.Active());
  EXPECT_EQ(detail.RecordCount(), 2);
  EXPECT_EQ(detail.ParamByName("ID").AsInteger(), 1);
  EXPECT_EQ(detail.InternalQuery->Params().ParamByName("ID").AsInteger(), 1);

  master.NextRecord();
  EXPECT_EQ(detail.RecordCount(), 1);
  master.NextRecord();
  EXPECT_EQ(detail.RecordCount(), 3);
  EXPECT_EQ(detail.ParamByName("ID").AsInteger(), 3);

  // The detail's own value is overridden by the master's on every run.
  detail.ParamByName("ID").SetAsInteger(2);
  detail.OpenQuery();
  EXPECT_EQ(detail.RecordCount(), 3);
  EXPECT_EQ(detail.ParamByName("ID").AsInteger(), 3);
}

TEST(MorvantaDatasetMasterValues, ADetailDoesNotOpenWhileItsMasterFillsItsCache) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  TMorvantaDataset& master = world.Dataset("qryPedido"_a, "SELECT ID FROM T"_a);
  TDataSource source(nullptr);
  source.SetDataSet(&master);
  TMorvantaDataset& detail = world.Dataset("qryItens"_a, "SELECT ID FROM T WHERE ID = :ID"_a);
  detail.SetDataSource(&source);
  int beforeOpen = 0;
  detail.BeforeOpen = [&](TDataSet&) { ++beforeOpen; };
  master.SetInternalInsert(true);
  detail.OpenQuery();
  EXPECT_FALSE(detail.Active());
  EXPECT_EQ(beforeOpen, 0);
  master.SetInternalInsert(false);
}

TEST(MorvantaDatasetMasterValues, AnyDatasetCanLendItsValues) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  TClientDataSet master(nullptr);
  master.FieldDefs().Add(u"ID", ftInteger);
  master.CreateDataSet();
  master.Append();
  master.FieldByName("ID").SetAsInteger(2);
  master.Post();
  TDataSource source(nullptr);
  source.SetDataSet(&master);
  TMorvantaDataset& detail = world.Dataset("qryT"_a, "SELECT NOME FROM T WHERE ID = :ID"_a);
  detail.SetDataSource(&source);
  detail.OpenQuery();
  ASSERT_EQ(detail.RecordCount(), 1);
  EXPECT_EQ(detail.FieldByName("NOME").AsString(), "n2");
}

// ---- The read permission and errors of the open

TEST(MorvantaDatasetOpenErrors, AFirstOpenWithoutReadPermissionIsRefusedDirectly) {
  DatasetWorld world;
  world.CreateNumberedTable(1);
  RecordingInteraction ui;
  TComponent form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& owned = world.Dataset("qryT"_a, "SELECT ID FROM T"_a, &form);
  TMorvantaDataset& loose = world.Dataset("qryT"_a, "SELECT ID FROM T"_a);
  world.Connection.SetPermiteConsultar(false);
  for (bool ignorarErro : {false, true}) {
    owned.SetIgnorarErro(ignorarErro);
    loose.SetIgnorarErro(ignorarErro);
    EXPECT_EQ(ErrorMessageOf([&] { owned.OpenQuery(); }),
              "Erro de ExecSQL em frmPedido.qryT Loja Sem Permissão para Consultar."_a);
    EXPECT_EQ(ErrorMessageOf([&] { loose.OpenQuery(); }),
              "Erro de ExecSQL em .qryT Loja Sem Permissão para Consultar."_a);
  }
  EXPECT_FALSE(owned.Active());
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_EQ(owned.SQLInterno(), "SELECT ID FROM T\r\n");  // refused before the text was taken over
}

TEST(MorvantaDatasetOpenErrors, WithoutIgnorarErroTheBoxIsShownAndTheOpenEndsSilently) {
  DatasetWorld world;
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM NAOEXISTE"_a);
  // One message only: the box, then the silent abort, which a window's event loop swallows.
  EXPECT_THROW(ds.OpenQuery(), EAbort);
  ASSERT_EQ(ui.Messages.size(), 1u);
  const AnsiString& box = ui.Messages[0];
  EXPECT_EQ(box.rfind("Erro: ", 0), 0u) << box;
  EXPECT_NE(box.find("NAOEXISTE"), AnsiString::npos) << box;
  EXPECT_TRUE(EndsWith(box, " No Dataset: .qryT"_a)) << box;
  EXPECT_FALSE(ds.Active());
  EXPECT_FALSE(ds.InternalInsert());

  // The same error with IgnorarErro: raised with just its message, no box.
  ds.SetIgnorarErro(true);
  AnsiString raised = ErrorMessageOf([&] { ds.OpenQuery(); });
  EXPECT_EQ("Erro: " + raised + " No Dataset: .qryT", box);
  EXPECT_EQ(ui.Messages.size(), 1u);
}

TEST(MorvantaDatasetOpenErrors, MissingConnectionTextOrMarkerGoThroughTheGuard) {
  DatasetWorld world;
  world.CreateNumberedTable(1);
  RecordingInteraction ui;
  TMorvantaDataset noDatabase(nullptr);
  noDatabase.SetName("qryA");
  noDatabase.SQL().Add("SELECT ID FROM T");
  noDatabase.SetIgnorarErro(true);
  EXPECT_EQ(ErrorMessageOf([&] { noDatabase.OpenQuery(); }), "Erro: .qryA Sem Database");

  TMorvantaDataset& noText = world.Dataset("qryB"_a, " \r\n "_a);
  noText.SetIgnorarErro(true);
  EXPECT_EQ(ErrorMessageOf([&] { noText.OpenQuery(); }), "Erro: .qryB Sem SQL");

  TMorvantaDataset& extra = world.Dataset("qryC"_a, "SELECT ID FROM T"_a);
  extra.Params().CreateParam(ftInteger, u"CODIGO", ptInput);
  extra.SetIgnorarErro(true);
  EXPECT_EQ(ErrorMessageOf([&] { extra.OpenQuery(); }), "Parameter 'CODIGO' not found");
  EXPECT_TRUE(ui.Messages.empty());

  noDatabase.SetIgnorarErro(false);
  EXPECT_THROW(noDatabase.OpenQuery(), EAbort);
  EXPECT_EQ(ui.Messages, std::vector<AnsiString>{"Erro: Erro: .qryA Sem Database No Dataset: .qryA"_a});
}

TEST(MorvantaDatasetOpenErrors, AFailedReopenShowsTheBoxAndKeepsNoRowsOfTheEarlierResult) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T"_a);
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 3);
  ds.SQL().SetText("SELECT ID FROM NAOEXISTE");
  EXPECT_THROW(ds.OpenQuery(), EAbort);
  EXPECT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_FALSE(ds.InternalInsert());
  EXPECT_FALSE(ds.ControlsDisabled());
}

// ---- Errors while copying a fetched row

TEST(MorvantaDatasetFetchErrors, WithoutIgnorarErroEachFailedFieldIsReportedAndTheFetchGoesOn) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftInteger);  // the column holds 'n1', 'n2', 'n3'
  ds.CreateDataSet();
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1);
  EXPECT_TRUE(ds.FieldByName("NOME").IsNull());
  ASSERT_EQ(ui.Messages.size(), 3u);
  for (const AnsiString& box : ui.Messages) {
    EXPECT_EQ(box.rfind("Erro: ", 0), 0u) << box;
    EXPECT_NE(box.find("n"), AnsiString::npos) << box;
    EXPECT_TRUE(EndsWith(box, " No Campo:NOME Em: .qryT"_a)) << box;
  }
  EXPECT_FALSE(ds.InternalInsert());
}

TEST(MorvantaDatasetFetchErrors, AFailedFetchLeavesNoTraceOfItself) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftInteger);
  ds.CreateDataSet();
  ds.SetIgnorarErro(true);
  AnsiString message = ErrorMessageOf([&] { ds.OpenQuery(); });
  EXPECT_NE(message.find("n1"), AnsiString::npos) << message;
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_FALSE(ds.InternalInsert());
  EXPECT_FALSE(ds.ControlsDisabled());
  EXPECT_EQ(ds.State(), dsBrowse);  // the half-built record was cancelled
  EXPECT_EQ(ds.RecordCount(), 0);

  // Controls the caller had suspended stay suspended.
  ds.DisableControls();
  ErrorMessageOf([&] { ds.OpenQuery(); });
  EXPECT_TRUE(ds.ControlsDisabled());
  ds.EnableControls();
  EXPECT_FALSE(ds.ControlsDisabled());
}

TEST(MorvantaDatasetFetch, NoFurtherRowsOnceTheInternalQueryHoldsAnotherStatement) {
  DatasetWorld world;
  world.CreateNumberedTable(2500);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a);
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 1000);
  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");
  ds.DeleteRow();  // deletes row 1, through the internal query
  ASSERT_EQ(ds.RecordCount(), 999);
  ds.Last();
  ds.NextRecord();
  EXPECT_EQ(ds.RecordCount(), 999);
  EXPECT_TRUE(ds.Eof());

  TMorvantaDataset& other = world.Dataset("qryU"_a, "SELECT ID FROM T ORDER BY ID"_a);
  other.OpenQuery();
  ASSERT_EQ(other.RecordCount(), 1000);
  other.SQL().SetText("UPDATE T SET QTD = 0 WHERE ID = 2");
  other.ExecSQL();
  EXPECT_EQ(other.RecordCount(), 1000);  // ExecSQL leaves the cache alone
  other.Last();
  other.NextRecord();
  EXPECT_EQ(other.RecordCount(), 1000);
  EXPECT_TRUE(other.Eof());
}

// ---- The rendering of a fetched Oracle string

TEST(OracleFetchedText, EveryPairOfLineFeedsBecomesCarriageReturnLineFeed) {
  EXPECT_EQ(OracleFetchedText("a\n\nb\n\n"), "a\r\nb\r\n");
  EXPECT_EQ(OracleFetchedText("\n\n\n"), "\r\n\n");
  EXPECT_EQ(OracleFetchedText("\n\n\n\n"), "\r\n\r\n");
  EXPECT_EQ(OracleFetchedText("a\nb\r\n"), "a\nb\r\n");
  EXPECT_EQ(OracleFetchedText(""), "");
}

TEST(MorvantaDatasetOpen, ANameUsedTwiceTakesTheValueGivenThroughParamByName) {
  DatasetWorld world;
  world.CreateNumberedTable(5);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID FROM T WHERE ID = :ID OR QTD = :ID * 10 ORDER BY ID"_a);
  ASSERT_EQ(ds.ParamCount(), 2);  // one entry per marker
  ds.ParamByName("ID").SetAsInteger(3);
  ds.OpenQuery();
  ASSERT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 3);
}
