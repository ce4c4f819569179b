#include "morvanta/components/hooks/StatementDiagnostics.h"

#include <utility>

namespace morvanta {

namespace {
StatementDiagnostics gServices;
}  // namespace

StatementDiagnostics InstallStatementDiagnostics(const StatementDiagnostics& services) {
  return std::exchange(gServices, services);
}

bool DiagnosticModeActive() { return gServices.IsDiagnosticMode && gServices.IsDiagnosticMode(); }

void WriteStatementTrace(TSQLQuery& query, const AnsiString& datasetName, const AnsiString& databaseName,
                         const AnsiString& kind, const AnsiString& formName) {
  if (gServices.WriteSQLTrace) gServices.WriteSQLTrace(query, datasetName, databaseName, kind, formName);
}

bool ShowStatementError(TSQLQuery& query, const Exception& error, const AnsiString& formName,
                        const AnsiString& componentName, const AnsiString& unitName) {
  return gServices.ShowSQLError && gServices.ShowSQLError(query, error, formName, componentName, unitName);
}

const AnsiString& LastTracedStatement() {
  static const AnsiString kNone;
  return gServices.LastSQLText ? gServices.LastSQLText() : kNone;
}

}  // namespace morvanta
