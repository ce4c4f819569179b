// The stored-procedure component and the update object.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

class MorvantaStoredProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Embedded();
    db_->Execute("CREATE GENERATOR GEN_LOG");
    db_->Execute("CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS BEGIN NID = GEN_ID(GEN_LOG, 1); SUSPEND; END");
    connection_.ConfigureConnection("Interbase"_a, db_->Database(), db_->UserName(), db_->Password());
  }
  std::unique_ptr<TestDatabase> db_;
  TMorvantaDatabase connection_{nullptr};
};

}  // namespace

TEST_F(MorvantaStoredProcTest, IdLogRunTwiceGivesTwoIds) {
  TMorvantaStoredProc proc(nullptr);
  proc.SetSQLConnection(&connection_);
  proc.SetStoredProcName(u"ID_LOG");
  std::vector<std::int64_t> ids;
  for (int run = 0; run < 2; ++run) {
    proc.Close();
    proc.PrepareProc();  // opens the closed connection
    proc.ExecProc();
    ids.push_back(proc.Params().ParamByName("NID").AsInteger());
  }
  EXPECT_TRUE(connection_.Connected());
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_EQ(proc.SchemaName(), db_->UserName());  // qualified with the user, prepared by name alone
}

TEST_F(MorvantaStoredProcTest, AMissingProcedureStaysUnpreparedAndFailsWhenRun) {
  TMorvantaStoredProc proc(nullptr);
  proc.SetSQLConnection(&connection_);
  proc.SetStoredProcName(u"NAO_EXISTE");
  proc.PrepareProc();
  EXPECT_FALSE(proc.Prepared());
  EXPECT_THROW(proc.ExecProc(), EDatabaseError);
}

TEST_F(MorvantaStoredProcTest, AConnectionThatCannotOpenIsWrappedWithTheOwnersName) {
  TMorvantaDataset owner(nullptr);
  owner.SetName("qryLog");
  auto* proc = new TMorvantaStoredProc(&owner);  // no name of its own, like the change log's
  TMorvantaDatabase broken(nullptr);
  broken.ConfigureConnection("Interbase"_a, "/nonexistent/x.fdb"_a, "u"_a, "p"_a);
  proc->SetSQLConnection(&broken);
  proc->SetStoredProcName(u"ID_LOG");
  try {
    proc->PrepareProc();
    FAIL() << "the connection cannot open";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().rfind("Erro em  qryLog. ", 0), 0u) << e.Message();
    EXPECT_STREQ(e.ClassName(), "Exception");
  }
}

TEST_F(MorvantaStoredProcTest, NamesOfThirtyOrMoreCharactersAreCutTo29) {
  TMorvantaStoredProc proc(nullptr);
  proc.SetSQLConnection(&connection_);
  auto prepared = [&](const std::u16string& name) {
    proc.SetStoredProcName(name);
    proc.PrepareProc();
    return proc.StoredProcName();
  };
  std::u16string twentyNine(29, u'P'), thirty(30, u'P');
  EXPECT_EQ(prepared(twentyNine), twentyNine);
  EXPECT_EQ(prepared(thirty), twentyNine);
  std::u16string padded = std::u16string(28, u'P') + u"     ";
  EXPECT_EQ(prepared(padded), padded);
  std::u16string leadingBlank = u" " + std::u16string(30, u'P');
  EXPECT_EQ(prepared(leadingBlank), leadingBlank.substr(0, 29));
}

TEST(MorvantaUpDateObject, RefreshSQLIsAnOwnedCopy) {
  TMorvantaUpDateObject update(nullptr);
  TStrings lines;
  lines.Add("SELECT * FROM T");
  lines.Add("WHERE ID = :ID");
  update.SetRefreshSQL(lines);
  lines.Clear();
  ASSERT_EQ(update.RefreshSQL().Count(), 2);
  EXPECT_EQ(update.RefreshSQL()[1], "WHERE ID = :ID");
  update.DeleteSQL().Add(u"DELETE FROM T WHERE ID = :ID");
  EXPECT_EQ(update.SQL(ukDelete).Count(), 1);
}
