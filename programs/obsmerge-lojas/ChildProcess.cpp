#include "programs/obsmerge-lojas/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace {

ChildEnd EndOf(int status) {
  ChildEnd end;
  if (WIFEXITED(status)) end.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  return end;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& outputFile, const std::string& logFile)
    : started_(std::chrono::steady_clock::now()) {
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The stop signals at their defaults, even when the runner was started ignoring them (nohup, a
  // background job), so that the child's own handling of them applies and a stop reaches it.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &stopSignals);
  // No signal blocked: the runner's threads block the stop signals (a thread of its own takes
  // them), and the child would inherit that mask and never see the runner's stop or timeout.
  sigset_t noneBlocked;
  sigemptyset(&noneBlocked);
  posix_spawnattr_setsigmask(&attributes, &noneBlocked);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int failed = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("não foi possível iniciar " + program);
}

ChildProcess::~ChildProcess() {
  if (end_) return;
  Send(SIGKILL);
  Wait();
}

std::optional<ChildEnd> ChildProcess::Poll() {
  if (end_) return end_;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) end_ = EndOf(status);
  return end_;
}

void ChildProcess::Send(int signalNumber) {
  if (!end_) kill(pid_, signalNumber);
}

ChildEnd ChildProcess::Wait() {
  if (end_) return *end_;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  end_ = EndOf(status);
  return *end_;
}
