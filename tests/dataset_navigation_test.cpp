// Position, counts and refusals of the record set, control updates and data sources.

#include <gtest/gtest.h>

#include <memory>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"

using namespace morvanta;

namespace {

std::unique_ptr<TClientDataSet> MakeDataSet(int rows) {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  ds->FieldDefs().Add(u"ID", ftInteger);
  ds->CreateDataSet();
  for (int i = 1; i <= rows; ++i) {
    ds->Append();
    ds->Fields(0).SetAsInteger(i);
    ds->Post();
  }
  return ds;
}

void ExpectMessage(const std::function<void()>& action, const char* message) {
  try {
    action();
    ADD_FAILURE() << "expected EDatabaseError: " << message;
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

}  // namespace

TEST(DataSetNavigation, EmptySetHasNoCurrentRecord) {
  auto ds = MakeDataSet(0);
  EXPECT_EQ(ds->RecordCount(), 0);
  EXPECT_EQ(ds->RecNo(), -1);
  EXPECT_TRUE(ds->Eof());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->IsEmpty());
  ds->First();
  ds->Next();
  EXPECT_TRUE(ds->Eof());
  EXPECT_TRUE(ds->Fields(0).IsNull());
}

TEST(DataSetNavigation, WalkingForwardAndBackSetsEofAndBof) {
  auto ds = MakeDataSet(3);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(ds->RecNo(), 3) << "the posted record stays current";
  ds->First();
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  int seen = 0;
  while (!ds->Eof()) {
    EXPECT_EQ(ds->RecNo(), ++seen);
    EXPECT_EQ(ds->Fields(0).AsInteger(), seen);
    ds->Next();
  }
  EXPECT_EQ(seen, 3);
  EXPECT_EQ(ds->RecNo(), 3);
  ds->Prior();
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), 2);
  ds->Prior();
  ds->Prior();
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->RecNo(), 1);
}

TEST(DataSetNavigation, SetRecNoMovesAndStaysInRange) {
  auto ds = MakeDataSet(5);
  ds->SetRecNo(2);
  EXPECT_EQ(ds->Fields(0).AsInteger(), 2);
  ds->SetRecNo(50);
  EXPECT_EQ(ds->RecNo(), 5);
  ds->SetRecNo(0);
  EXPECT_EQ(ds->RecNo(), 1);
}

TEST(DataSetNavigation, EditOfAnEmptySetStartsANewRecord) {
  auto ds = MakeDataSet(0);
  ds->Edit();
  EXPECT_EQ(ds->State(), dsInsert);
}

TEST(DataSetNavigation, RefusalsCarryTheFrameworkMessages) {
  auto ds = MakeDataSet(0);
  ExpectMessage([&] { ds->Delete(); }, "Cannot perform this operation on an empty dataset");
  ExpectMessage([&] { ds->Fields(0).SetAsInteger(1); }, "Dataset not in edit or insert mode");
  ExpectMessage([&] { ds->CreateDataSet(); }, "Cannot perform this operation on an open dataset");
  ds->Close();
  ExpectMessage([&] { ds->Append(); }, "Cannot perform this operation on a closed dataset");
  ExpectMessage([&] { ds->Next(); }, "Cannot perform this operation on a closed dataset");
  ExpectMessage([&] { ds->EmptyDataSet(); }, "Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ds->RecordCount(), 0);
  EXPECT_EQ(ds->RecNo(), -1);
  ds->FieldDefs().Clear();
  ExpectMessage([&] { ds->CreateDataSet(); }, "No fields defined.  Cannot create dataset");
  EXPECT_FALSE(ds->Active());
}

TEST(DataSetNavigation, RequiredFieldMustHaveAValueWhenPosted) {
  TClientDataSet ds(nullptr);
  ds.FieldDefs().Add(u"ID", ftInteger, 0, true);
  ds.CreateDataSet();
  EXPECT_TRUE(ds.Fields(0).Required());
  ds.Append();
  ds.Fields(0).Clear();
  ExpectMessage([&] { ds.Post(); }, "Field 'ID' must have a value");
  EXPECT_EQ(ds.State(), dsInsert);
  ds.Fields(0).SetAsInteger(1);
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(DataSetNavigation, ControlUpdatesAreCounted) {
  auto ds = MakeDataSet(2);
  TDataSource source(nullptr);
  source.SetDataSet(ds.get());
  std::vector<TDataEvent> told;
  source.OnDataChange = [&told](TDataSource&, TDataEvent e, std::intptr_t) { told.push_back(e); };

  ds->DisableControls();
  ds->DisableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->First();
  ds->Next();
  ds->EnableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  EXPECT_TRUE(told.empty());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(told, (std::vector<TDataEvent>{deDataSetChange}));
  ds->EnableControls();  // unbalanced: stays enabled
  EXPECT_FALSE(ds->ControlsDisabled());

  told.clear();
  ds->First();
  EXPECT_EQ(told, (std::vector<TDataEvent>{deDataSetScroll}));
}

TEST(DataSetNavigation, ASourceTellsOnDataChangeThenItsListenersAlsoOfOpenAndClose) {
  auto ds = MakeDataSet(2);
  TDataSource source(nullptr);
  source.SetDataSet(ds.get());
  std::vector<std::pair<char, TDataEvent>> told;
  source.OnDataChange = [&told](TDataSource&, TDataEvent e, std::intptr_t) { told.emplace_back('o', e); };
  source.AddDataListener(&told, [&told](TDataSource&, TDataEvent e, std::intptr_t) { told.emplace_back('l', e); });
  ds->Close();
  ds->Open();  // empty, but open: the controls hear of it
  using Told = std::vector<std::pair<char, TDataEvent>>;
  EXPECT_EQ(told, (Told{{'o', deUpdateState}, {'l', deUpdateState}, {'o', deUpdateState}, {'l', deUpdateState}}));
}

TEST(DataSetNavigation, DataSourceLinkClearsWhenEitherSideGoes) {
  auto source = std::make_unique<TDataSource>(nullptr);
  auto ds = MakeDataSet(1);
  source->SetDataSet(ds.get());
  EXPECT_EQ(source->DataSet(), ds.get());
  ds.reset();
  EXPECT_EQ(source->DataSet(), nullptr);

  ds = MakeDataSet(1);
  source->SetDataSet(ds.get());
  source.reset();
  ds->First();  // the dataset no longer tells the destroyed source
  EXPECT_EQ(ds->RecNo(), 1);
}

TEST(DataSetNavigation, OwnerFreesDataSetAndSourceInEitherOrder) {
  for (bool sourceFirst : {true, false}) {
    TComponent owner(nullptr);
    TDataSource* source = nullptr;
    TClientDataSet* ds = nullptr;
    if (sourceFirst) source = new TDataSource(&owner);
    ds = new TClientDataSet(&owner);
    if (!sourceFirst) source = new TDataSource(&owner);
    source->SetDataSet(ds);
    ds->FieldDefs().Add(u"ID", ftInteger);
    ds->CreateDataSet();
  }
}

TEST(DataSetNavigation, RowsAppendedInPacketsContinueFromTheNotedPosition) {
  auto ds = MakeDataSet(0);
  auto loadPacket = [&ds](int from, int count) {
    const int returnPosition = ds->RecNo();
    for (int i = from; i < from + count; ++i) {
      ds->Append();
      ds->Fields(0).SetAsInteger(i);
      ds->Post();
    }
    if (ds->RecNo() != -1) ds->SetRecNo(returnPosition > 0 ? returnPosition : 1);
  };
  loadPacket(1, 1000);
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_FALSE(ds->Eof());
  ds->SetRecNo(1000);
  loadPacket(1001, 1000);
  ds->Next();
  EXPECT_EQ(ds->RecNo(), 1001);
  EXPECT_EQ(ds->Fields(0).AsInteger(), 1001);
  ds->Last();
  ds->Next();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecordCount(), 2000);
}
