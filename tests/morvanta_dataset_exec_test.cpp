// Running a dataset's own statement on real Firebird databases: the statement kinds and the
// store's write permissions, how errors are wrapped, the transaction that is started but never
// ended, the choice of text, value rounding and nulls, blob parameters and the change log switch.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;
using testdb::ErrorMessageOf;

namespace {

const AnsiString kInserir = " Loja Sem Permissão para Inserir/Movimentar."_a;
const AnsiString kAlterar = " Loja Sem Permissão para Alterar/Movimentar."_a;
const AnsiString kExcluir = " Loja Sem Permissão para Excluir."_a;

// The table every test writes: T (ID, NOME, VALOR, PRECO, DIA, MOMENTO, OBS) with rows 1 and 2.
void CreateTable(DatasetWorld& world) {
  world.Db().Execute(
      "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(60), VALOR DOUBLE PRECISION, "
      "PRECO NUMERIC(15,4), DIA DATE, MOMENTO TIMESTAMP, OBS BLOB SUB_TYPE TEXT)");
  world.Db().Execute("INSERT INTO T (ID, NOME) VALUES (1, 'um')");
  world.Db().Execute("INSERT INTO T (ID, NOME) VALUES (2, 'dois')");
}

struct Permissions {
  bool inserir = true, alterar = true, excluir = true, movimentar = true;
};

void Grant(TMorvantaDatabase& connection, const Permissions& p) {
  connection.SetPermiteInserir(p.inserir);
  connection.SetPermiteAlterar(p.alterar);
  connection.SetPermiteExcluir(p.excluir);
  connection.SetPermiteMovimentar(p.movimentar);
}

}  // namespace

// ---- Statement kinds and the permissions they need

TEST(MorvantaDatasetExecKinds, EachKindNeedsItsOwnPermissions) {
  DatasetWorld world;
  CreateTable(world);
  struct Case {
    std::vector<AnsiString> lines;  // the lines of SQL, each added as it is
    Permissions granted;
    AnsiString refusal;  // empty: the statement runs
    bool manterCase = false;
  };
  Permissions noInserir, noAlterar, noExcluir, noMovimentar, none;
  noInserir.inserir = false;
  noAlterar.alterar = false;
  noExcluir.excluir = false;
  noMovimentar.movimentar = false;
  none = {false, false, false, false};
  const std::vector<Case> cases = {
      {{"INSERT INTO T (ID) VALUES (10)"_a}, noAlterar, ""_a},
      {{"INSERT INTO T (ID) VALUES (11)"_a}, noInserir, kInserir},
      {{"INSERT INTO T (ID) VALUES (12)"_a}, noMovimentar, kInserir},
      {{"INSERT"_a, "INTO T (ID) VALUES (13)"_a}, noInserir, kInserir},  // keyword at a line end
      {{"UPDATE T SET NOME = 'a' WHERE ID = 1"_a}, noInserir, ""_a},
      {{"UPDATE T SET NOME = 'b' WHERE ID = 1"_a}, noAlterar, kAlterar},
      {{"UPDATE T SET NOME = 'c' WHERE ID = 1"_a}, noMovimentar, kAlterar},
      {{"UPDATE"_a, "T SET NOME = 'd' WHERE ID = 1"_a}, noAlterar, kAlterar},
      // "INSERT "_a anywhere, a literal included, makes the statement an insert.
      {{"UPDATE T SET NOME = 'INSERT INTO' WHERE ID = 2"_a}, noAlterar, ""_a},
      {{"UPDATE T SET NOME = 'INSERT INTO' WHERE ID = 2"_a}, noInserir, kInserir},
      {{"DELETE FROM T WHERE ID = 99"_a}, {false, false, true, false}, ""_a},
      {{"DELETE FROM T WHERE ID = 98"_a}, noExcluir, kExcluir},
      // A tab or a lone line feed after the keyword is no marker: kind other, nothing checked.
      {{"UPDATE\tT SET NOME = 'tab' WHERE ID = 1"_a}, none, ""_a},
      {{"UPDATE\nT SET NOME = 'lf' WHERE ID = 1"_a}, none, ""_a},
      {{"DELETE\tFROM T WHERE ID = 97"_a}, none, ""_a},
      // Lower case is upper-cased first, unless ManterCase keeps it.
      {{"update t set nome = 'lower' where id = 1"_a}, noAlterar, kAlterar},
      {{"update t set nome = 'lower' where id = 1"_a}, noAlterar, ""_a, true},
      {{"SELECT ID FROM T"_a}, none, ""_a},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    TMorvantaDataset& ds = world.Dataset("qry" + IntToStr(static_cast<std::int64_t>(i)));
    for (const AnsiString& line : c.lines) ds.SQL().Add(line);
    ds.SetManterCase(c.manterCase);
    ds.SetIgnorarErro(true);  // the refusal's own message, not wrapped again
    Grant(world.Connection, c.granted);
    if (c.refusal.empty()) {
      EXPECT_NO_THROW(ds.ExecSQL()) << "case " << i;
    } else {
      EXPECT_EQ(ErrorMessageOf([&] { ds.ExecSQL(); }),
                "Erro de ExecSQL em .qry" + IntToStr(static_cast<std::int64_t>(i)) + c.refusal)
          << "case " << i;
    }
  }
  Grant(world.Connection, {});
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a, "ID = 10"_a), "1");
  EXPECT_EQ(world.Count("T"_a, "ID IN (11, 12, 13)"_a), "0");  // refused statements never ran
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 1"), "lower");
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 2"), "INSERT INTO");
}

TEST(MorvantaDatasetExecKinds, WithoutIgnorarErroARefusalCarriesThePrefixTwice) {
  DatasetWorld world;
  CreateTable(world);
  TComponent form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& ds = world.Dataset("qryPedido"_a, "UPDATE T SET NOME = 'x' WHERE ID = 1"_a, &form);
  world.Connection.SetPermiteAlterar(false);
  EXPECT_EQ(ErrorMessageOf([&] { ds.ExecSQL(); }),
            "Erro de ExecSQL em frmPedido.qryPedido Erro de ExecSQL em frmPedido.qryPedido" + kAlterar);
  TMorvantaDataset& loose = world.Dataset("qryLoose"_a, "DELETE FROM T"_a);
  world.Connection.SetPermiteExcluir(false);
  EXPECT_EQ(ErrorMessageOf([&] { loose.ExecSQL(); }),
            "Erro de ExecSQL em .qryLoose Erro de ExecSQL em .qryLoose" + kExcluir);
}

// ---- Errors

TEST(MorvantaDatasetExecErrors, DatabaseErrorsAreWrappedUnlessIgnorarErro) {
  DatasetWorld world;
  CreateTable(world);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "INSERT INTO T (ID, NOME) VALUES (1, 'de novo')"_a);
  AnsiString wrapped = ErrorMessageOf([&] { ds.ExecSQL(); });
  ds.SetIgnorarErro(true);
  AnsiString plain = ErrorMessageOf([&] { ds.ExecSQL(); });
  EXPECT_NE(plain.find("PRIMARY"), AnsiString::npos) << plain;  // the server's violation message
  EXPECT_EQ(wrapped, "Erro de ExecSQL em .qryT " + plain);
  EXPECT_TRUE(ui.Messages.empty() && ui.Reports.empty());  // ExecSQL shows nothing
}

TEST(MorvantaDatasetExecErrors, BlankTextsAndUnknownParametersFailWrapped) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& blank = world.Dataset("qryBlank"_a);
  blank.SQL().Add("   ");
  AnsiString message = ErrorMessageOf([&] { blank.ExecSQL(); });
  EXPECT_EQ(message.rfind("Erro de ExecSQL em .qryBlank ", 0), 0u) << message;
  EXPECT_GT(message.size(), AnsiString("Erro de ExecSQL em .qryBlank ").size());

  TMorvantaDataset& extra = world.Dataset("qryExtra"_a, "UPDATE T SET NOME = :NOME WHERE ID = 1"_a);
  extra.ParamByName("NOME").SetAsString("x");
  extra.Params().CreateParam(ftInteger, u"CODIGO", ptInput).SetAsInteger(3);
  EXPECT_EQ(ErrorMessageOf([&] { extra.ExecSQL(); }), "Erro de ExecSQL em .qryExtra Parameter 'CODIGO' not found");

  TMorvantaDataset& precision = world.Dataset("qryPrecision"_a, "UPDATE T SET VALOR = :VALOR WHERE ID = 1"_a);
  precision.ParamByName("VALOR").SetAsFloat(1.5);
  precision.SetFloatPrecision(10);
  EXPECT_EQ(ErrorMessageOf([&] { precision.ExecSQL(); }),
            "Erro de ExecSQL em .qryPrecision '10000000000' is not a valid integer value");
}

// ---- The text that runs

TEST(MorvantaDatasetExecText, SelectSQLRunsWhenSQLIsBlank) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a);
  ds.SQL().Add(" ");
  ds.SQL().Add("\t");
  ds.SelectSQL().Add("INSERT INTO T (ID, NOME) VALUES (:ID, :NOME)");
  ds.ParamByName("ID").SetAsInteger(5);
  ds.ParamByName("NOME").SetAsString("pela SelectSQL");
  ds.ExecSQL();
  EXPECT_EQ(ds.SQLInterno(), "INSERT INTO T (ID, NOME) VALUES (:ID, :NOME)\r\n");
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 5"), "pela SelectSQL");
}

// ---- Values

TEST(MorvantaDatasetExecValues, FloatsAreRoundedDatesWrittenAndNullsStayNull) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset(
      "qryT"_a,
      "INSERT INTO T (ID, NOME, VALOR, PRECO, DIA, MOMENTO) VALUES (:ID, :NOME, :VALOR, :PRECO, :DIA, :MOMENTO)"_a);
  ds.SetFloatPrecision(3);
  ds.ParamByName("ID").SetAsInteger(3);
  ds.ParamByName("NOME").SetAsString("d'Ávila :ID \"x\""_a);
  ds.ParamByName("VALOR").SetAsFloat(2.0045);
  ds.ParamByName("PRECO").SetAsFloat(-1.23456);
  ds.ParamByName("DIA").SetAsDateTime(EncodeDate(2007, 1, 5));
  ds.ParamByName("DIA").SetDataType(ftDate);
  ds.ParamByName("MOMENTO").SetAsDateTime(EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.SetPermiteApostrofo(true);
  ds.ExecSQL();
  EXPECT_EQ(ds.InternalQuery->Params().Count(), 0);
  EXPECT_NE(ToAnsi(ds.InternalQuery->SQL().Text()).find("2.005"), AnsiString::npos);
  EXPECT_FALSE(ds.InternalQuery->Active());

  ds.ParamByName("ID").SetAsInteger(4);
  ds.ParamByName("NOME").SetAsString("nulos");
  ds.ParamByName("VALOR").Clear();  // keeps ftFloat
  ds.ParamByName("PRECO").Clear();
  ds.ParamByName("DIA").Clear();  // keeps ftDate
  ds.ParamByName("MOMENTO").Clear();
  ds.ExecSQL();
  EXPECT_NE(ToAnsi(ds.InternalQuery->SQL().Text()).find("null"), AnsiString::npos);

  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a, "ID = 3 AND VALOR = 2.005 AND PRECO = -1.235"_a), "1");
  EXPECT_EQ(world.Count("T"_a, "ID = 3 AND DIA = '2007-01-05' AND MOMENTO = '2007-01-05 10:07:03'"_a), "1");
  // The value reaches the table as given: a quote inside it never ends the literal.
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 3"), "d'Ávila :ID  x "_a);
  EXPECT_EQ(world.Count("T"_a, "ID = 4 AND VALOR IS NULL AND PRECO IS NULL AND DIA IS NULL AND MOMENTO IS NULL"_a),
            "1");
}

TEST(MorvantaDatasetExecValues, ANameUsedTwiceTakesTheValueGivenThroughParamByName) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "UPDATE T SET NOME = :NOME || '!' WHERE NOME = :NOME"_a);
  ASSERT_EQ(ds.ParamCount(), 2);  // one entry per marker
  ds.ParamByName("NOME").SetAsString("dois");
  ds.ExecSQL();
  world.Transaction.Commit();
  EXPECT_EQ(world.Db().QueryScalar("SELECT NOME FROM T WHERE ID = 2"), "dois!");
}

TEST(MorvantaDatasetExecValues, ABlobNameUsedTwiceIsBoundAtBothReferences) {
  DatasetWorld world;
  CreateTable(world);
  TMorvantaDataset& ds =
      world.Dataset("qryT"_a, "UPDATE T SET OBS = :OBS, NOME = CAST(:OBS AS VARCHAR(20)) WHERE ID = :ID"_a);
  ds.ParamByName("OBS").SetAsBlob("duas vezes");
  ds.ParamByName("ID").SetAsInteger(1);
  ds.ExecSQL();
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a, "ID = 1 AND NOME = 'duas vezes' AND OBS = 'duas vezes'"_a), "1");
}

class MorvantaDatasetExecPaths : public ::testing::TestWithParam<bool> {};

TEST_P(MorvantaDatasetExecPaths, ABlobParameterStaysBoundAndTheStatementRunsPrepared) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  CreateTable(world);
  AnsiString text;
  while (text.size() < 100000) text += "obs com 'apóstrofo', \"aspas\", `crase` e :ID\r\n"_a;
  TMorvantaDataset& ds = world.Dataset("qryObs"_a, "UPDATE T SET OBS = :OBS, NOME = :NOME WHERE ID = :ID"_a);
  ds.ParamByName("OBS").SetAsBlob(text);
  ds.ParamByName("NOME").SetAsString("com obs");
  ds.ParamByName("ID").SetAsInteger(1);
  ds.ExecSQL();
  ASSERT_EQ(ds.InternalQuery->Params().Count(), 1);
  EXPECT_EQ(ds.InternalQuery->Params()[0].Name(), u"OBS");
  // Run again, a statement executed prepared keeps its prepared statement, which counts its rows;
  // one executed directly runs in one call again and has no count.
  ds.ExecSQL();
  EXPECT_EQ(ds.InternalQuery->RowsAffected(), 1);

  TMorvantaDataset& inlined = world.Dataset("qryNome"_a, "UPDATE T SET NOME = :NOME WHERE ID = :ID"_a);
  inlined.ParamByName("NOME").SetAsString("sem obs");
  inlined.ParamByName("ID").SetAsInteger(2);
  inlined.ExecSQL();
  inlined.ExecSQL();
  EXPECT_EQ(inlined.InternalQuery->Params().Count(), 0);
  EXPECT_EQ(inlined.InternalQuery->RowsAffected(), -1);

  TMorvantaDataset& check = world.Dataset("qryCheck"_a, "SELECT OBS, NOME FROM T WHERE ID = 1"_a);
  check.OpenQuery();  // in the same, still open transaction
  EXPECT_EQ(check.FieldByName("OBS").AsString(), text);
  EXPECT_EQ(check.FieldByName("NOME").AsString(), "com obs");
}

// ---- The transaction

TEST_P(MorvantaDatasetExecPaths, TheTransactionIsStartedOnDemandAndNeverEndedByTheDataset) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  CreateTable(world);
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "INSERT INTO T (ID, NOME) VALUES (:ID, 'novo')"_a);
  ASSERT_FALSE(world.Transaction.InTransaction());
  ds.ParamByName("ID").SetAsInteger(10);
  ds.ExecSQL();
  EXPECT_TRUE(world.Transaction.InTransaction());
  EXPECT_EQ(world.Count("T"_a), "2");  // another connection sees nothing yet

  ds.ParamByName("ID").SetAsInteger(1);  // fails: the key exists
  ErrorMessageOf([&] { ds.ExecSQL(); });
  EXPECT_TRUE(world.Transaction.InTransaction());  // no rollback either
  ds.ParamByName("ID").SetAsInteger(11);
  ds.ExecSQL();
  EXPECT_EQ(world.Count("T"_a), "2");

  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a), "4");
  EXPECT_EQ(world.Count("T"_a, "ID IN (10, 11)"_a), "2");
}

TEST_P(MorvantaDatasetExecPaths, AnotherDatasetWritesTheRowsOfASelectWalkedAcrossPackets) {
  if (GetParam()) FIREBIRD_SERVER_REQUIRED();
  DatasetWorld world(GetParam());
  world.CreateNumberedTable(1200);
  TMorvantaDataset& select = world.Dataset("qrySelect"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);
  select.SetPacoteRegistros(500);
  TMorvantaDataset& update = world.Dataset("qryUpdate"_a, "UPDATE T SET NOME = :NOME WHERE ID = :ID"_a);
  update.SetIgnoreLog(true);
  select.OpenQuery();
  int walked = 0;
  while (!select.Eof()) {
    update.ParamByName("NOME").SetAsString(select.FieldByName("NOME").AsString() + "+");
    update.ParamByName("ID").SetAsInteger(select.FieldByName("ID").AsInteger());
    update.ExecSQL();
    ++walked;
    select.NextRecord();
  }
  EXPECT_EQ(walked, 1200);
  EXPECT_EQ(select.RecordCount(), 1200);
  world.Transaction.Commit();
  EXPECT_EQ(world.Count("T"_a, "NOME = 'n' || ID || '+'"_a), "1200");
}

INSTANTIATE_TEST_SUITE_P(Paths, MorvantaDatasetExecPaths, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return testdb::PathName(info.param); });

// ---- The change log: kinds other than "other" are logged, unless IgnoreLog

TEST(MorvantaDatasetExecLog, IgnoreLogAndKindOtherKeepTheChangeLogOut) {
  DatasetWorld world;
  CreateTable(world);
  world.Db().Execute(
      "CREATE TABLE CONTROLLOG (CTL_ID INTEGER, DBA_CODIGO INTEGER, CTL_TABLE VARCHAR(60), CTL_USUARIO VARCHAR(30), "
      "CTL_DATAHORA TIMESTAMP, CTL_TPOPER CHAR(1), CTL_FORM VARCHAR(60), CTL_QUERY VARCHAR(60))");
  world.Db().Execute(
      "CREATE TABLE CONTROLLOGDET (CLD_ID INTEGER, CTL_ID INTEGER, CLD_FIELDNAME VARCHAR(60), "
      "CLD_FIELDTYPE VARCHAR(30), CLD_FIELDVALUE VARCHAR(500))");
  world.Db().Execute("CREATE GENERATOR GEN_LOG");
  world.Db().Execute("CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS BEGIN NID = GEN_ID(GEN_LOG, 1); SUSPEND; END");
  TMorvantaDatabase logConnection(nullptr);
  logConnection.ConfigureConnection("Interbase"_a, world.Db().Database(), world.Db().UserName(), world.Db().Password());
  logConnection.SetConnected(true);
  TMorvantaTransaction logTransaction(nullptr);
  logTransaction.SetDatabase(&logConnection);
  logTransaction.SetID(4712);
  logTransaction.SetTag(7);
  world.Transaction.SetTransactionLOG(&logTransaction);
  TComponent form(nullptr);  // frees the datasets, and their log objects, before the log connection goes
  form.SetName("frmLog");

  auto run = [&](const AnsiString& name, const AnsiString& sql, bool ignoreLog) {
    TMorvantaDataset& ds = world.Dataset(name, sql, &form);
    ds.SetIgnoreLog(ignoreLog);
    ds.ExecSQL();
  };
  run("qryIns"_a, "UPDATE T SET NOME = 'INSERT ' WHERE ID = 1"_a, false);
  run("qryUpd"_a, "UPDATE T SET NOME = 'upd' WHERE ID = 1"_a, false);
  run("qryDel"_a, "DELETE FROM T WHERE ID = 99"_a, false);
  run("qryOther"_a, "UPDATE\tT SET NOME = 'tab' WHERE ID = 1"_a, false);
  run("qryIgnored"_a, "UPDATE T SET NOME = 'ignorado' WHERE ID = 2"_a, true);
  run("qryIgnoredIns"_a, "INSERT INTO T (ID) VALUES (20)"_a, true);

  EXPECT_EQ(world.Db().QueryScalar("SELECT LIST(CTL_QUERY || '=' || CTL_TPOPER, ',') FROM "
                                   "(SELECT CTL_QUERY, CTL_TPOPER FROM CONTROLLOG ORDER BY CTL_ID)"),
            "qryIns=I,qryUpd=A,qryDel=E");
  EXPECT_EQ(world.Count("CONTROLLOG"_a, "DBA_CODIGO = 7 AND CTL_FORM = 'frmLog'"_a), "3");
  world.Transaction.SetTransactionLOG(nullptr);
}
