#pragma once
// A request to stop the run, from Ctrl+C (SIGINT) or SIGTERM. The handlers must be installed
// before the first connection of the process: the Firebird client library takes both signals for
// itself once a program connects, and leaves alone a signal that already has a handler.
//
// The handler only sets a flag and writes one byte to a pipe, so that a loop waiting in poll()
// wakes up at once.

class StopRequest {
 public:
  // Installs the handlers (once per process). A signal the process was started to ignore (nohup,
  // a background job) stays ignored.
  static void Install();
  // Whether a stop was requested, and the signal that asked for it (0 when none).
  static bool Requested();
  static int Signal();
  // The end of the pipe to poll for reading; -1 before Install().
  static int WakeUpDescriptor();
  // Empties the pipe after a wake-up.
  static void Drain();
};

// For a child of the runner that connects to a database (a reading run): SIGINT and SIGTERM end
// the process at once, before the client library can take them over, so that the runner's stop
// and timeout reach it.
void EndAtOnceOnStopSignals();
