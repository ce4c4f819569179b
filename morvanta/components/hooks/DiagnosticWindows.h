#pragma once
// The windows a dataset opens itself: the query list viewer of its owner (the diagnostic-mode
// shortcut) and the data browser after an open. A graphical program installs them; without them
// these calls show nothing.

#include <functional>

namespace morvanta {

class TComponent;
class TMorvantaDataset;

struct DiagnosticWindows {
  std::function<void(TComponent& owner)> ShowQueryList;
  std::function<void(TMorvantaDataset& dataset)> ShowDataBrowser;
};

// Installs the windows and returns those installed before, so that they can be put back.
DiagnosticWindows InstallDiagnosticWindows(DiagnosticWindows windows);
const DiagnosticWindows& InstalledDiagnosticWindows();

}  // namespace morvanta
