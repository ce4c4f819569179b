#pragma once
// How a program stops on Ctrl+C (SIGINT) and on a termination request (SIGTERM).
//
// Once a program has connected, the Firebird client library takes both signals for an engine
// shutdown of its own: the program then goes on running (and may go on to commit), or ends in a
// race with the library's exit handlers, and a connection it still uses fails. So every program
// creates one StopSignals at the start of main, before any connection, and keeps it until main
// returns. The library leaves neither mode to its own handling: with EndAtOnce the Firebird
// driver puts the program's handler back in front of the library's after every attachment
// (Reclaim); with Tell the library never gets the signals at all.
//
//   int main(int argc, char** argv) {
//     const StopSignals stop;  // Ctrl+C and SIGTERM end the process at once
//     ...
//   }
//
// StopOnSignal::EndAtOnce (the default) ends the process by the signal itself, as if no handler
// had been installed: the parent sees the signal in the exit status, and nothing runs any more
// (no destructor, no commit). A transaction left open is never committed: the server, or for an
// embedded database the next attachment, rolls it back.
//
// StopOnSignal::Tell is for a program that decides itself how to stop, such as a runner that
// supervises child processes: a signal only records its number and makes Descriptor() readable.
// The program polls Received(), or waits on Descriptor() with poll or select beside its other
// descriptors; then it stops its children, rolls back what it holds and ends, for example with
// EndAsReceived(), which ends the process the way the signal would have. Each signal writes one
// byte to the descriptor; Acknowledge() reads them away and forgets the signal. The two signals
// are blocked in the creating thread, and so in every thread started after it (the client
// library's too), and a thread of the StopSignals takes them: no system call of the program is
// interrupted. A child process inherits the blocked mask: a child made by fork gets the mask
// back before it runs anything, but one started with posix_spawn needs POSIX_SPAWN_SETSIGMASK
// with an empty mask (posix_spawnattr_setsigmask) to stop on the signals itself.
//
// One StopSignals at a time in a process, made by the main thread before any other thread. A
// signal that was ignored when it was created (nohup, a background job) stays ignored. The
// destructor gives back the handling found at creation.

#include <csignal>
#include <thread>

namespace morvanta {

enum class StopOnSignal { EndAtOnce, Tell };

class StopSignals {
 public:
  explicit StopSignals(StopOnSignal mode = StopOnSignal::EndAtOnce);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Tell: the first signal received since creation or the last Acknowledge (SIGINT or SIGTERM);
  // 0 while none came. Always 0 with EndAtOnce.
  int Received() const;
  // Tell: readable once a signal came, until Acknowledge; -1 with EndAtOnce.
  int Descriptor() const;
  // Tell: forgets the signals received so far and empties the descriptor.
  void Acknowledge();
  // Ends the process by the received signal (SIGTERM when none came), as if it had not been
  // handled.
  [[noreturn]] void EndAsReceived() const;

  // Makes the handler of the StopSignals in force, if any, the one the two signals reach again,
  // in front of a handler installed since (the client library's, at an attachment).
  static void Reclaim();

 private:
  StopOnSignal mode_;
  struct sigaction previous_[2];
  std::thread watcher_;  // Tell: takes the signals
};

}  // namespace morvanta
