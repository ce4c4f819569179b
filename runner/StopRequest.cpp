#include "StopRequest.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t requestedBy = 0;
int pipeEnds[2] = {-1, -1};

void OnStopSignal(int signalNumber) {
  requestedBy = signalNumber;
  if (pipeEnds[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);  // full pipe: already awake
  }
}

}  // namespace

void StopRequest::Install() {
  if (pipeEnds[0] >= 0) return;
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) pipeEnds[0] = pipeEnds[1] = -1;
  for (int signalNumber : {SIGINT, SIGTERM}) {
    struct sigaction current {};
    sigaction(signalNumber, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
  }
}

bool StopRequest::Requested() { return requestedBy != 0; }
int StopRequest::Signal() { return requestedBy; }
int StopRequest::WakeUpDescriptor() { return pipeEnds[0]; }

void StopRequest::Drain() {
  char buffer[64];
  while (pipeEnds[0] >= 0 && read(pipeEnds[0], buffer, sizeof buffer) > 0) {
  }
}

void EndAtOnceOnStopSignals() {
  for (int signalNumber : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    // A handler of its own (the library leaves a signal alone only then) that ends the process
    // as the signal's default would: reset to the default on entry, and raised again.
    action.sa_handler = [](int caught) { raise(caught); };
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}
