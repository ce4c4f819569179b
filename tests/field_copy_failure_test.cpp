// A dataset told to raise on a field it could not copy ends the fetch with that error, without a
// message box, while every other failure keeps its usual report.

#include <gtest/gtest.h>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;
using testdb::ErrorMessageOf;

namespace {
bool EndsWith(const AnsiString& text, const AnsiString& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

TEST(FieldCopyFailure, RaiseEndsTheFetchWithTheFieldsErrorAndLeavesTheOpenErrorsAsTheyAre) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  RecordingInteraction ui;
  TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T ORDER BY ID"_a);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftInteger);  // the column holds 'n1', 'n2', 'n3'
  ds.CreateDataSet();
  ds.SetOnFieldCopyFailure(FieldCopyFailure::Raise);
  const AnsiString message = ErrorMessageOf([&] { ds.OpenQuery(); });
  EXPECT_NE(message.find("n1"), AnsiString::npos) << message;
  EXPECT_TRUE(EndsWith(message, " Em: .qryT"_a)) << message;
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.State(), dsBrowse);

  // A select that cannot run is still reported by its box, as without the option.
  ds.SQL().SetText("SELECT ID FROM NAOEXISTE");
  EXPECT_THROW(ds.OpenQuery(), EAbort);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_TRUE(EndsWith(ui.Messages[0], " No Dataset: .qryT"_a)) << ui.Messages[0];
}
