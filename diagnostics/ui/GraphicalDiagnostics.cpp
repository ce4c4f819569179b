#include "GraphicalDiagnostics.h"

#include "GraphicalInteraction.h"
#include "StatementDiagnostics.h"
#include "frmRecError.h"
#include "ufrmRecError.h"

void InstallGraphicalDiagnostics() {
  UseGraphicalInteraction();
  StatementDiagnostics services;
  services.IsDiagnosticMode = IsDiagnosticMode;
  services.WriteSQLTrace = WriteSQLTrace;
  services.ShowSQLError = ShowSQLErrorWindow;
  services.LastSQLText = [] { return LastSQLText; };
  InstallStatementDiagnostics(services);
}
