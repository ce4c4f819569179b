// The dataset's windows: the query list shortcut it gives its owner in diagnostic mode, the query
// list viewer and the data browser, reached through the windows a graphical program installed.

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/components/hooks/DiagnosticWindows.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/hooks/StatementDiagnostics.h"

namespace morvanta {

void TMorvantaDataset::AddQueryListAction() {
  if (!Owner() || !DiagnosticModeActive()) return;
  auto* list = new TActionList(Owner());
  auto* action = new TCustomAction(list);
  action->SetActionList(list);
  action->SetCaption(AnsiString("Teste"));
  action->SetShortCut(TextToShortCut("Ctrl+Shift+E"));
  action->SetEnabled(true);
  action->OnExecute = [this](TCustomAction&) { ShowQueryListForOwner(); };
  // The list runs this dataset's operation: it goes with the dataset (see the destructor).
  queryListActions_ = list;
  FreeNotification(list);
}

void TMorvantaDataset::RemoveQueryListAction() {
  if (!queryListActions_) return;
  TActionList* list = queryListActions_;
  queryListActions_ = nullptr;
  RemoveFreeNotification(list);
  delete list;
}

void TMorvantaDataset::ShowQueryListForOwner() {
  const DiagnosticWindows& windows = InstalledDiagnosticWindows();
  if (Owner() && windows.ShowQueryList) windows.ShowQueryList(*Owner());
}

void TMorvantaDataset::ShowDataBrowser() {
  const DiagnosticWindows& windows = InstalledDiagnosticWindows();
  if (windows.ShowDataBrowser) windows.ShowDataBrowser(*this);
  ShowDataOnOpen = false;
}

}  // namespace morvanta
