#include "tests/support/ProgramRun.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <utility>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_;
};

// What the child does to its descriptors before the program starts.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Starts `program` with `arguments`; 0 when it could not be started.
pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments, SpawnActions& actions,
            const posix_spawnattr_t* attributes = nullptr) {
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), actions.Get(), attributes, argv.data(), environ) != 0) return 0;
  return pid;
}

// Waits for the process to end; with `stop`, it is sent the signal once the time has passed.
int WaitFor(pid_t pid, const std::optional<StopSignal>& stop) {
  int status = 0;
  if (!stop) {
    waitpid(pid, &status, 0);
    return status;
  }
  const auto deadline = Clock::now() + stop->after;
  bool ended = false;
  while (!(ended = waitpid(pid, &status, WNOHANG) == pid) && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (!ended) {
    kill(pid, stop->signal);
    waitpid(pid, &status, 0);
  }
  return status;
}

// The test's end of a pseudo-terminal and what it has received.
class Terminal {
 public:
  explicit Terminal(int master) : master_(master) {}
  int Master() const { return master_.Get(); }
  std::string Received;

  // Reads what the terminal receives while `more` holds, until the other end is closed or the
  // time is up.
  void ReadWhile(const std::function<bool()>& more, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (more() && Clock::now() < deadline) {
      pollfd fd{master_.Get(), POLLIN, 0};
      if (poll(&fd, 1, 20) <= 0) continue;
      char buffer[4096];
      const ssize_t got = read(master_.Get(), buffer, sizeof buffer);
      if (got <= 0) break;  // every copy of the terminal's other end is closed
      Received.append(buffer, static_cast<std::size_t>(got));
    }
  }
  void Close() { master_.Close(); }

 private:
  Descriptor master_;
};

std::string ReadFromStart(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t got;
  lseek(fd, 0, SEEK_SET);
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

// Waits for the prompt, answers it with Enter and waits for the end; the wait status.
int AnswerAndWait(pid_t pid, Terminal& terminal, const std::string& prompt, TerminalRun& run) {
  terminal.ReadWhile([&] { return terminal.Received.find(prompt) == std::string::npos; }, std::chrono::seconds(20));
  terminal.ReadWhile([] { return true; }, std::chrono::milliseconds(300));
  int status = 0;
  run.waitedForEnter = waitpid(pid, &status, WNOHANG) == 0;
  if (write(terminal.Master(), "\n", 1) != 1) ADD_FAILURE() << "could not answer the banner";
  bool ended = false;
  terminal.ReadWhile([&] { return !ended && !(ended = waitpid(pid, &status, WNOHANG) == pid); },
                     std::chrono::seconds(60));
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  terminal.ReadWhile([] { return true; }, std::chrono::milliseconds(50));  // what was still buffered
  return status;
}

// Starts the program with no standard input and its output streams in the two files.
pid_t SpawnWithFiles(const std::string& program, const std::vector<std::string>& arguments, const std::string& outPath,
                     const std::string& errPath) {
  SpawnActions actions;
  posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(actions.Get(), 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(actions.Get(), 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  return Spawn(program, arguments, actions);
}

ProgramResult ResultOf(int status, const std::string& outPath, const std::string& errPath) {
  ProgramResult result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  return result;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         std::optional<StopSignal> stop) {
  TempFolder folder;
  const std::string outPath = folder.File("out"), errPath = folder.File("err");
  const pid_t pid = SpawnWithFiles(program, arguments, outPath, errPath);
  if (pid == 0) {
    ProgramResult result;
    result.err = "could not start " + program;
    return result;
  }
  return ResultOf(WaitFor(pid, stop), outPath, errPath);
}

BackgroundRun::BackgroundRun(const std::string& program, const std::vector<std::string>& arguments) {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvanta-run-XXXXXX").string();
  folder_ = mkdtemp(pattern.data());
  pid_ = SpawnWithFiles(program, arguments, folder_ + "/out", folder_ + "/err");
  if (pid_ == 0) ADD_FAILURE() << "could not start " << program;
  ended_ = pid_ == 0;
}

BackgroundRun::~BackgroundRun() {
  if (!ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool BackgroundRun::Running() {
  if (!ended_) ended_ = waitpid(pid_, &status_, WNOHANG) == pid_;
  return !ended_;
}

void BackgroundRun::Signal(int signalNumber) {
  if (Running()) kill(pid_, signalNumber);
}

ProgramResult BackgroundRun::Wait(std::chrono::milliseconds limit) {
  if (!ended_) {
    status_ = WaitFor(pid_, StopSignal{limit, SIGKILL});
    ended_ = true;
  }
  return ResultOf(status_, folder_ + "/out", folder_ + "/err");
}

TerminalRun RunOnTerminal(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& prompt) {
  TerminalRun run;
  Terminal terminal(posix_openpt(O_RDWR | O_NOCTTY));
  if (terminal.Master() < 0 || grantpt(terminal.Master()) != 0 || unlockpt(terminal.Master()) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return run;
  }
  const std::string slave = ptsname(terminal.Master());
  TempFolder folder;
  Descriptor out(open(folder.File("out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
  pid_t pid = 0;
  {
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.Get(), 0, slave.c_str(), O_RDWR | O_NOCTTY, 0);
    posix_spawn_file_actions_adddup2(actions.Get(), out.Get(), 1);
    posix_spawn_file_actions_adddup2(actions.Get(), 0, 2);
    posix_spawn_file_actions_addclose(actions.Get(), out.Get());
    posix_spawn_file_actions_addclose(actions.Get(), terminal.Master());
    pid = Spawn(program, arguments, actions);
  }
  if (pid == 0) {
    ADD_FAILURE() << "could not start " << program;
    return run;
  }
  const int status = AnswerAndWait(pid, terminal, prompt, run);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  terminal.Close();
  run.terminal = std::move(terminal.Received);
  run.out = ReadFromStart(out.Get());
  return run;
}

TerminalSession::TerminalSession(const std::string& program, const std::vector<std::string>& arguments) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return;
  }
  const std::string slave = ptsname(master_);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);  // before the file actions
  SpawnActions actions;
  // Opened by the leader of a session without a terminal, it becomes the controlling terminal.
  posix_spawn_file_actions_addopen(actions.Get(), 0, slave.c_str(), O_RDWR, 0);
  posix_spawn_file_actions_adddup2(actions.Get(), 0, 1);
  posix_spawn_file_actions_adddup2(actions.Get(), 0, 2);
  posix_spawn_file_actions_addclose(actions.Get(), master_);
  pid_ = Spawn(program, arguments, actions, &attributes);
  posix_spawnattr_destroy(&attributes);
  if (pid_ == 0) ADD_FAILURE() << "could not start " << program;
}

TerminalSession::~TerminalSession() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
  if (master_ >= 0) ::close(master_);
}

void TerminalSession::Read(std::chrono::milliseconds limit, const std::function<bool()>& more) {
  const auto deadline = Clock::now() + limit;
  while (more() && Clock::now() < deadline) {
    if (!ended_ && waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, 20) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) {
      if (ended_) break;  // every copy of the other end is closed
      continue;
    }
    received_.append(buffer, static_cast<std::size_t>(got));
  }
}

bool TerminalSession::WaitForText(const std::string& text, std::chrono::milliseconds limit) {
  Read(limit, [&] { return received_.find(text) == std::string::npos && !ended_; });
  return received_.find(text) != std::string::npos;
}

void TerminalSession::Type(const std::string& keys) {
  if (write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) ADD_FAILURE() << "typing failed";
}

void TerminalSession::Signal(int signalNumber) { kill(pid_, signalNumber); }

ProgramResult TerminalSession::Wait(std::chrono::milliseconds limit) {
  Read(limit, [&] { return !ended_; });
  if (!ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    ended_ = true;
  }
  Read(std::chrono::milliseconds(50), [] { return true; });  // what was still buffered
  ProgramResult result;
  if (WIFEXITED(status_)) result.exitCode = WEXITSTATUS(status_);
  if (WIFSIGNALED(status_)) result.signal = WTERMSIG(status_);
  result.out = received_;
  return result;
}

std::string ObsmergePath() { return std::string(MORVANTA_BINARY_DIR) + "/bin/obsmerge"; }

std::string StoreRunnerPath() { return std::string(MORVANTA_BINARY_DIR) + "/bin/obsmerge-lojas"; }
