#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/TempFolder.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteLines(const std::string& path, int count) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 1; i <= count; ++i) out << "line " << i << "\r\n";
}

int CountLines(const std::string& text) {
  int n = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') ++n;
  return n;
}

class SqlTraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SQLTraceFileName();
    SetSQLTraceFileName(AnsiString(folder_.File("trace/qry.sql")));
    SetLastSQLText({});
  }
  void TearDown() override {
    SetSQLTraceFileName(previous_);
    SetCommandLine(std::vector<AnsiString>{});
  }
  TSQLQuery& QueryWith(const char* sql) {
    query_.SQL().Clear();
    query_.SQL().Add(ToWide(sql));
    return query_;
  }
  TempFolder folder_;
  AnsiString previous_;
  TSQLQuery query_{nullptr};
};

}  // namespace

TEST_F(SqlTraceTest, EntryLayoutWithValuesWrittenIn) {
  TSQLQuery& q = QueryWith("SELECT * FROM T WHERE A = :A AND AB = :AB AND D = :D");
  q.Params().ParamByName("A").SetAsString("it's");
  q.Params().ParamByName("AB").SetAsInteger(12);
  q.Params().ParamByName("D").SetAsDateTime(EncodeDate(2007, 1, 5));
  WriteSQLTrace(q, "qryPedido"_a, "/lojas/loja.fdb"_a, "O"_a, ""_a);
  EXPECT_EQ(LastSQLText(), "SELECT * FROM T WHERE A = 'it''s' AND AB = '12' AND D = '5-jan-2007'\r\n");
  std::string file = ReadFile(SQLTraceFileName());
  std::string hyphens83(83, '-'), hyphens84(84, '-');
  ASSERT_EQ(file.rfind(hyphens83 + "\r\nMorvantaDataset: qryPedido Base: /lojas/loja.fdb Data/Hora: ", 0), 0u);
  EXPECT_NE(file.find(" Form: \r\n" + hyphens83 + "\r\n" + LastSQLText().Bytes() + "\r\n" + hyphens84 + "\r\n"),
            std::string::npos);
}

TEST_F(SqlTraceTest, RepeatedNamesTakeTheirOwnEntriesAndValuesAreNotRewritten) {
  TSQLQuery& q = QueryWith("UPDATE T SET A = :A, B = :B WHERE A = :A");
  q.Params()[0].SetAsString(":B first");
  q.Params()[1].SetAsString("b");
  q.Params()[2].SetAsString("second");
  WriteSQLTrace(q, "q"_a, ""_a, "O"_a, "f"_a);
  EXPECT_EQ(LastSQLText(), "UPDATE T SET A = ':B first', B = 'b' WHERE A = 'second'\r\n");
}

TEST_F(SqlTraceTest, ChangeLogStatementsAreKeptButNotWritten) {
  TSQLQuery& q = QueryWith("INSERT INTO CONTROLLOGDET (CLD_ID) VALUES (:CLD_ID)");
  q.Params()[0].SetAsInteger(3);
  WriteSQLTrace(q, "q"_a, ""_a, "O"_a, ""_a);
  EXPECT_EQ(LastSQLText(), "INSERT INTO CONTROLLOGDET (CLD_ID) VALUES ('3')\r\n");
  EXPECT_FALSE(std::filesystem::exists(SQLTraceFileName().Bytes()));
}

TEST_F(SqlTraceTest, TimeParameterShowsTheDayZero) {
  TSQLQuery& q = QueryWith("SELECT :T FROM RDB$DATABASE");
  q.Params()[0].SetDataType(ftTime);
  q.Params()[0].SetValue(TVariant::FromDateTime(EncodeTime(10, 0, 0, 0)));
  WriteSQLTrace(q, "q"_a, ""_a, "O"_a, ""_a);
  EXPECT_EQ(LastSQLText(), "SELECT '30-dez-1899' FROM RDB$DATABASE\r\n");
}

TEST_F(SqlTraceTest, FileAtTheLimitIsCutBeforeTheAppend) {
  std::filesystem::create_directories(folder_.Path() / "trace");
  WriteLines(SQLTraceFileName(), kSQLTraceMaxLines);
  TSQLQuery& q = QueryWith("SELECT 1 FROM RDB$DATABASE");
  WriteSQLTrace(q, "q"_a, ""_a, "O"_a, ""_a);
  std::string file = ReadFile(SQLTraceFileName());
  EXPECT_EQ(file.rfind("line 2\r\n", 0), 0u);              // the oldest line went
  EXPECT_EQ(CountLines(file), kSQLTraceMaxLines - 1 + 6);  // 99999 plus the six lines of the entry
}

TEST(TrimTextFile, KeepsAFileBelowTheLimitAndNormalisesLineEnds) {
  TempFolder folder;
  std::string path = folder.File("f.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "a\nb\rc\r\nd";
  }
  TrimTextFile(AnsiString(path), 5);
  EXPECT_EQ(ReadFile(path), "a\r\nb\r\nc\r\nd\r\n");
  TrimTextFile(AnsiString(path), 4);
  EXPECT_EQ(ReadFile(path), "b\r\nc\r\nd\r\n");
  TrimTextFile(AnsiString(folder.File("missing.txt")), 4);  // swallowed
}

TEST(SqlErrorReport, ShownOnlyInDiagnosticMode) {
  RecordingInteraction ui;
  TSQLQuery q(nullptr);
  q.SQL().Add(u"SELECT * FROM T WHERE A = :A AND B = :B AND C = :C");
  q.Params()[0].SetAsString("x");
  Exception error("falhou");

  SetCommandLine(std::vector<AnsiString>{"obsmerge"_a});
  EXPECT_FALSE(ShowSQLError(q, error, "frm"_a, "qry"_a, "unit"_a));
  SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-X"_a});
  EXPECT_FALSE(ShowSQLError(q, error, "frm"_a, "qry"_a, "unit"_a));
  EXPECT_TRUE(ui.Reports.empty());

  SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-q"_a});
  SetLastSQLText("SELECT 1"_a);
  EXPECT_TRUE(ShowSQLError(q, error, ""_a, "qry"_a, "uPedido"_a));
  ASSERT_EQ(ui.Reports.size(), 1u);
  const TModalReport& report = ui.Reports[0];
  EXPECT_EQ(report.Caption, "Reconciliação de SQL"_a);
  EXPECT_EQ(report.Fields[0].second, "");
  EXPECT_EQ(report.Fields[1].second, "uPedido");
  EXPECT_EQ(report.Fields[2].second, "qry");
  EXPECT_EQ(report.Fields[3].second, "falhou");
  EXPECT_EQ(report.Fields[4].second, "SELECT 1");
  EXPECT_EQ(report.TableHeader, (std::vector<AnsiString>{"Parametro"_a, "Valor"_a}));
  ASSERT_EQ(report.TableRows.size(), 3u);
  EXPECT_EQ(report.TableRows[0], (std::vector<AnsiString>{"A"_a, "x"_a}));
  EXPECT_EQ(report.TableRows[1], (std::vector<AnsiString>{"B"_a, ""_a}));
  SetCommandLine(std::vector<AnsiString>{});
}
