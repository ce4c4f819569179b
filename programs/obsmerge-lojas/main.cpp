// obsmerge-lojas: runs the observation merge over the stores of a list. See README.md.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "programs/obsmerge-lojas/CommandLine.h"
#include "programs/obsmerge-lojas/ReadingHelper.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/platform/core/StopSignals.h"
#include "programs/obsmerge-lojas/StoreRunner.h"

using namespace morvanta;

namespace {

// The merge program: OBSMERGE_LOJAS_OBSMERGE when set (tests, a build elsewhere), otherwise the
// obsmerge beside this executable.
ProgramPaths FindPrograms() {
  std::error_code failed;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
  ProgramPaths paths;
  paths.self = self.string();
  const char* override_ = std::getenv("OBSMERGE_LOJAS_OBSMERGE");
  paths.obsmerge = override_ && *override_ ? override_ : (self.parent_path() / "obsmerge").string();
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (IsReadingHelperCall(arguments)) {
    // A reading child connects: the runner's stop and timeout end it at once.
    const StopSignals stop;
    SetCommandLine(argc, argv);
    return RunReadingHelper(arguments);
  }
  // The runner stops its children itself and writes the report: a signal only tells it.
  StopSignals stop(StopOnSignal::Tell);
  RunnerOptions options;
  try {
    options = ParseCommandLine(arguments);
  } catch (const CommandLineError& error) {
    std::fprintf(stderr, "obsmerge-lojas: %s\n%s", error.what(), UsageText());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  const ProgramPaths programs = FindPrograms();
  if (access(programs.obsmerge.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "obsmerge-lojas: o programa obsmerge não foi encontrado em %s\n", programs.obsmerge.c_str());
    return 2;
  }
  return RunStores(options, programs, stop);
}
