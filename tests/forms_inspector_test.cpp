// The inspector program on form files, without its window.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/FormFiles.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

using namespace morvanta;

using namespace formtest;

namespace {

std::string InspectorPath() { return std::string(MORVANTA_BINARY_DIR) + "/bin/morvanta-inspector"; }

}  // namespace

TEST(Inspector, ResaveOfTheSampleFormGivesBackTheSameBytes) {
  TempFolder folder;
  ProgramResult run = RunProgram(InspectorPath(), {"--resave", SampleFormPath(), folder.File("out.form.json")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFile(folder.File("out.form.json")), ReadFile(SampleFormPath()));
}

TEST(Inspector, ARefusedFileEndsWithItsMessageAndWritesNothing) {
  TempFolder folder;
  std::string in = folder.File("bad.form.json");
  std::ofstream(in) << Form(Component("TMorvantaDataset", "qry", R"("Database": "dbNada")"));
  ProgramResult run = RunProgram(InspectorPath(), {"--resave", in, folder.File("out.form.json")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("bad.form.json: component \"qry\", property \"Database\": no component is named \"dbNada\""),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder.File("out.form.json")));
  EXPECT_EQ(RunProgram(InspectorPath(), {"--resave", in}).exitCode, 2);
}

TEST(Inspector, ListShowsEachComponentsPropertiesInDeclaredOrder) {
  ProgramResult run = RunProgram(InspectorPath(), {"--list", SampleFormPath()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::size_t component = run.out.find("  qryObserv: TMorvantaDataset\n");
  ASSERT_NE(component, std::string::npos) << run.out;
  std::size_t at = component;
  for (const char* line : {"    Tag = 0\n", "    PacoteRegistros = 1000\n", "    Database = dbLoja\n",
                           "    Params = (2 parameters)\n", "    MacroChar = %\n", "    UpdateObject = updObserv\n",
                           "    DataSource = dsPedidos\n", "    IgnoreLog = False\n", "    FloatPrecision = 5\n"}) {
    std::size_t next = run.out.find(line, at);
    EXPECT_NE(next, std::string::npos) << line << " after position " << at;
    if (next != std::string::npos) at = next;
  }
}

TEST(Inspector, ResaveWritesThroughALinkAndRefusesWhatIsNoRegularFile) {
  TempFolder folder;
  const std::string sample = ReadFile(SampleFormPath());
  const std::string fifo = folder.File("fifo"), dir = folder.File("dir");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(dir);
  std::ofstream(folder.File("old.form.json")) << "old";
  std::filesystem::create_symlink("old.form.json", folder.File("relative-link"));
  std::filesystem::create_symlink(folder.File("new.form.json"), folder.File("dangling-link"));
  std::filesystem::create_symlink("fifo", folder.File("link-to-fifo"));
  struct Case {
    const char* out;
    const char* written;  // the file that receives the form; nullptr: refused
    const char* message;
  };
  for (const Case& c :
       {Case{"relative-link", "old.form.json", nullptr}, Case{"dangling-link", "new.form.json", nullptr},
        Case{"fifo", nullptr, "fifo: is not a regular file; nothing was written"},
        Case{"link-to-fifo", nullptr, "link-to-fifo: is not a regular file; nothing was written"},
        Case{"dir", nullptr, "dir: is a folder; nothing was written"}}) {
    ProgramResult run = RunProgram(InspectorPath(), {"--resave", SampleFormPath(), folder.File(c.out)});
    if (c.written) {
      EXPECT_EQ(run.exitCode, 0) << c.out << ": " << run.err;
      EXPECT_TRUE(std::filesystem::is_symlink(folder.File(c.out))) << c.out;
      EXPECT_EQ(ReadFile(folder.File(c.written)), sample) << c.out;
    } else {
      EXPECT_EQ(run.exitCode, 1) << c.out;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
  EXPECT_FALSE(std::filesystem::exists(folder.File("fifo.saving")));
}

TEST(Inspector, ListOfAFolderSaysSoAndHelpGoesToStandardOutput) {
  TempFolder folder;
  ProgramResult list = RunProgram(InspectorPath(), {"--list", folder.Path().string()});
  EXPECT_EQ(list.exitCode, 1);
  EXPECT_NE(list.err.find(": is a folder, not a form file"), std::string::npos) << list.err;

  ProgramResult help = RunProgram(InspectorPath(), {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: morvanta-inspector FORMFILE\n", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
}
