// obsmerge DATABASE [USER]: the observation merge program.

#include <signal.h>

#include <csignal>
#include <cstdio>

#include "DiagnosticsInstallation.h"
#include "Exceptions.h"
#include "ObservationMerge.h"
#include "Runtime.h"

namespace {

// The top-level report of an error that ends the process: its class and its message.
void ReportFatalError(const char* className, const AnsiString& message) {
  std::string text = std::string("Exception ") + className + ": " + ToSystem(message) + "\n";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

// An interrupt (Ctrl+C) or a termination request ends the process at once, exactly as a kill does:
// the open transaction never commits, and the database rolls it back. Left to the Firebird client
// library, these signals start an engine shutdown on a thread of its own, which races with the
// program's exit (now and then a crash in the engine's exit handlers) and, early in the run, is
// lost altogether, so that the run goes on to commit. The library leaves a signal to a handler
// that was installed before it.
void EndAtOnce(int signalNumber) {
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

void EndAtOnceOnInterrupt() {
  for (int signalNumber : {SIGINT, SIGTERM}) {
    struct sigaction current {};
    sigaction(signalNumber, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;  // started to ignore it (nohup, background job)
    std::signal(signalNumber, EndAtOnce);
  }
}

}  // namespace

int main(int argc, char** argv) {
  EndAtOnceOnInterrupt();
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
