#pragma once
// What a graphical program holds from the start of main: message boxes as desktop windows, the
// error report as a window, and the query list viewer, the data browser and the generator picker
// behind the dataset's operations. Console programs hold a plain DiagnosticsInstallation instead.

#include "morvanta/diagnostics/DiagnosticsInstallation.h"

namespace morvanta {

class GraphicalDiagnostics {
 public:
  GraphicalDiagnostics();
  // Takes the windows out again and puts the console user interaction back.
  ~GraphicalDiagnostics();
  GraphicalDiagnostics(const GraphicalDiagnostics&) = delete;
  GraphicalDiagnostics& operator=(const GraphicalDiagnostics&) = delete;

 private:
  DiagnosticsInstallation statements_;
};

}  // namespace morvanta
