// obsmerge DATABASE [USER]: the observation merge program.

#include <cstdio>

#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/platform/core/Exceptions.h"
#include "programs/obsmerge/ObservationMerge.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/core/StopSignals.h"

using namespace morvanta;

namespace {

// The top-level report of an error that ends the process: its class and its message.
void ReportFatalError(const char* className, const AnsiString& message) {
  std::string text = std::string("Exception ") + className + ": " + ToSystem(message) + "\n";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C or SIGTERM ends the run at once: the open transaction never commits.
  const StopSignals stop;
  SetCommandLine(argc, argv);
  const DiagnosticsInstallation diagnostics;  // the console report; active with "-Q"
  try {
    return RunObservationMerge();
  } catch (const EAbort&) {
    return 1;  // the report was shown already; the silent abort still ends the run as a failure
  } catch (const Exception& error) {
    ReportFatalError(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    ReportFatalError("std::exception", FromSystem(error.what()));
  }
  return 1;
}
