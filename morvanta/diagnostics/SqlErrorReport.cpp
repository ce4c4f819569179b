#include <utility>

#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/framework/UserInteraction.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

namespace {

AnsiString& LastSQLTextSlot() {
  static AnsiString text;
  return text;
}

SqlErrorReportView& ReportViewSlot() {
  static SqlErrorReportView view;
  return view;
}

}  // namespace

bool IsDiagnosticMode() { return AnsiUpperCase(ParamStr(1)) == "-Q"; }

const AnsiString& LastSQLText() { return LastSQLTextSlot(); }
void SetLastSQLText(AnsiString text) { LastSQLTextSlot() = std::move(text); }

void ShowConsoleSqlErrorReport(TSQLQuery& query, const Exception& error, const AnsiString& sqlText,
                               const AnsiString& formName, const AnsiString& componentName,
                               const AnsiString& unitName) {
  TModalReport report;
  report.Caption = "Reconciliação de SQL"_a;
  report.Fields = {{"Formulário:"_a, formName},
                   {"Unit:"_a, unitName},
                   {"Componente:"_a, componentName},
                   {"Erro:"_a, error.Message()},
                   {"SQL"_a, sqlText}};
  report.TableHeader = {"Parametro"_a, "Valor"_a};
  TParams& params = query.Params();
  for (int i = 0; i < params.Count(); ++i) report.TableRows.push_back({ToAnsi(params[i].Name()), params[i].AsString()});
  UserInteraction().ShowReport(report);
}

const SqlErrorReportView& CurrentSqlErrorReportView() {
  static const SqlErrorReportView kConsole = &ShowConsoleSqlErrorReport;
  const SqlErrorReportView& installed = ReportViewSlot();
  return installed ? installed : kConsole;
}

SqlErrorReportView InstallSqlErrorReportView(SqlErrorReportView view) {
  return std::exchange(ReportViewSlot(), std::move(view));
}

bool ShowSQLError(TSQLQuery& query, const Exception& error, const AnsiString& formName, const AnsiString& componentName,
                  const AnsiString& unitName) {
  bool shown = false;
  if (!IsDiagnosticMode()) return shown;
  try {
    CurrentSqlErrorReportView()(query, error, LastSQLText(), formName, componentName, unitName);
    shown = true;
  } catch (...) {
    // A report that cannot be shown leaves the error to the caller's usual handling.
  }
  return shown;
}

}  // namespace morvanta
