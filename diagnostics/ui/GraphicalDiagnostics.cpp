#include "GraphicalDiagnostics.h"

#include "DataBrowser.h"
#include "DesignEditors.h"
#include "DiagnosticWindows.h"
#include "GraphicalInteraction.h"
#include "StatementDiagnostics.h"
#include "frmRecError.h"
#include "uGenerator.h"
#include "uListaQuery.h"
#include "ufrmRecError.h"

void InstallGraphicalDiagnostics() {
  UseGraphicalInteraction();
  StatementDiagnostics services;
  services.IsDiagnosticMode = IsDiagnosticMode;
  services.WriteSQLTrace = WriteSQLTrace;
  services.ShowSQLError = ShowSQLErrorWindow;
  services.LastSQLText = [] { return LastSQLText; };
  InstallStatementDiagnostics(services);
  DiagnosticWindows windows;
  windows.ShowQueryList = [](TComponent& owner) { ShowQueryList(owner); };
  windows.ShowDataBrowser = [](TMorvantaDataset& dataset) { ShowDataBrowser(dataset); };
  InstallDiagnosticWindows(windows);
  InstallGeneratorFieldEditor(EditGeneratorField);
}
