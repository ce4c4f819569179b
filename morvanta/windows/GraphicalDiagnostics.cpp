#include "GraphicalDiagnostics.h"

#include "DataBrowser.h"
#include "DesignEditors.h"
#include "DiagnosticWindows.h"
#include "GraphicalInteraction.h"
#include "UserInteraction.h"
#include "frmRecError.h"
#include "FGenerator.h"
#include "frmListaQuery.h"
#include "DiagnosticMode.h"

namespace {

DiagnosticsOptions WindowReport() {
  DiagnosticsOptions options;
  options.ReportView = &ShowSQLErrorReportWindow;
  return options;
}

}  // namespace

GraphicalDiagnostics::GraphicalDiagnostics() : statements_(WindowReport()) {
  UseGraphicalInteraction();
  DiagnosticWindows windows;
  windows.ShowQueryList = [](TComponent& owner) { ShowQueryList(owner); };
  windows.ShowDataBrowser = [](TMorvantaDataset& dataset) { ShowDataBrowser(dataset); };
  InstallDiagnosticWindows(windows);
  InstallGeneratorFieldEditor(EditGeneratorField);
}

GraphicalDiagnostics::~GraphicalDiagnostics() {
  InstallGeneratorFieldEditor(nullptr);
  InstallDiagnosticWindows(DiagnosticWindows{});
  SetUserInteraction(nullptr);
}
