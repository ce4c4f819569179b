#include "morvanta/windows/GraphicalDiagnostics.h"

#include "morvanta/windows/DataBrowser.h"
#include "morvanta/components/hooks/DesignEditors.h"
#include "morvanta/components/hooks/DiagnosticWindows.h"
#include "morvanta/platform/ui/GraphicalInteraction.h"
#include "morvanta/platform/framework/UserInteraction.h"
#include "morvanta/windows/frmRecError.h"
#include "morvanta/windows/FGenerator.h"
#include "morvanta/windows/frmListaQuery.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

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

}  // namespace morvanta
