#include "programs/obsmerge-lojas/StoreJob.h"

#include <signal.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "programs/obsmerge-lojas/ReadingHelper.h"
#include "programs/obsmerge-lojas/StoreFileName.h"

using namespace morvanta;

namespace {

constexpr std::size_t kLongestError = 400;

std::string ReadFrom(const std::filesystem::path& file, std::uintmax_t offset) {
  std::ifstream in(file, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uintmax_t SizeOf(const std::filesystem::path& file) {
  std::error_code ignored;
  const std::uintmax_t size = std::filesystem::file_size(file, ignored);
  return size == static_cast<std::uintmax_t>(-1) ? 0 : size;
}

// The first error in a child's part of the log, after the merge's banner, on one line: its first
// line with the lines of the database's message that continue it ("-Table unknown").
std::string FirstError(const std::string& log) {
  std::istringstream lines(log);
  std::string line, error;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!error.empty()) {
      if (line.rfind("-", 0) != 0) break;
      error += " " + line;
      continue;
    }
    if (line.rfind("DB: ", 0) == 0 || line.rfind("Usuario: ", 0) == 0 || line.rfind("--- ", 0) == 0) continue;
    if (line.find_first_not_of(" \t") != std::string::npos) error = line;
  }
  return error.size() > kLongestError ? error.substr(0, kLongestError - 3) + "..." : error;
}

// "2026-03-14 09:26:53", for the marks between the runs in a store's log.
std::string LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

StoreJob::StoreJob(const StoreEntry& entry, const JobSettings& settings)
    : settings_(settings), fileName_(StoreFileName(entry.store)) {
  record_.store = entry.store;
  record_.database = entry.database;
  record_.user = entry.user;
}

StoreJob::~StoreJob() = default;

void StoreJob::Start() {
  started_ = Clock::now();
  Launch(settings_.mode == RunMode::Preview ? Stage::Preview : Stage::CountBefore);
}

const char* StoreJob::StageName() const {
  switch (stage_) {
    case Stage::CountBefore:
      return "contando";
    case Stage::Merge:
      return "mesclando";
    case Stage::CountAfter:
      return "conferindo";
    case Stage::Preview:
      return "lendo";
    case Stage::Finished:
      return "pronta";
  }
  return "";
}

void StoreJob::Launch(Stage stage) {
  stage_ = stage;
  const std::filesystem::path log = LogFile();
  const std::string database = ToSystem(record_.database), user = ToSystem(record_.user);
  std::string program = settings_.self;
  std::vector<std::string> arguments;
  if (stage == Stage::Merge) {
    program = settings_.obsmerge;
    arguments = {database, user};
  } else if (stage == Stage::Preview) {
    arguments = {kPreviewRowsOption, database, user, std::to_string(settings_.sampleRows)};
  } else {
    arguments = {kCountRowsOption, database, user};
  }
  std::ofstream(log, std::ios::app) << "--- " << LocalTime() << " " << StageName() << " ---\n";
  logOffset_ = SizeOf(log);
  stopSent_ = timedOut_ = false;
  deadline_ = settings_.timeout ? Clock::now() + *settings_.timeout : Clock::time_point::max();
  try {
    child_ = std::make_unique<ChildProcess>(program, arguments, OutputFile().string(), log.string());
  } catch (const std::exception& error) {
    child_.reset();
    record_.status = StoreStatus::Failed;
    record_.error = FromSystem(error.what());
    Finish();
  }
}

bool StoreJob::Poll(Clock::time_point now) {
  if (stage_ == Stage::Finished) return true;
  if (const auto end = child_->Poll()) {
    StageEnded(*end);
    return stage_ == Stage::Finished;
  }
  if (!stopSent_ && now >= deadline_) {
    timedOut_ = true;
    SendStop(now);
  } else if (stopSent_ && now >= killAt_) {
    child_->Send(SIGKILL);
  }
  return false;
}

void StoreJob::Interrupt(Clock::time_point now) {
  if (stage_ == Stage::Finished || interrupted_) return;
  interrupted_ = true;
  if (!stopSent_) SendStop(now);
}

void StoreJob::SendStop(Clock::time_point now) {
  stopSent_ = true;
  child_->Send(SIGTERM);
  killAt_ = now + settings_.grace;
}

std::optional<MergePreview> StoreJob::ReadingResult(const ChildEnd& end) {
  if (end.exitCode != 0) return std::nullopt;
  return ParseReadingOutput(ReadFrom(OutputFile(), 0));
}

AnsiString StoreJob::FirstErrorText(const ChildEnd& end) const {
  if (timedOut_) return "tempo esgotado (--timeout " + IntToStr(settings_.timeout->count()) + " s), processo parado";
  const std::string line = FirstError(ReadFrom(LogFile(), logOffset_));
  if (!line.empty()) return FromSystem(line);
  if (end.signal != 0) return "terminado pelo sinal " + IntToStr(end.signal);
  return "terminou com o código "_a + IntToStr(end.exitCode);
}

void StoreJob::StageEnded(const ChildEnd& end) {
  const Stage stage = stage_;
  if (stage == Stage::Merge) return MergeEnded(end);
  std::optional<MergePreview> result = ReadingResult(end);
  if (interrupted_) {
    // Stopped while counting after a finished merge: the merge's outcome stands, only the count
    // of the rows left is missing. Stopped before the merge started: left out, to do next time.
    if (stage == Stage::CountAfter) return Finish();
    record_.status = StoreStatus::Skipped;
    record_.error = "não iniciada: execução interrompida"_a;
    return Finish();
  }
  if (stage == Stage::CountBefore) {
    if (result) record_.rowsBefore = result->rows;
    return Launch(Stage::Merge);  // the merge decides; a store the count cannot read fails there too
  }
  if (stage == Stage::CountAfter) {
    if (result) record_.rowsAfter = result->rows;
    else if (record_.error.empty()) record_.error = "contagem depois: " + FirstErrorText(end);
    return Finish();
  }
  // The preview.
  record_.status = result ? StoreStatus::Preview : StoreStatus::Failed;
  if (result) {
    record_.rowsBefore = result->rows;
    record_.preview = std::move(result->samples);
  } else {
    record_.error = FirstErrorText(end);
  }
  Finish();
}

void StoreJob::MergeEnded(const ChildEnd& end) {
  if (end.exitCode >= 0) record_.exitCode = end.exitCode;
  // A merge that ended with 0 committed, even when the stop or the time limit came just after.
  if (end.exitCode == 0) {
    record_.status = StoreStatus::Ok;
  } else if (interrupted_) {
    record_.status = StoreStatus::Failed;
    record_.error = "interrompida: obsmerge parado, transação desfeita; roda de novo na próxima vez"_a;
  } else if (timedOut_) {
    record_.status = StoreStatus::Timeout;
    record_.error = FirstErrorText(end) + ", transação desfeita"_a;
  } else {
    record_.status = StoreStatus::Failed;
    record_.error = FirstErrorText(end);
  }
  if (interrupted_) return Finish();
  // A store the count could not read and the merge could not change: a count after would only
  // fail the same way (and wait as long, for a server that does not answer).
  if (!record_.rowsBefore && record_.status != StoreStatus::Ok) return Finish();
  Launch(Stage::CountAfter);
}

void StoreJob::Finish() {
  stage_ = Stage::Finished;
  record_.seconds = Elapsed(Clock::now());
  std::error_code ignored;
  std::filesystem::remove(OutputFile(), ignored);
}
