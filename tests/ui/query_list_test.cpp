// The query list viewer on real datasets: what it lists, what a pick shows, how its grid and the
// picked dataset move together, and its layout.

#include <QFrame>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/platform/ui/UiText.h"
#include "tests/support/DatasetFixture.h"
#include "morvanta/windows/frmListaQuery.h"

using namespace morvanta;

using testdb::DatasetWorld;
using uitest::Find;

namespace {

// A dataset of another kind: not listed.
class TPedidoDataset : public TMorvantaDataset {
 public:
  using TMorvantaDataset::TMorvantaDataset;
  const char* ClassName() const override { return "TPedidoDataset"; }
};

// A subclass that reports the base class's name: still another kind.
class TUndeclaredDataset : public TMorvantaDataset {
 public:
  using TMorvantaDataset::TMorvantaDataset;
};

QStringList Lines(const QListWidget& list) {
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) lines << list.item(i)->text();
  return lines;
}

struct PedidoWorld {
  DatasetWorld world;
  uitest::TfrmPedido form{nullptr};
  PedidoWorld() {
    form.SetName("frmPedido");
    world.CreateNumberedTable(25);
  }
  TMorvantaDataset& Dataset(AsciiLiteral name, AsciiLiteral sql) { return world.Dataset(name, sql, &form); }
};

// Picks a line with the mouse, as the developer does.
void Pick(TfrmListaQuery& viewer, int row) {
  QListWidget& list = *viewer.lstQry;
  const QRect line = list.visualItemRect(list.item(row));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, line.center());
}

}  // namespace

TEST(QueryListViewer, PanelsListTextAndGridFillTheWindowAsLaidOut) {
  TfrmListaQuery viewer(nullptr);
  EXPECT_EQ(viewer.Owner(), &Application()) << "the argument does not become the owner";
  EXPECT_EQ(viewer.Caption(), "Lista Qrys");
  EXPECT_EQ(viewer.Position(), TPosition::poDesigned);
  viewer.Show();
  EXPECT_EQ(viewer.Window().size(), QSize(951, 563));
  auto& panel1 = Find<QFrame>(viewer, "Panel1");
  auto& panel2 = Find<QFrame>(viewer, "Panel2");
  EXPECT_EQ(panel1.geometry(), QRect(0, 0, 305, 563));
  EXPECT_EQ(panel2.geometry(), QRect(305, 0, 951 - 305, 563));
  const QRect inside = panel2.contentsRect();
  auto& grid = Find<TDBGrid>(viewer, "DBGrid1");
  EXPECT_EQ(grid.geometry(), QRect(inside.left(), inside.bottom() + 1 - 230, inside.width(), 230));
  auto& memo = Find<QPlainTextEdit>(viewer, "mmSql");
  EXPECT_EQ(memo.geometry(), QRect(inside.left(), inside.top(), inside.width(), inside.height() - 230));
  EXPECT_TRUE(memo.isReadOnly());
  EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(Find<QListWidget>(viewer, "lstQry").parentWidget(), &panel1);
  EXPECT_EQ(viewer.DataSource1->DataSet(), viewer.qry);
  EXPECT_EQ(grid.model()->rowCount(), 0);
  viewer.Close();
}

TEST(QueryListViewer, ListsOnlyTheOwnersOwnDatasetsOfExactlyTheDatasetClass) {
  PedidoWorld w;
  w.Dataset("qryA", "select * from t");
  new TPedidoDataset(&w.form);
  w.form.Components(w.form.ComponentCount() - 1)->SetName("qrySub");
  (new TUndeclaredDataset(&w.form))->SetName("qryUndeclared");
  TComponent other(nullptr);
  w.world.Dataset("qryOther"_a, "select * from t"_a, &other);
  w.Dataset("qryB", "select id from t");
  TfrmListaQuery viewer(&w.form);
  viewer.ListDatasets(w.form);
  EXPECT_EQ(Lines(*viewer.lstQry), (QStringList{"qryA", "qryB"}));

  TComponent empty(nullptr);
  TfrmListaQuery none(&empty);
  none.ListDatasets(empty);
  EXPECT_EQ(none.lstQry->count(), 0);
  EXPECT_EQ(none.DBGrid1->model()->rowCount(), 0);
}

TEST(QueryListViewer, APickShowsTheLastTracedStatementOrElseTheSqlText) {
  PedidoWorld w;
  TMorvantaDataset& traced = w.Dataset("qryTraced", "select * from t where id <= :id");
  traced.LastSQL = u"SELECT * FROM T WHERE ID <= '3'";
  w.Dataset("qryPlain", "select nome\r\nfrom t");
  TfrmListaQuery viewer(&w.form);
  viewer.ListDatasets(w.form);
  viewer.Show();
  Pick(viewer, 0);
  EXPECT_EQ(viewer.mmSql->toPlainText(), QStringLiteral("SELECT * FROM T WHERE ID <= '3'"));
  Pick(viewer, 1);
  EXPECT_EQ(viewer.mmSql->toPlainText(), QStringLiteral("select nome\nfrom t\n"));
  viewer.Close();
}

TEST(QueryListViewer, ADatasetIsShownOnceWhenPickedByClickOrEnterAndNotWhenTheListTakesTheFocus) {
  PedidoWorld w;
  w.Dataset("qryA", "select id from t");
  w.Dataset("qryB", "select nome from t");
  TfrmListaQuery viewer(&w.form);
  viewer.ListDatasets(w.form);
  QStringList shown;  // the statement box's text each time a dataset was shown
  QObject::connect(viewer.mmSql, &QPlainTextEdit::textChanged, [&] {
    if (!viewer.mmSql->toPlainText().isEmpty()) shown << viewer.mmSql->toPlainText().trimmed();
  });
  viewer.Show();
  viewer.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer.Window()));
  viewer.lstQry->setFocus();
  QTest::keyClick(viewer.lstQry, Qt::Key_Down);
  QTest::keyClick(viewer.lstQry, Qt::Key_Down);
  EXPECT_EQ(shown, QStringList()) << "focus and moving the current line pick nothing";
  EXPECT_EQ(viewer.DataSource1->DataSet(), viewer.qry);

  QTest::keyClick(viewer.lstQry, Qt::Key_Return);
  EXPECT_EQ(shown, QStringList{"select nome from t"});
  Pick(viewer, 0);
  EXPECT_EQ(shown, (QStringList{"select nome from t", "select id from t"})) << "one click, one show";
  viewer.Close();
}

TEST(QueryListViewer, TheGridShowsThePickedDatasetAsItIsAndMovesItsCurrentRow) {
  PedidoWorld w;
  TMorvantaDataset& open = w.Dataset("qryOpen", "select id, nome from t order by id");
  open.OpenQuery();
  w.Dataset("qryClosed", "select * from t");
  TfrmListaQuery viewer(&w.form);
  viewer.ListDatasets(w.form);
  viewer.Show();
  QAbstractItemModel& rows = *viewer.DBGrid1->model();

  Pick(viewer, 1);
  EXPECT_EQ(rows.rowCount(), 0) << "a closed dataset is not opened";
  EXPECT_FALSE(w.form.FindComponent("qryClosed") &&
               static_cast<TDataSet*>(w.form.FindComponent("qryClosed"))->Active());

  Pick(viewer, 0);
  ASSERT_EQ(rows.rowCount(), 25);
  ASSERT_EQ(rows.columnCount(), 2);
  EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), QStringLiteral("NOME"));
  EXPECT_EQ(rows.data(rows.index(4, 1)).toString(), QStringLiteral("n5"));
  EXPECT_EQ(open.RecNo(), 1) << "reading the grid does not move the dataset";

  TDBGrid& grid = *viewer.DBGrid1;
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.visualRect(rows.index(9, 0)).center());
  EXPECT_EQ(open.RecNo(), 10);
  EXPECT_EQ(open.FieldByName("ID").AsInteger(), 10);
  QTest::keyClick(grid.viewport(), Qt::Key_Down);
  EXPECT_EQ(open.RecNo(), 11);

  open.Last();
  EXPECT_EQ(grid.currentIndex().row(), 24) << "the grid follows the dataset";
  open.Delete();
  EXPECT_EQ(rows.rowCount(), 24);
  viewer.Close();
}

TEST(QueryListViewer, ShowQueryListShowsModallyAndDestroysTheViewer) {
  PedidoWorld w;
  w.Dataset("qryA", "select * from t");
  const int before = Application().ComponentCount();
  QStringList listed;
  uitest::OnNextModal driver1([&](QWidget& window) {
    listed = Lines(*window.findChild<QListWidget*>(QStringLiteral("lstQry")));
    window.close();
  });
  ShowQueryList(w.form);
  EXPECT_EQ(listed, QStringList{"qryA"});
  EXPECT_EQ(Application().ComponentCount(), before);
}
