// The windows a dataset opens itself in a graphical program: the query list behind the
// diagnostic-mode shortcut of its owner's window, and the data browser after an open.

#include <optional>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/TempFolder.h"
#include "morvanta/platform/framework/UserInteraction.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

using testdb::DatasetWorld;

namespace {

class DatasetWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    diagnostics_.emplace();
    SetSQLTraceFileName(FromSystem((folder_.Path() / "qry.sql").string()));
  }
  void TearDown() override { diagnostics_.reset(); }
  TempFolder folder_;
  std::optional<GraphicalDiagnostics> diagnostics_;
};

std::vector<TActionList*> ActionListsOf(const TComponent& owner) {
  std::vector<TActionList*> lists;
  for (int i = 0; i < owner.ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TActionList*>(owner.Components(i))) lists.push_back(list);
  return lists;
}

}  // namespace

TEST_F(DatasetWindows, InDiagnosticModeTheShortcutInTheOwnersWindowListsItsDatasets) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  uitest::DiagnosticMode mode("-Q");
  uitest::TfrmPedido form(&Application());
  form.SetName("frmPedido");
  TMorvantaDataset& first = world.Dataset("qryPedido"_a, "select * from t where id <= :id"_a, &form);
  world.Dataset("qryCliente"_a, "select * from t"_a, &form);
  const auto lists = ActionListsOf(form);
  ASSERT_EQ(lists.size(), 2u) << "one action list per dataset";
  TCustomAction& action = *lists[0]->Actions(0);
  EXPECT_EQ(action.Caption(), "Teste");
  EXPECT_EQ(ShortCutToText(action.ShortCut()), "Ctrl+Shift+E");
  EXPECT_TRUE(action.Enabled());

  first.ParamByName("id").SetAsInteger(2);
  first.OpenQuery();
  form.Show();
  QStringList listed;
  QString statement;
  int rows = -1;
  uitest::OnNextModal driver([&](QWidget& viewer) {
    auto* list = viewer.findChild<QListWidget*>(QStringLiteral("lstQry"));
    for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);  // picked by the keyboard
    statement = viewer.findChild<QPlainTextEdit*>(QStringLiteral("mmSql"))->toPlainText();
    rows = viewer.findChild<TDBGrid*>(QStringLiteral("DBGrid1"))->model()->rowCount();
    viewer.close();
  });
  QTest::keyClick(&form.Window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(listed, (QStringList{"qryPedido", "qryCliente"}));
  EXPECT_EQ(statement.trimmed(), QStringLiteral("SELECT * FROM T WHERE ID <= '2'"))
      << "the traced statement, values written in";
  EXPECT_EQ(rows, 2);
  form.Close();
}

TEST_F(DatasetWindows, NoActionListOutsideDiagnosticModeOrWithoutOwner) {
  DatasetWorld world;
  uitest::TfrmPedido form(&Application());
  world.Dataset("qryPedido"_a, "select * from rdb$database"_a, &form);
  EXPECT_TRUE(ActionListsOf(form).empty());
  uitest::DiagnosticMode mode("-q");
  TMorvantaDataset& orphan = world.Dataset("qryOrphan"_a, "select * from rdb$database"_a);
  orphan.ShowQueryListForOwner();  // no owner: nothing is shown
  SUCCEED();
}

TEST_F(DatasetWindows, AFreedDatasetTakesItsShortcutWithIt) {
  uitest::DiagnosticMode mode("-Q");
  uitest::TfrmPedido form(&Application());
  auto* dataset = new TMorvantaDataset(&form);
  ASSERT_EQ(ActionListsOf(form).size(), 1u);
  delete dataset;
  EXPECT_TRUE(ActionListsOf(form).empty());
  form.Show();
  QTest::keyClick(&form.Window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);  // nothing to run
  form.Close();
}

TEST_F(DatasetWindows, ShowDataOnOpenShowsTheBrowserAfterTheNextOpenOnly) {
  DatasetWorld world;
  world.CreateNumberedTable(1000);
  TMorvantaDataset& rows = world.Dataset("qryNumeros"_a, "select * from t order by id"_a);
  rows.ShowDataOnOpen = true;
  int shownRows = -1;
  QString caption;
  {
    uitest::OnNextModal driver([&](QWidget& browser) {
      caption = browser.windowTitle();
      shownRows = browser.findChild<TDBGrid*>()->model()->rowCount();
      browser.close();
    });
    rows.OpenQuery();
  }
  EXPECT_EQ(caption, QStringLiteral("Dados"));
  EXPECT_EQ(shownRows, 1000);
  EXPECT_FALSE(rows.ShowDataOnOpen);
  rows.OpenQuery();  // no browser this time: a modal window would keep the test waiting
  EXPECT_EQ(rows.RecordCount(), 1000);
}

TEST(DesignState, ReachesTheComponentsAComponentOwnsWhenAsked) {
  uitest::TfrmPedido form(nullptr);
  auto* dataset = new TMorvantaDataset(&form);
  form.SetDesigning(true);
  EXPECT_TRUE(form.Designing());
  EXPECT_FALSE(dataset->Designing());
  form.SetDesigning(true, TDesignScope::WithOwned);
  EXPECT_TRUE(dataset->Designing());
  form.SetDesigning(false, TDesignScope::WithOwned);
  EXPECT_FALSE(dataset->Designing());
}
