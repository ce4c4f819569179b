// How a program built on the component layer stops on Ctrl+C and SIGTERM while it holds a
// transaction open with a change in it: run as a separate process (tests/programs/stop-probe.cpp)
// on a terminal of its own, on an embedded database and on the local server.

#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>

#include <chrono>
#include <string>

#include "morvanta/platform/core/Text.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

enum class Where { Embedded, Server };
enum class How { TerminateRequest, CtrlCOnTheTerminal };

struct StopCase {
  Where where;
  How how;
  const char* mode;  // the probe's "end" or "tell"
};

std::string ProbePath() { return std::string(MORVANTA_BINARY_DIR) + "/bin/morvanta-stop-probe"; }

std::string CaseName(const ::testing::TestParamInfo<StopCase>& info) {
  return std::string(info.param.where == Where::Embedded ? "Embedded" : "Server") +
         (info.param.how == How::TerminateRequest ? "Sigterm" : "CtrlC") +
         (info.param.mode[0] == 'e' ? "EndsAtOnce" : "Tells");
}

}  // namespace

class StoppedProgram : public ::testing::TestWithParam<StopCase> {};

TEST_P(StoppedProgram, EndsAndTheUncommittedChangeIsRolledBack) {
  const StopCase c = GetParam();
  if (c.where == Where::Server) FIREBIRD_SERVER_REQUIRED();
  auto db = c.where == Where::Server ? TestDatabase::OnServer() : TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20))");
  db->Execute("INSERT INTO T VALUES (1, 'antes')");
  db->Execute("INSERT INTO T VALUES (2, 'antes')");

  TerminalSession probe(ProbePath(),
                        {ToSystem(db->Database()), ToSystem(db->UserName()), ToSystem(db->Password()), c.mode});
  ASSERT_TRUE(probe.Started());
  ASSERT_TRUE(probe.WaitForText("mudadas 2, transação aberta", std::chrono::seconds(30)))
      << probe.Wait(std::chrono::seconds(1)).out;
  const int expectedSignal = c.how == How::TerminateRequest ? SIGTERM : SIGINT;
  if (c.how == How::TerminateRequest) probe.Signal(SIGTERM);
  else probe.Type("\x03");
  const ProgramResult result = probe.Wait(std::chrono::seconds(20));

  if (std::string(c.mode) == "end") {
    EXPECT_EQ(result.signal, expectedSignal) << "exit code " << result.exitCode << ": " << result.out;
    EXPECT_EQ(result.out.find("parando"), std::string::npos) << result.out;
  } else {
    EXPECT_EQ(result.exitCode, 3) << "signal " << result.signal << ": " << result.out;
    EXPECT_NE(result.out.find("parando por " + std::to_string(expectedSignal)), std::string::npos) << result.out;
  }
  EXPECT_EQ(db->QueryScalar("SELECT COUNT(*) FROM T WHERE NOME = 'antes'"), "2");
  // The database takes a new change at once: nothing of the stopped run holds it.
  db->Execute("UPDATE T SET NOME = 'depois' WHERE ID = 1");
  EXPECT_EQ(db->QueryScalar("SELECT NOME FROM T WHERE ID = 1"), "depois");
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedProgram,
                         ::testing::Values(StopCase{Where::Embedded, How::TerminateRequest, "end"},
                                           StopCase{Where::Embedded, How::CtrlCOnTheTerminal, "end"},
                                           StopCase{Where::Server, How::TerminateRequest, "end"},
                                           StopCase{Where::Server, How::CtrlCOnTheTerminal, "end"},
                                           StopCase{Where::Embedded, How::TerminateRequest, "tell"},
                                           StopCase{Where::Embedded, How::CtrlCOnTheTerminal, "tell"}),
                         CaseName);
