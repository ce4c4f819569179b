#include "morvanta/components/hooks/DiagnosticWindows.h"

#include <utility>

namespace morvanta {

namespace {
DiagnosticWindows& Windows() {
  static DiagnosticWindows windows;
  return windows;
}
}  // namespace

DiagnosticWindows InstallDiagnosticWindows(DiagnosticWindows windows) {
  return std::exchange(Windows(), std::move(windows));
}

const DiagnosticWindows& InstalledDiagnosticWindows() { return Windows(); }

}  // namespace morvanta
