// The inspector program on form files, without its window.

#include <gtest/gtest.h>

#include "support/FormFiles.h"
#include "support/ProgramRun.h"
#include "support/TempFolder.h"

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
