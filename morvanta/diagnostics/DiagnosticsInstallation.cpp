#include "morvanta/diagnostics/DiagnosticsInstallation.h"

#include <utility>

#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

DiagnosticsInstallation::DiagnosticsInstallation(DiagnosticsOptions options) {
  StatementDiagnostics services;
  services.IsDiagnosticMode = &IsDiagnosticMode;
  services.WriteSQLTrace = &WriteSQLTrace;
  services.ShowSQLError = &ShowSQLError;
  services.LastSQLText = &LastSQLText;
  previousReportView_ = InstallSqlErrorReportView(std::move(options.ReportView));
  previousServices_ = InstallStatementDiagnostics(services);
}

DiagnosticsInstallation::~DiagnosticsInstallation() {
  InstallStatementDiagnostics(previousServices_);
  InstallSqlErrorReportView(std::move(previousReportView_));
}

}  // namespace morvanta
