// The dataset in diagnostic mode, on real Firebird databases: every statement is traced to the
// trace file and kept in LastSQL, a failing open or delete shows the error report once and ends
// with the silent abort; outside diagnostic mode nothing is shown or written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/Runtime.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/PinnedClock.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/TempFolder.h"
#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

using testdb::DatasetWorld;

namespace {

// A form of the application, declared in its own unit.
class TfrmPedido : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TfrmPedido"; }
  const char* UnitName() const override { return "uPedido"; }
};

const std::string kHyphens83(83, '-');
const std::string kHyphens84(84, '-');

struct TraceEntry {
  std::string header;
  std::string statement;  // the rendered text, with the line break after each of its lines
};

// Splits a trace file into its entries, failing the test where the layout is not kept.
std::vector<TraceEntry> ReadTrace(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<TraceEntry> entries;
  std::size_t pos = 0;
  while (pos < file.size()) {
    const std::string open = kHyphens83 + "\r\n";
    if (file.compare(pos, open.size(), open) != 0) {
      ADD_FAILURE() << "an entry must begin with 83 hyphens at " << pos;
      break;
    }
    pos += open.size();
    std::size_t headerEnd = file.find("\r\n", pos);
    TraceEntry entry;
    entry.header = file.substr(pos, headerEnd - pos);
    pos = headerEnd + 2;
    if (file.compare(pos, open.size(), open) != 0) {
      ADD_FAILURE() << "the header must be followed by 83 hyphens";
      break;
    }
    pos += open.size();
    const std::string close = "\r\n" + kHyphens84 + "\r\n";
    std::size_t end = file.find(close, pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "an entry must end with 84 hyphens";
      break;
    }
    // The statement, each line with its line break; the further line break before the closing
    // hyphens leaves an empty line.
    entry.statement = file.substr(pos, end - pos);
    if (entry.statement.size() < 2 || entry.statement.compare(entry.statement.size() - 2, 2, "\r\n") != 0)
      ADD_FAILURE() << "the statement must be followed by an empty line: " << entry.statement;
    entries.push_back(entry);
    pos = end + close.size();
  }
  return entries;
}

const AnsiString& FieldOf(const TModalReport& report, const AnsiString& label) {
  for (const auto& field : report.Fields)
    if (field.first == label) return field.second;
  static const AnsiString kMissing = "<missing>"_a;
  return kMissing;
}

// A one-line statement as the internal query holds it: the prepared text keeps the line break of
// the dataset's SQL line, and the query's text adds its own.
AnsiString AsHeld(const AnsiString& line) { return line + "\r\n\r\n"; }

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class MorvantaDatasetDiagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    previousTrace_ = SQLTraceFileName();
    SetSQLTraceFileName(AnsiString(folder_.File("trace/qry.sql")));
    SetLastSQLText({});
    SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-Q"_a});
    world_.CreateNumberedTable(3);
    world_.Db().Execute("ALTER TABLE T ADD OBS BLOB SUB_TYPE TEXT");
  }
  void TearDown() override {
    SetSQLTraceFileName(previousTrace_);
    SetCommandLine(std::vector<AnsiString>{});
    SetLastSQLText({});
  }
  std::string TracePath() const { return SQLTraceFileName(); }

  DiagnosticsInstallation diagnostics_;
  TempFolder folder_;
  AnsiString previousTrace_;
  DatasetWorld world_;
  RecordingInteraction ui_;
};

}  // namespace

TEST_F(MorvantaDatasetDiagnostics, AFailingOpenShowsTheReportOnceAndEndsWithTheSilentAbort) {
  TfrmPedido form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& ds = world_.Dataset("qryPedido"_a, "SELECT * FROM NAOEXISTE WHERE ID = :ID"_a, &form);
  ds.ParamByName("ID").SetAsInteger(5);
  int attempts = 0;
  for (const char* flag : {"-Q", "-q"}) {
    for (bool ignorarErro : {false, true}) {
      SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, AnsiString(flag)});
      ds.SetIgnorarErro(ignorarErro);
      try {
        ds.OpenQuery();
        ADD_FAILURE() << "the open must fail";
      } catch (const EAbort& abort) {
        EXPECT_STREQ(abort.ClassName(), "EAbort");
      } catch (const Exception& error) {
        ADD_FAILURE() << "expected the silent abort, got " << error.Message();
      }
      ++attempts;
      EXPECT_EQ(ui_.Reports.size(), static_cast<std::size_t>(attempts)) << flag;
      EXPECT_FALSE(ds.Active());
      EXPECT_FALSE(ds.InternalInsert());
    }
  }
  EXPECT_TRUE(ui_.Messages.empty());  // no box besides the report

  const AnsiString rendered = AsHeld("SELECT * FROM NAOEXISTE WHERE ID = '5'"_a);
  const TModalReport& report = ui_.Reports.back();
  EXPECT_EQ(report.Caption, "Reconciliação de SQL"_a);
  EXPECT_EQ(FieldOf(report, "Formulário:"_a), "frmPedido");
  EXPECT_EQ(FieldOf(report, "Unit:"_a), "uPedido");
  EXPECT_EQ(FieldOf(report, "Componente:"_a), "qryPedido");
  EXPECT_NE(FieldOf(report, "Erro:"_a).find("NAOEXISTE"), AnsiString::npos);
  EXPECT_EQ(FieldOf(report, "SQL"_a), rendered);
  EXPECT_EQ(report.TableHeader, (std::vector<AnsiString>{"Parametro"_a, "Valor"_a}));
  EXPECT_EQ(report.TableRows, (std::vector<std::vector<AnsiString>>{{"ID"_a, "5"_a}}));
  EXPECT_EQ(ds.LastSQL, ToWide(rendered));

  std::vector<TraceEntry> entries = ReadTrace(TracePath());
  ASSERT_EQ(entries.size(), 4u);  // traced just before it failed, every time
  EXPECT_EQ(entries[0].statement, rendered);
  EXPECT_TRUE(EndsWith(entries[0].header, " Form: frmPedido")) << entries[0].header;
}

TEST_F(MorvantaDatasetDiagnostics, EveryStatementIsTracedWithTheEntryLayout) {
  PinnedClock clock(TimeOfDay(10, 20, 30, 0));
  TfrmPedido form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& ds = world_.Dataset("qryT"_a, "SELECT ID, NOME FROM T WHERE ID <= :ID ORDER BY ID"_a, &form);
  ds.ParamByName("ID").SetAsInteger(2);
  ds.OpenQuery();
  std::vector<AnsiString> traced{ToAnsi(ds.LastSQL)};

  TMorvantaDataset& exec = world_.Dataset("qryExec"_a, "UPDATE T SET NOME = :NOME, OBS = :OBS WHERE ID = :ID"_a, &form);
  exec.ParamByName("NOME").SetAsString("novo");
  exec.ParamByName("OBS").SetAsBlob("it's a blob");
  exec.ParamByName("ID").SetAsInteger(1);
  exec.ExecSQL();
  traced.push_back(ToAnsi(exec.LastSQL));

  ds.DeleteSQL().SetText("DELETE FROM T WHERE ID = :ID");
  ds.DeleteRow();
  traced.push_back(ToAnsi(ds.LastSQL));

  EXPECT_EQ(traced[0], AsHeld("SELECT ID, NOME FROM T WHERE ID <= '2' ORDER BY ID"_a));
  EXPECT_EQ(traced[1], AsHeld("UPDATE T SET NOME = 'novo', OBS = 'it''s a blob' WHERE ID = '1'"_a));
  EXPECT_EQ(traced[2], AsHeld("DELETE FROM T WHERE ID = '1'"_a));
  EXPECT_EQ(LastSQLText(), traced[2]);

  std::vector<TraceEntry> entries = ReadTrace(TracePath());
  ASSERT_EQ(entries.size(), 3u);
  const char* names[] = {"qryT", "qryExec", "qryT"};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].statement, traced[i]) << i;
    const std::string& header = entries[i].header;
    EXPECT_TRUE(StartsWith(header, std::string("MorvantaDataset: ") + names[i] +
                                       " Base: " + world_.Db().Database().Bytes() + " Data/Hora: "))
        << header;
    EXPECT_NE(header.find("-10:20:30"), std::string::npos) << header;
    EXPECT_TRUE(EndsWith(header, " Form: frmPedido")) << header;
  }
}

TEST_F(MorvantaDatasetDiagnostics, AFailingDeleteShowsTheReportOnceWithoutUnitAndKeepsTheRow) {
  TfrmPedido form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& ds = world_.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a, &form);
  ds.OpenQuery();
  ds.SetRecNo(2);
  ds.DeleteSQL().SetText("DELETE FROM NAOEXISTE WHERE ID = :ID");
  int afterDelete = 0;
  ds.AfterDelete = [&](TDataSet&) { ++afterDelete; };
  EXPECT_THROW(ds.DeleteRow(), EAbort);
  ASSERT_EQ(ui_.Reports.size(), 1u);
  EXPECT_TRUE(ui_.Messages.empty());
  const TModalReport& report = ui_.Reports[0];
  EXPECT_EQ(FieldOf(report, "Formulário:"_a), "frmPedido");
  EXPECT_EQ(FieldOf(report, "Unit:"_a), "");
  EXPECT_EQ(FieldOf(report, "Componente:"_a), "qryT");
  EXPECT_EQ(FieldOf(report, "SQL"_a), AsHeld("DELETE FROM NAOEXISTE WHERE ID = '2'"_a));
  EXPECT_EQ(report.TableRows, (std::vector<std::vector<AnsiString>>{{"ID"_a, "2"_a}}));
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(afterDelete, 0);
  EXPECT_FALSE(ds.Deleting);
  EXPECT_EQ(ReadTrace(TracePath()).size(), 2u);  // the select and the delete
}

TEST_F(MorvantaDatasetDiagnostics, AFailingExecSQLIsTracedButNotReported) {
  TMorvantaDataset& ds = world_.Dataset("qryT"_a, "INSERT INTO T (ID) VALUES (:ID)"_a);
  ds.ParamByName("ID").SetAsInteger(1);  // the key exists
  try {
    ds.ExecSQL();
    ADD_FAILURE() << "the insert must fail";
  } catch (const EAbort&) {
    ADD_FAILURE() << "ExecSQL never ends silently";
  } catch (const Exception& error) {
    EXPECT_TRUE(StartsWith(error.Message(), "Erro de ExecSQL em .qryT ")) << error.Message();
  }
  EXPECT_TRUE(ui_.Reports.empty());
  std::vector<TraceEntry> entries = ReadTrace(TracePath());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].statement, AsHeld("INSERT INTO T (ID) VALUES ('1')"_a));
  EXPECT_TRUE(EndsWith(entries[0].header, " Form: ")) << entries[0].header;  // no owner
}

TEST_F(MorvantaDatasetDiagnostics, AFailureBeforeTheTraceShowsThePreviousStatement) {
  TMorvantaDataset& first = world_.Dataset("qryA"_a, "SELECT ID FROM T"_a);
  first.OpenQuery();
  TMorvantaDataset& blank = world_.Dataset("qryB"_a, "  "_a);
  EXPECT_THROW(blank.OpenQuery(), EAbort);
  ASSERT_EQ(ui_.Reports.size(), 1u);
  EXPECT_EQ(FieldOf(ui_.Reports[0], "Erro:"_a), "Erro: .qryB Sem SQL");
  EXPECT_EQ(FieldOf(ui_.Reports[0], "SQL"_a), AsHeld("SELECT ID FROM T"_a));
  EXPECT_EQ(FieldOf(ui_.Reports[0], "Formulário:"_a), "");
  EXPECT_EQ(FieldOf(ui_.Reports[0], "Unit:"_a), "");
}

TEST_F(MorvantaDatasetDiagnostics, OutsideDiagnosticModeNothingIsShownOrWritten) {
  TfrmPedido form(nullptr);
  form.SetName("frmPedido");
  TMorvantaDataset& ds = world_.Dataset("qryT"_a, "SELECT ID FROM T ORDER BY ID"_a, &form);
  TMorvantaDataset& failing = world_.Dataset("qryF"_a, "SELECT ID FROM NAOEXISTE"_a, &form);
  failing.SetIgnorarErro(true);
  ds.DeleteSQL().SetText("DELETE FROM NAOEXISTE WHERE ID = :ID");
  const std::vector<std::vector<AnsiString>> commandLines = {
      {"obsmerge"_a}, {"obsmerge"_a, "-X"_a}, {"obsmerge"_a, "-QQ"_a}, {"obsmerge"_a, "loja.fdb"_a, "-Q"_a}};
  for (const auto& commandLine : commandLines) {
    SetCommandLine(commandLine);
    ds.OpenQuery();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_TRUE(ds.LastSQL.empty());
    try {
      failing.OpenQuery();
      ADD_FAILURE() << "the open must fail";
    } catch (const EAbort&) {
      ADD_FAILURE() << "no silent abort outside diagnostic mode";
    } catch (const Exception& error) {
      EXPECT_NE(error.Message().find("NAOEXISTE"), AnsiString::npos);
    }
    try {
      ds.DeleteRow();
      ADD_FAILURE() << "the delete must fail";
    } catch (const EAbort&) {
      ADD_FAILURE() << "no silent abort outside diagnostic mode";
    } catch (const Exception&) {
    }
    EXPECT_TRUE(failing.LastSQL.empty());
  }
  EXPECT_TRUE(ui_.Reports.empty());
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_TRUE(LastSQLText().empty());
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "trace"));

  // The mode is read afresh at every use.
  SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-q"_a});
  ds.OpenQuery();
  EXPECT_EQ(ToAnsi(ds.LastSQL), AsHeld("SELECT ID FROM T ORDER BY ID"_a));
  EXPECT_EQ(ReadTrace(TracePath()).size(), 1u);
}
