// Loading a form: references resolved once every component exists, setters' effects, design state.

#include <algorithm>

#include <gtest/gtest.h>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "tests/support/FormFiles.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using namespace formtest;

namespace {

bool InDetailList(const TMorvantaDataset& master, const TMorvantaDataset& detail) {
  return std::count(master.DetailList.begin(), master.DetailList.end(), &detail) == 1;
}

}  // namespace

TEST(FormLoading, ReferencesResolveWhateverTheOrderOfTheComponents) {
  // Each component names components that come after it: the detail its data source, the data
  // source its master, the dataset its transaction, the transaction its connection.
  auto form = Load(Form(Component("TMorvantaDataset", "qryDetail", R"("DataSource": "dsMaster", "Transaction": "tr")") +
                        "," + Component("TDataSource", "dsMaster", R"("DataSet": "qryMaster")") + "," +
                        Component("TMorvantaDataset", "qryMaster", R"("Transaction": "tr")") + "," +
                        Component("TMorvantaTransaction", "tr", R"("Database": "db", "TransactionLOG": "trLog")") +
                        "," + Component("TMorvantaTransaction", "trLog", R"("Tag": 1, "Database": "db")") + "," +
                        Component("TMorvantaDatabase", "db")));
  auto& detail = Find<TMorvantaDataset>(*form, "qryDetail");
  auto& master = Find<TMorvantaDataset>(*form, "qryMaster");
  auto& db = Find<TMorvantaDatabase>(*form, "db");
  auto& tr = Find<TMorvantaTransaction>(*form, "tr");
  EXPECT_EQ(detail.DataSource(), &Find<TDataSource>(*form, "dsMaster"));
  EXPECT_TRUE(InDetailList(master, detail)) << "the data source was linked to its master first";
  EXPECT_EQ(tr.TransactionLOG(), &Find<TMorvantaTransaction>(*form, "trLog"));
  // Writing Transaction takes the transaction's connection: it was linked first.
  EXPECT_EQ(master.Database(), &db);
  EXPECT_EQ(detail.Database(), &db);
  EXPECT_EQ(form->Name(), "frmTeste");
  EXPECT_EQ(detail.Owner(), form.get());
  EXPECT_EQ(form->Components(0), &detail) << "components are created in the file's order";
}

TEST(FormLoading, SettersHaveTheirEffects) {
  auto form = Load(Form(Component("TMorvantaDataset", "qry", R"(
      "SQL": ["select * from t", "where a = :a and b = :b"],
      "Params": [{"Name": "B", "DataType": "ftInteger", "ParamType": "ptInput", "Value": 7},
                 {"Name": "zz", "DataType": "ftString", "ParamType": "ptInput", "Value": "ignored"}],
      "SQLInterno": "select %campos from t")") +
                        "," + Component("TMorvantaUpDateObject", "upd", R"("ModifySQL": ["update t set a = :a"],
      "RefreshSQL": ["select a from t", "where b = :b"])")));
  auto& qry = Find<TMorvantaDataset>(*form, "qry");
  // SQL rebuilt the parameters from its text; the stored list gave values to the entries it names.
  ASSERT_EQ(qry.ParamCount(), 2);
  EXPECT_EQ(qry.Params()[0].Name(), u"a");
  EXPECT_TRUE(qry.Params()[0].IsNull());
  EXPECT_EQ(qry.Params()[1].DataType(), ftInteger);
  EXPECT_EQ(qry.Params()[1].AsInteger(), 7);
  EXPECT_EQ(qry.Params().FindParam("zz"), nullptr) << "a stored list adds no entries";
  EXPECT_EQ(qry.Text(), "select * from t\r\nwhere a = :a and b = :b\r\n");
  // SQLInterno is case-folded and scanned for macros.
  EXPECT_EQ(qry.SQLInterno(), "SELECT %CAMPOS FROM T");
  EXPECT_NE(qry.Macros().FindParam("CAMPOS"), nullptr);
  auto& upd = Find<TMorvantaUpDateObject>(*form, "upd");
  EXPECT_EQ(upd.ModifySQL().Text(), u"update t set a = :a\r\n");
  EXPECT_EQ(upd.RefreshSQL().Count(), 2);
}

TEST(FormLoading, TheFormPutsItselfAndWhatItOwnsInDesignState) {
  auto form = Load(ReadFile(SampleFormPath()));
  form->SetFormState(FormState::Designing);
  EXPECT_TRUE(form->Designing());
  for (int i = 0; i < form->ComponentCount(); ++i) EXPECT_TRUE(form->Components(i)->Designing());
  form->SetFormState(FormState::Running);
  for (int i = 0; i < form->ComponentCount(); ++i) EXPECT_FALSE(form->Components(i)->Designing());
}

TEST(FormLoading, ConnectedTrueConnectsAfterTheOtherSettingsAndAFailedConnectIsRefused) {
  auto db = testdb::TestDatabase::Embedded();
  auto connection = [&db](const std::string& database) {
    return Form(Component("TMorvantaDatabase", "dbLoja",
                          R"("DriverName": "Interbase", "LoginPrompt": false, "Params": ["Database=)" + database +
                              R"(", "User_Name=)" + ToSystem(db->UserName()) + R"(", "Password=)" +
                              ToSystem(db->Password()) + R"("], "Connected": true)"));
  };
  auto form = Load(connection(ToSystem(db->Database())));
  auto& dbLoja = Find<TMorvantaDatabase>(*form, "dbLoja");
  EXPECT_TRUE(dbLoja.Connected());
  EXPECT_EQ(dbLoja.DatabaseName(), db->Database());
  EXPECT_NE(form->SaveToText().find("\"Connected\": true"), std::string::npos);

  AnsiString message = RefusalOf(connection(db->FilePath() + ".missing"));
  EXPECT_EQ(message.rfind("test.form.json: component \"dbLoja\", property \"Connected\": ", 0), 0u) << message;
}
