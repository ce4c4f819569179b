// The store-orders sample window on a real embedded database made from the sample script: orders
// and observations written through its buttons reach the database with their change-log rows, and
// in diagnostic mode its shortcut lists the form's datasets.

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "samples/loja-pedidos/LojaPedidosWindow.h"
#include "morvanta/components/MorvantaDataset.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/platform/ui/UiText.h"
#include "morvanta/diagnostics/DiagnosticMode.h"
#include "tests/support/FormFiles.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace {

const char* const kIsql = "/usr/bin/isql-fb";

// An embedded database made from the sample script, as samples/loja-pedidos/run.sh makes it.
std::unique_ptr<testdb::TestDatabase> SampleDatabase() {
  auto db = testdb::TestDatabase::Embedded({.charSet = "WIN1252"_a});
  const QString script =
      QString::fromStdString(std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/loja-pedidos.sql");
  QProcess isql;
  isql.start(QString::fromLatin1(kIsql),
             {"-q", "-ch", "UTF8", "-user", "SYSDBA", QString::fromStdString(db->FilePath()), "-i", script});
  isql.waitForFinished(60000);
  const QByteArray errors = isql.readAllStandardError();
  if (isql.exitCode() != 0 || !errors.isEmpty()) ADD_FAILURE() << errors.toStdString();
  return db;
}

class LojaPedidos : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIsql)) GTEST_SKIP() << "isql-fb is not installed";
    db_ = SampleDatabase();
  }
  TfrmLojaPedidos& Open() {
    LojaConnection connection{db_->Database(), db_->UserName(), db_->Password()};
    auto* window = new TfrmLojaPedidos(
        &Application(), std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/loja-pedidos.form.json", connection);
    window->Show();
    return *window;
  }
  AnsiString Query(const char* sql) const { return db_->QueryScalar(sql); }
  void TearDown() override { Application().FreeForms(); }

  std::unique_ptr<testdb::TestDatabase> db_;
};

}  // namespace

TEST_F(LojaPedidos, OrdersAndObservationsWrittenThroughTheButtonsReachTheDatabaseAndTheChangeLog) {
  TfrmLojaPedidos& window = Open();
  ASSERT_EQ(window.Pedidos().RecordCount(), 3);
  EXPECT_EQ(window.Observacoes().RecordCount(), 1) << "the first order's observation, through the data source";

  window.edCliente->setText(QStringLiteral("Quitanda Boa Vista"));
  QTest::mouseClick(window.btnNovoPedido, Qt::LeftButton);
  EXPECT_EQ(window.Pedidos().FieldByName("CPE_CODIGO").AsInteger(), 1001) << "the key from the generator";
  EXPECT_EQ(Query("SELECT LJA_CODIGO || ':' || CPE_CLIENTE || ':' || CPE_STATUS FROM FATCPPEDIDO WHERE CPE_CODIGO = "
                  "1001"),
            "1:Quitanda Boa Vista:W");
  EXPECT_EQ(window.Observacoes().RecordCount(), 0) << "the new order has no observation yet";

  window.mmObserv->setPlainText(QString::fromUtf8("Entregar à tarde"));
  QTest::mouseClick(window.btnGravarObserv, Qt::LeftButton);
  window.mmObserv->setPlainText(QString::fromUtf8("Entregar às 15h"));
  QTest::mouseClick(window.btnGravarObserv, Qt::LeftButton);
  EXPECT_EQ(Query("SELECT COUNT(*) || ':' || LIST(OBS_OBSERV) FROM FATOBSERVPEDIDO WHERE CPE_CODIGO = 1001"),
            FromSystem("1:Entregar às 15h"));

  window.Pedidos().First();
  ASSERT_EQ(window.Pedidos().FieldByName("CPE_CODIGO").AsInteger(), 101);
  ASSERT_EQ(window.Observacoes().RecordCount(), 1);
  QTest::mouseClick(window.btnExcluirObserv, Qt::LeftButton);
  EXPECT_EQ(Query("SELECT LIST(CPE_CODIGO) FROM (SELECT CPE_CODIGO FROM FATOBSERVPEDIDO ORDER BY CPE_CODIGO)"),
            "102,1001");

  EXPECT_EQ(Query("SELECT LIST(CTL_TABLE || ':' || CTL_TPOPER || ':' || DBA_CODIGO || ':' || CTL_USUARIO || ':' || "
                  "CTL_FORM || '.' || CTL_QUERY, ',') FROM (SELECT * FROM CONTROLLOG ORDER BY CTL_ID)"),
            "FATCPPEDIDO:I:1:SYSDBA:frmLojaPedidos.qryPedidos,FATOBSERVPEDIDO:I:1:SYSDBA:frmLojaPedidos.qryObserv,"
            "FATOBSERVPEDIDO:A:1:SYSDBA:frmLojaPedidos.qryObserv")
      << "an insert, an insert and an edit; deleting a row no post changed writes no entry";
  EXPECT_EQ(Query("SELECT LIST(CLD_FIELDNAME || '=' || CLD_FIELDVALUE, ',') FROM (SELECT D.* FROM CONTROLLOGDET D "
                  "JOIN CONTROLLOG H ON H.CTL_ID = D.CTL_ID WHERE H.CTL_TABLE = 'FATCPPEDIDO' AND D.CLD_FIELDNAME <> "
                  "'CPE_DATA' ORDER BY D.CLD_ID)"),
            "LJA_CODIGO=1,CPE_CODIGO=1001,CPE_CLIENTE=Quitanda Boa Vista,CPE_STATUS=W")
      << "the posted order's values (the date aside)";
}

TEST_F(LojaPedidos, DeletingAnOrderTakesItsObservationAlong) {
  TfrmLojaPedidos& window = Open();
  ASSERT_EQ(window.Pedidos().FieldByName("CPE_CODIGO").AsInteger(), 101);
  QTest::mouseClick(window.btnExcluirPedido, Qt::LeftButton);
  EXPECT_EQ(Query("SELECT LIST(CPE_CODIGO) FROM (SELECT CPE_CODIGO FROM FATCPPEDIDO ORDER BY CPE_CODIGO)"), "102,103");
  EXPECT_EQ(Query("SELECT COUNT(*) FROM FATOBSERVPEDIDO WHERE CPE_CODIGO = 101"), "0");
  EXPECT_EQ(window.Pedidos().RecordCount(), 2);
}

TEST_F(LojaPedidos, InDiagnosticModeTheShortcutListsTheFormsDatasets) {
  uitest::DiagnosticMode mode("-Q");
  TempFolder folder;
  SetSQLTraceFileName(FromSystem((folder.Path() / "qry.sql").string()));
  GraphicalDiagnostics diagnostics;
  TfrmLojaPedidos& window = Open();
  QStringList listed;
  uitest::OnNextModal driver([&](QWidget& viewer) {
    auto* list = viewer.findChild<QListWidget*>(QStringLiteral("lstQry"));
    for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
    viewer.close();
  });
  QTest::keyClick(window.grdPedidos, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(listed, (QStringList{"qryPedidos", "qryObserv"}));
}

TEST_F(LojaPedidos, TheObservationGridAndTextFollowTheCurrentOrderAndEscapeLeavesTheWindowOpen) {
  TfrmLojaPedidos& window = Open();
  auto pick = [&](int row) {
    TDBGrid& grid = *window.grdPedidos;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid.visualRect(grid.model()->index(row, 0)).center());
    return window.Pedidos().FieldByName("CPE_CODIGO").AsInteger();
  };
  struct Step {
    int row, order, observations;
    bool hasText;
  };
  window.edCliente->setText(QStringLiteral("Quitanda Boa Vista"));
  QTest::mouseClick(window.btnNovoPedido, Qt::LeftButton);  // order 1001, without observation
  for (const Step& s : {Step{1, 102, 1, true}, Step{2, 103, 0, false}, Step{0, 101, 1, true}, Step{3, 1001, 0, false},
                        Step{1, 102, 1, true}}) {
    SCOPED_TRACE(s.order);
    ASSERT_EQ(pick(s.row), s.order);
    EXPECT_EQ(window.Observacoes().RecordCount(), s.observations);
    EXPECT_EQ(window.grdObserv->model()->rowCount(), s.observations);
    const AnsiString stored =
        s.hasText ? Query(("SELECT OBS_OBSERV FROM FATOBSERVPEDIDO WHERE CPE_CODIGO = " + IntToStr(s.order)).c_str())
                  : AnsiString();
    EXPECT_EQ(FromQString(window.mmObserv->toPlainText()), stored);
  }

  window.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Window()));
  window.grdPedidos->setFocus();
  QTest::keyClick(window.grdPedidos, Qt::Key_Escape);
  EXPECT_TRUE(window.Visible()) << "a main window does not close on Escape";
}
