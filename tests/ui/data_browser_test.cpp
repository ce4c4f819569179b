// The data browser: its layout, what it shows, the flag it clears, the dataset it goes with, and
// a grid that reads a million cached rows on demand.

#include <QFrame>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/windows/DataBrowser.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/support/DatasetFixture.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

using testdb::DatasetWorld;
using uitest::Find;

TEST(DataBrowser, GridAboveAStatementPanelInAWindowOf820By640) {
  DatasetWorld world;
  world.CreateNumberedTable(1000);
  TMorvantaDataset& rows = world.Dataset("qryNumeros"_a, "select * from t order by id"_a);
  rows.OpenQuery();
  auto* browser = new TDataBrowser(rows);
  EXPECT_EQ(browser->Owner(), &rows);
  EXPECT_EQ(browser->Caption(), "Dados");
  EXPECT_EQ(browser->Position(), TPosition::poScreenCenter);
  browser->Show();
  EXPECT_EQ(browser->Window().frameGeometry().size(), QSize(820, 640));
  const QSize client = browser->Window().size();
  EXPECT_EQ(browser->Panel->geometry(), QRect(0, client.height() - 120, client.width(), 120));
  EXPECT_EQ(browser->Grid->geometry(), QRect(0, 0, client.width(), client.height() - 120));
  EXPECT_EQ(browser->Memo->parentWidget(), browser->Panel);
  EXPECT_EQ(browser->Grid->model()->rowCount(), 1000);
  EXPECT_EQ(browser->Grid->model()->columnCount(), 3);
  browser->Close();
}

TEST(DataBrowser, ShownModallyWithTheLastStatementThenTheFlagIsCleared) {
  DatasetWorld world;
  world.CreateNumberedTable(3);
  TMorvantaDataset& rows = world.Dataset("qryNumeros"_a, "select * from t order by id"_a);
  rows.OpenQuery();
  rows.ShowDataOnOpen = true;
  SetLastSQLText("SELECT * FROM T\rORDER BY ID"_a);
  QString statement;
  int shownRows = -1;
  uitest::OnNextModal driver1([&](QWidget& window) {
    statement = window.findChild<QPlainTextEdit*>()->toPlainText();
    shownRows = window.findChild<TDBGrid*>()->model()->rowCount();
    window.close();
  });
  ShowDataBrowser(rows);
  EXPECT_EQ(statement, QStringLiteral("SELECT * FROM T\nORDER BY ID"));
  EXPECT_EQ(shownRows, 3);
  EXPECT_FALSE(rows.ShowDataOnOpen);
  EXPECT_EQ(rows.ComponentCount(), 1) << "the closed browser stays with the dataset";
  SetLastSQLText(""_a);
}

TEST(DataBrowser, GoesWithItsDatasetAndLetsGoOfADatasetThatGoesFirst) {
  DatasetWorld world;
  world.CreateNumberedTable(5);
  auto rows = std::make_unique<TMorvantaDataset>(nullptr);
  rows->SetDatabase(&world.Connection);
  rows->SQL().SetText("select * from t");
  rows->OpenQuery();
  auto* browser = new TDataBrowser(*rows);
  browser->Show();
  QApplication::processEvents();
  rows.reset();  // frees the browser too

  TClientDataSet other(nullptr);
  other.FieldDefs().Add(u"ID", ftInteger);
  other.CreateDataSet();
  TDataSource source(nullptr);
  source.SetDataSet(&other);
  TDBGrid grid(nullptr, "grid");
  grid.SetDataSource(&source);
  other.Append();
  other.Fields(0).SetAsInteger(1);
  other.Post();
  EXPECT_EQ(grid.model()->rowCount(), 1);
  source.SetDataSet(nullptr);
  EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST(DataBrowser, AMillionCachedRowsAreReadOnlyWhereTheGridLooks) {
  TClientDataSet rows(nullptr);
  rows.FieldDefs().Add(u"ID", ftInteger);
  rows.FieldDefs().Add(u"NOME", ftString, 20);
  rows.CreateDataSet();
  rows.DisableControls();
  for (int i = 1; i <= 1000000; ++i) {
    rows.Append();
    rows.Fields(0).SetAsInteger(i);
    rows.Fields(1).SetAsString("linha");
    rows.Post();
  }
  rows.First();
  rows.EnableControls();
  TDataSource source(nullptr);
  source.SetDataSet(&rows);
  TDBGrid grid(nullptr, "grid");
  grid.resize(600, 400);
  grid.SetDataSource(&source);
  grid.show();
  QAbstractItemModel& model = *grid.model();
  ASSERT_EQ(model.rowCount(), 1000000);
  EXPECT_EQ(model.data(model.index(999999, 0)).toString(), QStringLiteral("1000000"));
  grid.scrollToBottom();
  QApplication::processEvents();
  QTest::keyClick(grid.viewport(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(rows.RecNo(), 1000000);
  rows.SetRecNo(500000);
  EXPECT_EQ(grid.currentIndex().row(), 499999);
}

TEST(DataBrowser, TheStatementScrollsAndAClosedBrowserStopsFollowingItsDatasetUntilShownAgain) {
  DatasetWorld world;
  world.CreateNumberedTable(5);
  TMorvantaDataset& rows = world.Dataset("qryNumeros"_a, "select * from t order by id"_a);
  rows.OpenQuery();
  auto* browser = new TDataBrowser(rows);
  EXPECT_EQ(browser->Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  browser->Show();
  rows.SetRecNo(3);
  EXPECT_EQ(browser->Grid->currentIndex().row(), 2) << "shown, the grid follows";
  browser->Close();

  int refreshed = 0;
  QObject::connect(browser->Grid->model(), &QAbstractItemModel::dataChanged, [&] { ++refreshed; });
  QObject::connect(browser->Grid->model(), &QAbstractItemModel::modelReset, [&] { ++refreshed; });
  rows.Next();
  rows.Close();
  rows.OpenQuery();
  rows.SetRecNo(4);
  EXPECT_EQ(refreshed, 0) << "closed, it hears nothing of the dataset";

  browser->Show();
  EXPECT_EQ(browser->Grid->model()->rowCount(), 5);
  EXPECT_EQ(browser->Grid->currentIndex().row(), 3);
  rows.First();
  EXPECT_EQ(browser->Grid->currentIndex().row(), 0) << "shown again, it follows again";
  browser->Close();
}

TEST(DataBrowser, AGridOnADataSourceLeavesTheApplicationsOnDataChangeInPlace) {
  TClientDataSet rows(nullptr);
  rows.FieldDefs().Add(u"ID", ftInteger);
  rows.CreateDataSet();
  TDataSource source(nullptr);
  source.SetDataSet(&rows);
  int told = 0;
  source.OnDataChange = [&told](TDataSource&, TDataEvent, std::intptr_t) { ++told; };
  TDBGrid grid(nullptr, "grid");
  grid.SetDataSource(&source);
  rows.Append();
  rows.Fields(0).SetAsInteger(7);
  rows.Post();
  EXPECT_GT(told, 0) << "the application's handler still fires";
  EXPECT_EQ(grid.model()->rowCount(), 1);
}
