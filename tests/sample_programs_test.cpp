// The command lines of the sample's start script and of the window gallery: options are taken as
// options, wrong arguments are refused before anything is made, and what is made is said.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

namespace {

std::string RunScriptPath() { return std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/run.sh"; }

// Points the temporary folder of the programs started meanwhile at a folder of its own.
class TemporaryFolderOfPrograms {
 public:
  TemporaryFolderOfPrograms() {
    if (const char* value = getenv("TMPDIR")) before_ = value;
    setenv("TMPDIR", folder_.Path().c_str(), 1);
  }
  ~TemporaryFolderOfPrograms() {
    if (before_.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", before_.c_str(), 1);
  }
  bool Empty() const { return std::filesystem::is_empty(folder_.Path()); }

 private:
  TempFolder folder_;
  std::string before_;
};

}  // namespace

TEST(SampleRunScript, TakesOptionsAsOptionsAndChecksItsArgumentsBeforeMakingTheDatabase) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    const char* message;
  };
  for (const Case& c : {Case{{"/nonexistent"}, 1, "/nonexistent/bin/loja-pedidos not found"},
                        Case{{"-Q", "/nonexistent"}, 1, "/nonexistent/bin/loja-pedidos not found"},
                        Case{{"/nonexistent", "-Q"}, 1, "/nonexistent/bin/loja-pedidos not found"},
                        Case{{"-X"}, 2, "unknown option -X"}, Case{{"a", "b"}, 2, "usage: "}}) {
    TemporaryFolderOfPrograms temporary;
    std::vector<std::string> arguments{RunScriptPath()};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ProgramResult run = RunProgram("/bin/sh", arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments[0] << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(temporary.Empty()) << "nothing is made before the arguments are checked";
  }
}

#ifdef MORVANTA_GALLERY
TEST(Gallery, SaysWhichFoldersItMade) {
  TempFolder folder;
  const std::string out = folder.File("a/b");
  ProgramResult run = RunProgram(std::string(MORVANTA_BINARY_DIR) + "/bin/morvanta-gallery", {out});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("created folder " + folder.File("a") + "\ncreated folder " + out + "\n", 0), 0u) << run.out;
  EXPECT_TRUE(std::filesystem::exists(out + "/report.png"));
}
#endif
