// The report window of a failed statement: its layout, its filling from a real failed query, and
// how ShowSQLError shows it as a window in diagnostic mode only.

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "morvanta/platform/ui/StringGrid.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/platform/ui/UiText.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "morvanta/windows/frmRecError.h"
#include "tests/support/DatasetFixture.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

using testdb::DatasetWorld;
using uitest::Find;

namespace {

struct ControlRow {
  const char* name;
  QRect bounds;  // width and height 0: sized to its text
  const char* text;
  bool bold;
};

// The exception a statement raises on the database.
template <typename Action>
Exception FailureOf(Action action) {
  try {
    action();
  } catch (const Exception& error) {
    return error;
  }
  ADD_FAILURE() << "the statement did not fail";
  return Exception("");
}

// An insert with three parameters that violates the primary key; the middle value is null.
struct FailedInsert {
  DatasetWorld world;
  TSQLQuery query{nullptr};
  Exception error{""};
  FailedInsert() {
    world.Db().Execute("CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, CLIENTE INTEGER, OBS VARCHAR(20))");
    world.Db().Execute("INSERT INTO PEDIDO VALUES (7, 1, 'x')");
    query.SetSQLConnection(&world.Connection);
    query.SQL().SetText(u"INSERT INTO PEDIDO (ID, CLIENTE, OBS) VALUES (:ID, :CLIENTE, :OBS)");
    query.Params().ParamByName("ID").SetAsString("7");
    query.Params().ParamByName("CLIENTE").Clear();
    query.Params().ParamByName("OBS").SetAsString("Observação"_a);
    error = FailureOf([&] { query.ExecSQL(); });
  }
};

}  // namespace

TEST(ReportWindow, ControlsStandWhereTheLayoutPutsThem) {
  TfrmRecError form(&Application());
  EXPECT_EQ(form.Caption(), "Reconciliação de SQL"_a);
  EXPECT_EQ(form.Window().size(), QSize(550, 545));
  EXPECT_EQ(form.Window().minimumSize(), form.Window().maximumSize()) << "a tool window of fixed size";
  EXPECT_TRUE(form.Window().windowFlags().testFlag(Qt::Tool));
  const ControlRow rows[] = {
      {"Label1", {8, 16, 0, 0}, "Formulário:", true}, {"lblForm", {90, 16, 0, 0}, "", false},
      {"Label5", {312, 16, 0, 0}, "Unit:", true},     {"lblUnit", {354, 16, 0, 0}, "", false},
      {"IconImage", {503, 16, 34, 34}, "", false},    {"Label3", {8, 35, 0, 0}, "Componente:", true},
      {"lblComp", {90, 35, 0, 0}, "", false},         {"Label2", {8, 59, 0, 0}, "Erro:", true},
      {"Label4", {8, 163, 0, 0}, "SQL", true},        {"lblParam", {8, 295, 0, 0}, "Parametros", true},
  };
  for (const ControlRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto& label = Find<QLabel>(form, row.name);
    EXPECT_EQ(label.pos(), row.bounds.topLeft());
    if (row.bounds.width() > 0) {
      EXPECT_EQ(label.size(), row.bounds.size());
    }
    EXPECT_EQ(FromQString(label.text()), FromSystem(row.text));
    EXPECT_EQ(label.font().bold(), row.bold);
  }
  EXPECT_FALSE(Find<QLabel>(form, "IconImage").pixmap().isNull());
  EXPECT_EQ(Find<QLabel>(form, "IconImage").pixmap().size(), QSize(32, 32));
  EXPECT_EQ(Find<QTextEdit>(form, "mmoMsgError").geometry(), QRect(8, 78, 529, 75));
  EXPECT_EQ(Find<QTextEdit>(form, "mmoSqlError").geometry(), QRect(8, 182, 529, 107));
  EXPECT_TRUE(Find<QTextEdit>(form, "mmoSqlError").isReadOnly());
  auto& grid = Find<TStringGrid>(form, "GridParam");
  EXPECT_EQ(grid.geometry(), QRect(8, 313, 529, 196));
  EXPECT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.columnWidth(0), 128);
  EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
  auto& ok = Find<QPushButton>(form, "btnOk");
  EXPECT_EQ(ok.geometry(), QRect(462, 515, 75, 25));
  EXPECT_EQ(ok.text(), QStringLiteral("Fechar"));
}

TEST(ReportWindow, TabMovesThroughMessageStatementGridAndButton) {
  TfrmRecError form(&Application());
  form.Show();
  form.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Window()));
  form.mmoMsgError->setFocus();
  const QWidget* expected[] = {form.mmoSqlError, form.GridParam, form.btnOk, form.mmoMsgError};
  for (const QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
  form.Close();
}

TEST(ReportWindow, FillReportShowsTheFailedStatementAndOneRowPerParameter) {
  FailedInsert failed;
  TfrmRecError form(&Application());
  form.FillReport(failed.query, failed.error, "INSERT INTO PEDIDO (ID) VALUES ('7')\rAND <b>MORE</b>"_a, "frmPedido"_a,
                  "qryPedido"_a, "uPedido"_a);
  EXPECT_EQ(FromQString(form.lblForm->text()), "frmPedido");
  EXPECT_EQ(FromQString(form.lblComp->text()), "qryPedido");
  EXPECT_EQ(FromQString(form.lblUnit->text()), "uPedido");
  EXPECT_NE(FromQString(form.mmoMsgError->toPlainText()).find("PEDIDO"), std::string::npos)
      << "the server's message: " << FromQString(form.mmoMsgError->toPlainText());
  // A carriage return is a line break, and the text shows as written, markup included.
  EXPECT_EQ(form.mmoSqlError->toPlainText(), QStringLiteral("INSERT INTO PEDIDO (ID) VALUES ('7')\nAND <b>MORE</b>"));
  TStringGrid& grid = *form.GridParam;
  ASSERT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Cells(0, 0), "Parametro");
  EXPECT_EQ(grid.Cells(1, 0), "Valor");
  EXPECT_EQ(grid.Cells(0, 1), "ID");
  EXPECT_EQ(grid.Cells(1, 1), "7");
  EXPECT_EQ(grid.Cells(0, 2), "CLIENTE");
  EXPECT_EQ(grid.Cells(1, 2), "") << "a null value is the empty text";
  EXPECT_EQ(grid.Cells(1, 3), "Observação"_a);
  EXPECT_EQ(grid.Cells(0, 4), "");
  EXPECT_EQ(grid.Cells(1, 4), "");
}

TEST(ReportWindow, AQueryWithoutParametersLeavesTheHeaderAndOneEmptyRow) {
  TSQLQuery query(nullptr);
  query.SQL().SetText(u"SELECT 1 FROM RDB$DATABASE");
  TfrmRecError form(&Application());
  form.FillReport(query, Exception("falhou"), ""_a, ""_a, "qry"_a, ""_a);
  EXPECT_EQ(form.GridParam->RowCount(), 2);
  EXPECT_EQ(form.GridParam->Cells(0, 0), "Parametro");
  EXPECT_EQ(form.GridParam->Cells(0, 1), "");
  EXPECT_EQ(FromQString(form.lblForm->text()), "");
}

TEST(ReportWindow, ShownModallyOnlyInDiagnosticModeAndClosedByItsButton) {
  FailedInsert failed;
  const GraphicalDiagnostics diagnostics;
  for (const char* flag : {"", "-X", "Q"}) {
    uitest::DiagnosticMode mode(flag);
    EXPECT_FALSE(ShowSQLError(failed.query, failed.error, "frmPedido"_a, "qryPedido"_a, "uPedido"_a)) << flag;
  }
  const int before = Application().ComponentCount();
  uitest::DiagnosticMode mode("-q");
  SetLastSQLText("INSERT INTO PEDIDO (ID, CLIENTE, OBS) VALUES ('7', '', 'x')"_a);
  QString shownStatement, shownCaption;
  uitest::OnNextModal driver1([&](QWidget& window) {
    shownCaption = window.windowTitle();
    shownStatement = window.findChild<QTextEdit*>(QStringLiteral("mmoSqlError"))->toPlainText();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
  });
  EXPECT_TRUE(ShowSQLError(failed.query, failed.error, "frmPedido"_a, "qryPedido"_a, "uPedido"_a));
  EXPECT_EQ(FromQString(shownCaption), "Reconciliação de SQL"_a);
  EXPECT_EQ(FromQString(shownStatement), LastSQLText());
  // Every report has its own window, which the application keeps.
  uitest::OnNextModal driver2(
      [](QWidget& window) { window.findChild<QPushButton*>(QStringLiteral("btnOk"))->click(); });
  EXPECT_TRUE(ShowSQLError(failed.query, failed.error, ""_a, "qryPedido"_a, ""_a));
  EXPECT_EQ(Application().ComponentCount(), before + 2);
  Application().FreeForms();
}

TEST(ReportWindow, LongNamesStopShortOfTheNextLabelAndLongValuesShowWholeInTooltips) {
  FailedInsert failed;
  const AnsiString longValue(600, 'x');
  failed.query.Params().ParamByName("OBS").SetAsString(longValue);
  TfrmRecError form(&Application());
  const AnsiString longForm = "frmPedidosDeCompraComUmNomeMuitoMaisLongoQueOEspacoDoRotulo"_a;
  const AnsiString longUnit = "uPedidosDeCompraComUmaUnitLonga"_a;
  form.FillReport(failed.query, failed.error, ""_a, longForm, "qryPedido"_a, longUnit);
  form.Show();
  struct Limit {
    QLabel* label;
    const QWidget* next;
    AnsiString whole;
  };
  for (const Limit& l : {Limit{form.lblForm, form.Label5, longForm}, Limit{form.lblUnit, form.IconImage, longUnit}}) {
    SCOPED_TRACE(l.label->objectName().toStdString());
    EXPECT_LT(l.label->geometry().right(), l.next->x());
    EXPECT_TRUE(l.label->text().endsWith(QChar(0x2026))) << "elided";
    EXPECT_EQ(FromQString(l.label->toolTip()), l.whole);
  }
  EXPECT_EQ(form.lblComp->text(), QStringLiteral("qryPedido"));
  EXPECT_EQ(form.lblComp->toolTip(), QString()) << "a name that fits has no tooltip";
  EXPECT_EQ(FromQString(form.GridParam->item(3, 1)->toolTip()), longValue);
  form.Close();
}

TEST(ReportWindow, CtrlCCopiesTheWholeReportOrTheSelectedText) {
  FailedInsert failed;
  TfrmRecError form(&Application());
  form.FillReport(failed.query, failed.error, "INSERT INTO PEDIDO\rVALUES ('7')"_a, "frmPedido"_a, "qryPedido"_a,
                  "uPedido"_a);
  form.Show();
  form.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Window()));
  form.btnOk->setFocus();
  QApplication::clipboard()->clear();
  QTest::keyClick(form.btnOk, Qt::Key_C, Qt::ControlModifier);
  const QString expected = QString::fromUtf8("Formulário: frmPedido\nComponente: qryPedido\nUnit: uPedido\nErro:\n") +
                           form.mmoMsgError->toPlainText() +
                           QStringLiteral(
                               "\nSQL\nINSERT INTO PEDIDO\nVALUES ('7')\nParametros\nParametro\tValor\n"
                               "ID\t7\nCLIENTE\t\nOBS\t") +
                           QString::fromUtf8("Observação\n");
  EXPECT_EQ(QApplication::clipboard()->text(), expected);

  form.mmoSqlError->setFocus();
  QTextCursor cursor = form.mmoSqlError->textCursor();
  cursor.setPosition(0);
  cursor.setPosition(6, QTextCursor::KeepAnchor);
  form.mmoSqlError->setTextCursor(cursor);
  QTest::keyClick(form.mmoSqlError, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("INSERT"));
  form.Close();
}
