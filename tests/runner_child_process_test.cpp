// A child of the runner stops on the runner's SIGTERM and SIGINT whatever the runner's own handling
// of them: blocked in the starting thread (the runner's threads, while its StopSignals tells it),
// or ignored (a runner started by nohup or as a background job).

#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>

#include <string>

#include "programs/obsmerge-lojas/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

enum class InTheRunner { Blocked, Ignored };

// The signal's handling in the calling thread while the object lives.
class SignalState {
 public:
  SignalState(int signalNumber, InTheRunner state) : signal_(signalNumber) {
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    pthread_sigmask(state == InTheRunner::Blocked ? SIG_BLOCK : SIG_UNBLOCK, &only, &mask_);
    struct sigaction ignore {};
    ignore.sa_handler = state == InTheRunner::Ignored ? SIG_IGN : SIG_DFL;
    sigaction(signalNumber, &ignore, &action_);
  }
  ~SignalState() {
    sigaction(signal_, &action_, nullptr);
    pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
  }

 private:
  int signal_;
  sigset_t mask_;
  struct sigaction action_;
};

}  // namespace

TEST(ChildProcessSignals, AChildEndsByTheStopSignalBlockedOrIgnoredInTheRunner) {
  const TempFolder folder;
  for (const int signalNumber : {SIGTERM, SIGINT}) {
    for (const InTheRunner state : {InTheRunner::Blocked, InTheRunner::Ignored}) {
      SCOPED_TRACE(std::string(strsignal(signalNumber)) + (state == InTheRunner::Blocked ? " blocked" : " ignored"));
      const SignalState runner(signalNumber, state);
      // Not stopped by the signal, it would sleep its time out and end with exit code 0.
      ChildProcess child("/bin/sleep", {"10"}, folder.File("out"), folder.File("log"));
      child.Send(signalNumber);
      const ChildEnd end = child.Wait();
      EXPECT_EQ(end.signal, signalNumber) << "exit code " << end.exitCode;
    }
  }
}
