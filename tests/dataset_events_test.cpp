// The record set's notifications: their order, the state each one sees, and errors raised there.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"

using namespace morvanta;

namespace {

const char* StateName(TDataSetState s) {
  switch (s) {
    case dsInactive:
      return "inactive";
    case dsBrowse:
      return "browse";
    case dsEdit:
      return "edit";
    case dsInsert:
      return "insert";
    case dsCalcFields:
      return "calc";
    case dsInternalCalc:
      return "internalcalc";
    case dsOpening:
      return "opening";
    default:
      return "other";
  }
}

// Records every notification with the state it ran in, as a derived dataset sees them.
class RecordingDataSet : public TClientDataSet {
 public:
  using TClientDataSet::TClientDataSet;
  std::vector<std::string> Log;
  bool LogFieldChanges = false;

  void Note(const char* what) { Log.push_back(std::string(what) + ":" + StateName(State())); }
  std::vector<std::string> Take() { return std::exchange(Log, {}); }

  void DoBeforeOpen() override { Note("BeforeOpen"), TClientDataSet::DoBeforeOpen(); }
  void DoAfterOpen() override { Note("AfterOpen"), TClientDataSet::DoAfterOpen(); }
  void DoBeforeClose() override { Note("BeforeClose"), TClientDataSet::DoBeforeClose(); }
  void DoAfterClose() override { Note("AfterClose"), TClientDataSet::DoAfterClose(); }
  void DoBeforeInsert() override { Note("BeforeInsert"), TClientDataSet::DoBeforeInsert(); }
  void DoAfterInsert() override { Note("AfterInsert"), TClientDataSet::DoAfterInsert(); }
  void DoBeforeEdit() override { Note("BeforeEdit"), TClientDataSet::DoBeforeEdit(); }
  void DoAfterEdit() override { Note("AfterEdit"), TClientDataSet::DoAfterEdit(); }
  void DoBeforePost() override { Note("BeforePost"), TClientDataSet::DoBeforePost(); }
  void DoAfterPost() override { Note("AfterPost"), TClientDataSet::DoAfterPost(); }
  void DoBeforeCancel() override { Note("BeforeCancel"), TClientDataSet::DoBeforeCancel(); }
  void DoAfterCancel() override { Note("AfterCancel"), TClientDataSet::DoAfterCancel(); }
  void DoBeforeDelete() override { Note("BeforeDelete"), TClientDataSet::DoBeforeDelete(); }
  void DoAfterDelete() override { Note("AfterDelete"), TClientDataSet::DoAfterDelete(); }
  void DoBeforeScroll() override { Note("BeforeScroll"), TClientDataSet::DoBeforeScroll(); }
  void DoAfterScroll() override { Note("AfterScroll"), TClientDataSet::DoAfterScroll(); }
  void DoOnNewRecord() override { Note("NewRecord"), TClientDataSet::DoOnNewRecord(); }
  void CalculateFields() override { Note("CalcFields"), TClientDataSet::CalculateFields(); }
  void DataEvent(TDataEvent event, std::intptr_t info) override {
    if (event == deDataSetScroll) Note("Scroll");
    if (event == deFieldChange && LogFieldChanges) Note("FieldChange");
    TClientDataSet::DataEvent(event, info);
  }
};

class DataSetEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.FieldDefs().Add(u"ID", ftInteger);
    ds.FieldDefs().Add(u"NAME", ftString, 20);
  }
  void AddRows(int count) {
    for (int i = 1; i <= count; ++i) {
      ds.Append();
      ds.Fields(0).SetAsInteger(i);
      ds.Post();
    }
    ds.Take();
  }
  RecordingDataSet ds{nullptr};
  using Log = std::vector<std::string>;
};

}  // namespace

TEST_F(DataSetEvents, CreateDataSetOpensWithTheOpenNotifications) {
  ds.CreateDataSet();
  EXPECT_EQ(ds.Take(), (Log{"BeforeOpen:inactive", "AfterOpen:browse"}));
  ds.Open();  // already active: nothing
  EXPECT_TRUE(ds.Take().empty());
}

TEST_F(DataSetEvents, CloseAndOpenAgainGiveAnEmptySetWithTheSameFields) {
  ds.CreateDataSet();
  AddRows(2);
  ds.Close();
  EXPECT_EQ(ds.Take(), (Log{"BeforeClose:browse", "AfterClose:inactive"}));
  EXPECT_EQ(ds.FieldCount(), 0);
  ds.Open();
  EXPECT_EQ(ds.Take(), (Log{"BeforeOpen:inactive", "AfterOpen:browse"}));
  EXPECT_EQ(ds.FieldCount(), 2);
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST_F(DataSetEvents, AppendAndPost) {
  ds.CreateDataSet();
  ds.Take();
  ds.OnNewRecord = [](TDataSet& d) { d.Fields(1).SetAsString("default"); };
  ds.Append();
  EXPECT_EQ(ds.Take(), (Log{"BeforeInsert:browse", "BeforeScroll:browse", "NewRecord:insert", "Scroll:insert",
                            "AfterInsert:insert", "AfterScroll:insert"}));
  EXPECT_FALSE(ds.Modified()) << "values set by OnNewRecord do not count as a change";
  ds.Fields(0).SetAsInteger(7);
  ds.Post();
  EXPECT_EQ(ds.Take(), (Log{"BeforePost:insert", "CalcFields:internalcalc", "CalcFields:calc", "Scroll:browse",
                            "AfterPost:browse"}));
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.Fields(1).AsString(), "default");
}

TEST_F(DataSetEvents, InsertAndCancelReturnToThePreviousRecord) {
  ds.CreateDataSet();
  AddRows(3);
  ds.SetRecNo(2);
  ds.Take();
  ds.Insert();
  EXPECT_EQ(ds.RecNo(), -1);
  ds.Fields(0).SetAsInteger(99);
  ds.Cancel();
  EXPECT_EQ(ds.Take(), (Log{"BeforeInsert:browse", "BeforeScroll:browse", "NewRecord:insert", "Scroll:insert",
                            "AfterInsert:insert", "AfterScroll:insert", "BeforeCancel:insert", "CalcFields:calc",
                            "Scroll:browse", "AfterCancel:browse"}));
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(ds.Fields(0).AsInteger(), 2);
}

TEST_F(DataSetEvents, InsertPlacesTheRecordBeforeTheCurrentOne) {
  ds.CreateDataSet();
  AddRows(3);
  ds.SetRecNo(2);
  ds.Insert();
  ds.Fields(0).SetAsInteger(99);
  ds.Post();
  EXPECT_EQ(ds.RecNo(), 2);
  std::vector<std::int64_t> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.Fields(0).AsInteger());
  EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 99, 2, 3}));
}

TEST_F(DataSetEvents, EditAndPost) {
  ds.CreateDataSet();
  AddRows(1);
  ds.Edit();
  EXPECT_EQ(ds.Take(), (Log{"BeforeEdit:browse", "AfterEdit:edit"}));
  ds.Fields(0).SetAsInteger(5);
  ds.Post();
  EXPECT_EQ(ds.Take(), (Log{"BeforePost:edit", "CalcFields:internalcalc", "CalcFields:calc", "Scroll:browse",
                            "AfterPost:browse"}));
  EXPECT_EQ(ds.Fields(0).AsInteger(), 5);
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(DataSetEvents, DeleteMovesToTheFollowingRecord) {
  ds.CreateDataSet();
  AddRows(3);
  ds.SetRecNo(2);
  ds.Take();
  ds.Delete();
  EXPECT_EQ(ds.Take(), (Log{"BeforeDelete:browse", "BeforeScroll:browse", "CalcFields:calc", "Scroll:browse",
                            "AfterDelete:browse", "AfterScroll:browse"}));
  EXPECT_EQ(ds.Fields(0).AsInteger(), 3);
  ds.Delete();  // the last record: the new last one becomes current, at the end
  EXPECT_EQ(ds.Fields(0).AsInteger(), 1);
  EXPECT_TRUE(ds.Eof());
  ds.Delete();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST_F(DataSetEvents, DeleteWhileInsertingCancelsTheNewRecord) {
  ds.CreateDataSet();
  AddRows(1);
  ds.Append();
  ds.Take();
  ds.Delete();
  EXPECT_EQ(ds.Take().front(), "BeforeCancel:insert");
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(DataSetEvents, EmptyDataSetPostsAPendingChangeThenRemovesEveryRecord) {
  ds.CreateDataSet();
  AddRows(2);
  ds.Append();
  ds.Fields(0).SetAsInteger(3);
  ds.Take();
  ds.EmptyDataSet();
  EXPECT_EQ(ds.Take(), (Log{"BeforePost:insert", "CalcFields:internalcalc", "CalcFields:calc", "Scroll:browse",
                            "AfterPost:browse"}));
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecNo(), -1);
  EXPECT_TRUE(ds.Eof() && ds.Bof());
}

TEST_F(DataSetEvents, MovingCancelsAnUntouchedNewRecordAndPostsAChangedOne) {
  ds.CreateDataSet();
  AddRows(2);
  ds.Append();
  ds.First();
  EXPECT_EQ(ds.RecordCount(), 2);
  ds.Edit();
  ds.Fields(1).SetAsString("changed");
  ds.Next();
  EXPECT_EQ(ds.State(), dsBrowse);
  ds.First();
  EXPECT_EQ(ds.Fields(1).AsString(), "changed");
}

TEST_F(DataSetEvents, ErrorInAfterPostReachesTheCallerWithTheRowKept) {
  ds.CreateDataSet();
  ds.AfterPost = [](TDataSet&) { throw EDatabaseError("write failed"); };
  ds.Append();
  ds.Fields(0).SetAsInteger(1);
  try {
    ds.Post();
    FAIL() << "Post must raise the after-post error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "write failed");
  }
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.Fields(0).AsInteger(), 1);
}

TEST_F(DataSetEvents, ErrorsBeforeTheChangeLeaveTheDatasetAsItWas) {
  ds.CreateDataSet();
  AddRows(1);
  ds.BeforePost = [](TDataSet&) { throw EAbort("refused"); };
  ds.Edit();
  ds.Fields(0).SetAsInteger(9);
  EXPECT_THROW(ds.Post(), EAbort);
  EXPECT_EQ(ds.State(), dsEdit);
  ds.Cancel();
  EXPECT_EQ(ds.Fields(0).AsInteger(), 1);

  ds.OnNewRecord = [](TDataSet&) { throw EDatabaseError("no new record"); };
  EXPECT_THROW(ds.Append(), EDatabaseError);
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(DataSetEvents, EventsOfTheSameNamesAreRaisedByTheBaseNotifications) {
  TClientDataSet plain(nullptr);
  plain.FieldDefs().Add(u"ID", ftInteger);
  std::vector<std::string> log;
  auto note = [&log](const char* name) { return [&log, name](TDataSet&) { log.push_back(name); }; };
  plain.BeforeOpen = note("BeforeOpen");
  plain.AfterOpen = note("AfterOpen");
  plain.BeforeInsert = note("BeforeInsert");
  plain.OnNewRecord = note("OnNewRecord");
  plain.AfterInsert = note("AfterInsert");
  plain.BeforePost = note("BeforePost");
  plain.AfterPost = note("AfterPost");
  plain.BeforeEdit = note("BeforeEdit");
  plain.AfterEdit = note("AfterEdit");
  plain.BeforeCancel = note("BeforeCancel");
  plain.AfterCancel = note("AfterCancel");
  plain.BeforeDelete = note("BeforeDelete");
  plain.AfterDelete = note("AfterDelete");
  plain.BeforeClose = note("BeforeClose");
  plain.AfterClose = note("AfterClose");
  plain.CreateDataSet();
  plain.Append();
  plain.Fields(0).SetAsInteger(1);
  plain.Post();
  plain.Edit();
  plain.Cancel();
  plain.Delete();
  plain.Close();
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeOpen", "AfterOpen", "BeforeInsert", "OnNewRecord", "AfterInsert",
                                           "BeforePost", "AfterPost", "BeforeEdit", "AfterEdit", "BeforeCancel",
                                           "AfterCancel", "BeforeDelete", "AfterDelete", "BeforeClose", "AfterClose"}));
}

TEST_F(DataSetEvents, EveryMoveRaisesTheScrollEventAndOnlyRealMovesDo) {
  ds.CreateDataSet();
  AddRows(3);
  int scrolls = 0;
  ds.OnDataEvent = [&scrolls](TDataSet&, TDataEvent e, std::intptr_t) { scrolls += e == deDataSetScroll; };
  ds.First();
  EXPECT_EQ(scrolls, 1);
  ds.Next();
  ds.Next();
  EXPECT_EQ(scrolls, 3);
  ds.Next();  // already on the last record: no move
  EXPECT_EQ(scrolls, 3);
  EXPECT_TRUE(ds.Eof());
  ds.Prior();
  EXPECT_EQ(scrolls, 4);
  ds.SetRecNo(2);  // already there
  EXPECT_EQ(scrolls, 4);
  ds.SetRecNo(1);
  ds.Last();
  EXPECT_EQ(scrolls, 6);
}

TEST_F(DataSetEvents, CalculatedFieldsRunInTheCalcStateWhenARecordBecomesCurrent) {
  ds.CreateDataSet();
  AddRows(2);
  std::vector<std::pair<TDataSetState, std::int64_t>> seen;
  ds.OnCalcFields = [&seen](TDataSet& d) { seen.emplace_back(d.State(), d.Fields(0).AsInteger()); };
  ds.First();
  ds.Next();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(dsCalcFields, std::int64_t{1}));
  EXPECT_EQ(seen[1], std::make_pair(dsCalcFields, std::int64_t{2}));
  EXPECT_EQ(ds.State(), dsBrowse);

  seen.clear();
  ds.Edit();
  ds.Fields(0).SetAsInteger(20);
  ds.Post();  // internal calculation on the edited values, then the stored row
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(dsInternalCalc, std::int64_t{20}));
  EXPECT_EQ(seen[1], std::make_pair(dsCalcFields, std::int64_t{20}));
}

TEST_F(DataSetEvents, FieldsCannotBeWrittenDuringCalculation) {
  ds.CreateDataSet();
  AddRows(1);
  ds.OnCalcFields = [](TDataSet& d) { d.Fields(0).SetAsInteger(5); };
  EXPECT_THROW(ds.First(), EDatabaseError);
  EXPECT_EQ(ds.State(), dsBrowse);
}
