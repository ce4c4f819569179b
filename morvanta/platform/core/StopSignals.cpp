#include "morvanta/platform/core/StopSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

namespace {

constexpr int kSignals[2] = {SIGINT, SIGTERM};

// Tell: the first signal taken by the watcher thread, and the pipe it writes a byte to per signal.
std::atomic<int> received{0};
int pipeEnds[2] = {-1, -1};
// The signals the StopSignals in force handles (not those it found ignored).
bool handled[2] = {false, false};
bool handlerInForce = false;
// Tell: the signals are blocked in every thread started after the StopSignals and taken by its
// watcher thread; the mask the creating thread had before, which a forked child gets back.
sigset_t maskBefore;
std::atomic<bool> watching{false};

[[noreturn]] void EndBy(int signalNumber) {
  std::signal(signalNumber, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signalNumber);
  // Blocked while a handler of it runs: delivered when the handler returns; in case it is not,
  // the status a shell gives a process ended by the signal.
  _exit(128 + signalNumber);
}

// The C library's callbacks: C linkage, and static so that their names stay this file's.
extern "C" {
static void OnStopSignal(int signalNumber) {
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);  // delivered as soon as the handler returns
}

static void RestoreMaskInChild() {
  if (watching) pthread_sigmask(SIG_SETMASK, &maskBefore, nullptr);
}
}

sigset_t HandledSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int i = 0; i < 2; ++i)
    if (handled[i]) sigaddset(&set, kSignals[i]);
  return set;
}

// Takes the blocked signals one by one until the StopSignals goes.
void Watch() {
  const sigset_t set = HandledSet();
  const timespec tick{0, 100 * 1000 * 1000};
  while (watching) {
    const int signalNumber = sigtimedwait(&set, nullptr, &tick);
    if (signalNumber <= 0) continue;
    int none = 0;
    received.compare_exchange_strong(none, signalNumber);
    const char byte = static_cast<char>(signalNumber);
    if (write(pipeEnds[1], &byte, 1) < 0) {
      // The pipe is full: enough bytes are waiting to wake the program.
    }
  }
}

void OpenPipe() {
  if (pipe(pipeEnds) != 0) throw Exception("StopSignals: no pipe for the signals");
  for (int end : pipeEnds) {
    fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    fcntl(end, F_SETFD, FD_CLOEXEC);
  }
}

void InstallHandler(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, nullptr);
}

bool HandlerInstalled(int signalNumber) {
  struct sigaction current {};
  sigaction(signalNumber, nullptr, &current);
  return current.sa_handler == OnStopSignal;
}

void ClosePipe() {
  for (int& end : pipeEnds) {
    if (end >= 0) close(end);
    end = -1;
  }
}

}  // namespace

StopSignals::StopSignals(StopOnSignal mode) : mode_(mode) {
  received = 0;
  for (int i = 0; i < 2; ++i) {
    sigaction(kSignals[i], nullptr, &previous_[i]);
    handled[i] = previous_[i].sa_handler != SIG_IGN;  // started to ignore it: it stays ignored
  }
  if (mode_ == StopOnSignal::EndAtOnce) {
    for (int i = 0; i < 2; ++i)
      if (handled[i]) InstallHandler(kSignals[i]);
    handlerInForce = true;
    return;
  }
  OpenPipe();
  static const bool forkHandler = pthread_atfork(nullptr, nullptr, RestoreMaskInChild) == 0;
  (void)forkHandler;
  const sigset_t set = HandledSet();
  pthread_sigmask(SIG_BLOCK, &set, &maskBefore);
  watching = true;
  watcher_ = std::thread(Watch);
}

void StopSignals::Reclaim() {
  if (!handlerInForce) return;
  for (int i = 0; i < 2; ++i)
    if (handled[i] && !HandlerInstalled(kSignals[i])) InstallHandler(kSignals[i]);
}

StopSignals::~StopSignals() {
  if (mode_ == StopOnSignal::EndAtOnce) {
    handlerInForce = false;
    for (int i = 0; i < 2; ++i)
      if (handled[i] && HandlerInstalled(kSignals[i])) sigaction(kSignals[i], &previous_[i], nullptr);
    return;
  }
  watching = false;
  watcher_.join();
  pthread_sigmask(SIG_SETMASK, &maskBefore, nullptr);
  ClosePipe();
}

int StopSignals::Received() const { return mode_ == StopOnSignal::Tell ? received.load() : 0; }

int StopSignals::Descriptor() const { return mode_ == StopOnSignal::Tell ? pipeEnds[0] : -1; }

void StopSignals::Acknowledge() {
  if (mode_ != StopOnSignal::Tell) return;
  received = 0;
  char buffer[64];
  while (read(pipeEnds[0], buffer, sizeof buffer) > 0) {
  }
}

void StopSignals::EndAsReceived() const { EndBy(received != 0 ? received.load() : SIGTERM); }

}  // namespace morvanta
