// Diagnostic mode reaches the datasets only while a program holds a diagnostics installation, and
// the installation decides how a failed statement's report is shown.

#include <gtest/gtest.h>

#include <optional>

#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/platform/framework/Runtime.h"
#include "tests/support/RecordingInteraction.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

namespace {

class DiagnosticsInstallationTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCommandLine(std::vector<AnsiString>{"obsmerge"_a, "-Q"_a}); }
  void TearDown() override {
    SetCommandLine(std::vector<AnsiString>{});
    SetLastSQLText({});
  }
  RecordingInteraction ui_;
  TSQLQuery query_{nullptr};
};

}  // namespace

TEST_F(DiagnosticsInstallationTest, DiagnosticModeIsOffWithoutAnInstallationAndBackOffAfterIt) {
  SetLastSQLText("SELECT 1"_a);
  EXPECT_FALSE(DiagnosticModeActive());
  EXPECT_EQ(LastTracedStatement(), "");
  EXPECT_FALSE(ShowStatementError(query_, Exception("falhou"), "frm"_a, "qry"_a, ""_a));
  {
    const DiagnosticsInstallation diagnostics;
    EXPECT_TRUE(DiagnosticModeActive());
    EXPECT_EQ(LastTracedStatement(), "SELECT 1");
    EXPECT_TRUE(ShowStatementError(query_, Exception("falhou"), "frm"_a, "qry"_a, ""_a));
    ASSERT_EQ(ui_.Reports.size(), 1u);  // the console report goes through the user interaction
    EXPECT_EQ(ui_.Reports[0].Fields[4].second, "SELECT 1");
  }
  EXPECT_FALSE(DiagnosticModeActive());
  EXPECT_EQ(LastTracedStatement(), "");
}

TEST_F(DiagnosticsInstallationTest, AnInstalledReportViewShowsTheReportUntilItsInstallationEnds) {
  struct Shown {
    AnsiString sqlText, formName, componentName, unitName, message;
  };
  std::optional<Shown> shown;
  DiagnosticsOptions options;
  options.ReportView = [&shown](TSQLQuery&, const Exception& error, const AnsiString& sqlText,
                                const AnsiString& formName, const AnsiString& componentName,
                                const AnsiString& unitName) {
    shown = Shown{sqlText, formName, componentName, unitName, error.Message()};
  };
  const DiagnosticsInstallation console;
  {
    const DiagnosticsInstallation window(options);
    SetLastSQLText("SELECT 2"_a);
    EXPECT_TRUE(ShowStatementError(query_, Exception("falhou"), "frmPedido"_a, "qryPedido"_a, "uPedido"_a));
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->sqlText, "SELECT 2");
    EXPECT_EQ(shown->formName, "frmPedido");
    EXPECT_EQ(shown->componentName, "qryPedido");
    EXPECT_EQ(shown->unitName, "uPedido");
    EXPECT_EQ(shown->message, "falhou");
    EXPECT_TRUE(ui_.Reports.empty());
  }
  // The enclosing installation, with the console report, is back.
  EXPECT_TRUE(ShowSQLError(query_, Exception("falhou"), ""_a, "qry"_a, ""_a));
  EXPECT_EQ(ui_.Reports.size(), 1u);
}

TEST_F(DiagnosticsInstallationTest, AReportViewThatFailsLeavesTheErrorToTheCaller) {
  DiagnosticsOptions options;
  options.ReportView = [](TSQLQuery&, const Exception&, const AnsiString&, const AnsiString&, const AnsiString&,
                          const AnsiString&) { throw Exception("sem janela"); };
  const DiagnosticsInstallation diagnostics(options);
  EXPECT_FALSE(ShowStatementError(query_, Exception("falhou"), "frm"_a, "qry"_a, ""_a));
}
