#pragma once
// The user-interaction service of a graphical program: modal message boxes and reports as desktop
// windows, and the processing of pending window messages through the toolkit.

#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

class TGraphicalInteraction : public TUserInteraction {
 public:
  void ShowMessage(const AnsiString& text) override;
  void ShowReport(const TModalReport& report) override;
  // A question box with "Sim" and "Não" (the default, also Escape and the frame's close button).
  bool Confirm(const AnsiString& question) override;
  void ProcessMessages() override;
};

// Makes the graphical service the program's user interaction (for the rest of the process).
void UseGraphicalInteraction();

}  // namespace morvanta
