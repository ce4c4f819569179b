#pragma once
// The diagnostic services the dataset calls around its statements: the diagnostic-mode switch,
// the statement trace and the error report. A program installs the real services at start
// (morvanta/diagnostics/DiagnosticsInstallation.h); until then diagnostic mode is off and every call does
// nothing.

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLQuery.h"

namespace morvanta {

struct StatementDiagnostics {
  bool (*IsDiagnosticMode)() = nullptr;
  // Renders the query's statement with its values, keeps it as the last statement text and, unless
  // it belongs to the change log, appends it to the trace file.
  void (*WriteSQLTrace)(TSQLQuery& query, const AnsiString& datasetName, const AnsiString& databaseName,
                        const AnsiString& kind, const AnsiString& formName) = nullptr;
  // Shows the error report in diagnostic mode; true when it was shown.
  bool (*ShowSQLError)(TSQLQuery& query, const Exception& error, const AnsiString& formName,
                       const AnsiString& componentName, const AnsiString& unitName) = nullptr;
  // The statement most recently rendered by the trace.
  const AnsiString& (*LastSQLText)() = nullptr;
};

// Installs the services and returns those installed before, so that they can be put back.
StatementDiagnostics InstallStatementDiagnostics(const StatementDiagnostics& services);

// The calls the dataset makes; each does nothing while no service is installed.
bool DiagnosticModeActive();
void WriteStatementTrace(TSQLQuery& query, const AnsiString& datasetName, const AnsiString& databaseName,
                         const AnsiString& kind, const AnsiString& formName);
bool ShowStatementError(TSQLQuery& query, const Exception& error, const AnsiString& formName,
                        const AnsiString& componentName, const AnsiString& unitName);
// The empty text while no service is installed.
const AnsiString& LastTracedStatement();

}  // namespace morvanta
