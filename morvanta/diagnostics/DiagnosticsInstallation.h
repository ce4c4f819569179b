#pragma once
// Diagnostic mode in a program: while an installation object lives, the datasets trace their
// statements and report failed ones in diagnostic mode (first argument "-Q"). A program holds one
// from the start of main; without it diagnostic mode stays off whatever the command line says.

#include "morvanta/diagnostics/SqlErrorReportView.h"
#include "morvanta/components/hooks/StatementDiagnostics.h"

namespace morvanta {

struct DiagnosticsOptions {
  // How a failed statement's report is shown; a graphical program gives its report window.
  SqlErrorReportView ReportView = &ShowConsoleSqlErrorReport;
};

class DiagnosticsInstallation {
 public:
  explicit DiagnosticsInstallation(DiagnosticsOptions options = {});
  // Puts back whatever was installed before this object.
  ~DiagnosticsInstallation();
  DiagnosticsInstallation(const DiagnosticsInstallation&) = delete;
  DiagnosticsInstallation& operator=(const DiagnosticsInstallation&) = delete;

 private:
  StatementDiagnostics previousServices_;
  SqlErrorReportView previousReportView_;
};

}  // namespace morvanta
