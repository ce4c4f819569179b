#include "morvanta/windows/frmRecError.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/Controls.h"
#include "morvanta/platform/ui/StringGrid.h"
#include "morvanta/platform/ui/UiText.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

namespace {

// A 32 x 32 warning sign: a yellow triangle with a black exclamation mark.
QPixmap WarningIcon() {
  QPixmap icon(32, 32);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath triangle;
  triangle.moveTo(16, 1.5);
  triangle.lineTo(30.5, 29.5);
  triangle.lineTo(1.5, 29.5);
  triangle.closeSubpath();
  painter.setPen(QPen(Qt::black, 1.5));
  painter.setBrush(QColor(255, 214, 0));
  painter.drawPath(triangle);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawRoundedRect(QRectF(14.5, 9.5, 3, 12), 1.2, 1.2);
  painter.drawEllipse(QRectF(14.25, 23.5, 3.5, 3.5));
  return icon;
}

// Shows as much of the text as fits in `width` pixels, the rest elided; the whole text is then the
// label's tooltip.
void SetFittedText(QLabel& label, const AnsiString& text, int width) {
  const QString whole = ToQString(text);
  const QString shown = label.fontMetrics().elidedText(whole, Qt::ElideRight, width);
  label.setText(shown);
  label.setToolTip(shown == whole ? QString() : whole);
  label.adjustSize();
}

}  // namespace

TfrmRecError::TfrmRecError(TComponent* owner) : TForm(owner) {
  SetName("frmRecError");
  SetCaption("Reconciliação de SQL"_a);
  SetClientSize(550, 545);
  SetBorderStyle(TBorderStyle::bsToolWindow);
  SetPosition(TPosition::poOwnerFormCenter);
  QWidget* w = &Window();
  Label1 = NewLabel(w, "Label1", "Formulário:"_a, {8, 16}, TFontStyle::fsBold);
  lblForm = NewLabel(w, "lblForm", ""_a, {90, 16});
  Label5 = NewLabel(w, "Label5", "Unit:"_a, {312, 16}, TFontStyle::fsBold);
  lblUnit = NewLabel(w, "lblUnit", ""_a, {354, 16});
  IconImage = NewLabel(w, "IconImage", ""_a, QRect(503, 16, 34, 34));
  IconImage->setPixmap(WarningIcon());
  IconImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label3 = NewLabel(w, "Label3", "Componente:"_a, {8, 35}, TFontStyle::fsBold);
  lblComp = NewLabel(w, "lblComp", ""_a, {90, 35});
  Label2 = NewLabel(w, "Label2", "Erro:"_a, {8, 59}, TFontStyle::fsBold);
  mmoMsgError = NewRichTextBox(w, "mmoMsgError", QRect(8, 78, 529, 75));
  Label4 = NewLabel(w, "Label4", "SQL"_a, {8, 163}, TFontStyle::fsBold);
  mmoSqlError = NewRichTextBox(w, "mmoSqlError", QRect(8, 182, 529, 107));
  lblParam = NewLabel(w, "lblParam", "Parametros"_a, {8, 295}, TFontStyle::fsBold);
  GridParam = new TStringGrid(w, "GridParam", 2, 2);
  GridParam->SetDefaultColWidth(128);
  GridParam->setGeometry(8, 313, 529, 196);
  btnOk = NewButton(w, "btnOk", "Fechar"_a, QRect(462, 515, 75, 25));
  btnOk->setDefault(true);
  QObject::connect(btnOk, &QPushButton::clicked, [this] { btnOkClick(); });
  QWidget::setTabOrder(mmoMsgError, mmoSqlError);
  QWidget::setTabOrder(mmoSqlError, GridParam);
  QWidget::setTabOrder(GridParam, btnOk);
  // Ctrl+C copies what is selected in a text box, or else the whole report.
  auto* copy = new QShortcut(QKeySequence::Copy, w);
  QObject::connect(copy, &QShortcut::activated, [this] { CopyToClipboard(); });
}

void TfrmRecError::FillReport(TSQLQuery& query, const Exception& error, const AnsiString& sqlText,
                              const AnsiString& formName, const AnsiString& componentName, const AnsiString& unitName) {
  names_ = {formName, componentName, unitName};
  // A name stops short of the next label, and of the icon.
  const int gap = 6;
  SetFittedText(*lblForm, formName, Label5->x() - lblForm->x() - gap);
  SetFittedText(*lblComp, componentName, IconImage->x() - lblComp->x() - gap);
  SetFittedText(*lblUnit, unitName, IconImage->x() - lblUnit->x() - gap);
  SetRichText(*mmoSqlError, sqlText);
  SetRichText(*mmoMsgError, error.Message());
  GridParam->SetCells(0, 0, "Parametro"_a);
  GridParam->SetCells(1, 0, "Valor"_a);
  TParams& params = query.Params();
  for (int i = 0; i < params.Count(); ++i) AddParamRow(ToAnsi(params[i].Name()), params[i].AsString());
}

void TfrmRecError::AddParamRow(const AnsiString& name, const AnsiString& value) {
  const int last = GridParam->RowCount() - 1;
  GridParam->SetCells(0, last, name);
  GridParam->SetCells(1, last, value);
  // The column shows the start of a long value (a blob text); its tooltip shows it whole.
  GridParam->item(last, 1)->setToolTip(ToQStringLines(value));
  GridParam->SetRowCount(GridParam->RowCount() + 1);
}

void TfrmRecError::btnOkClick() { Close(); }

QString TfrmRecError::ReportText() const {
  QString text;
  text += Label1->text() + ' ' + ToQString(names_.form) + '\n';
  text += Label3->text() + ' ' + ToQString(names_.component) + '\n';
  text += Label5->text() + ' ' + ToQString(names_.unit) + '\n';
  text += Label2->text() + '\n' + mmoMsgError->toPlainText() + '\n';
  text += Label4->text() + '\n' + mmoSqlError->toPlainText() + '\n';
  text += lblParam->text() + '\n';
  for (int row = 0; row < GridParam->RowCount(); ++row) {
    const AnsiString name = GridParam->Cells(0, row), value = GridParam->Cells(1, row);
    if (!name.empty() || !value.empty()) text += ToQString(name) + '\t' + ToQStringLines(value) + '\n';
  }
  return text;
}

void TfrmRecError::CopyToClipboard() const {
  auto* box = qobject_cast<QTextEdit*>(QApplication::focusWidget());
  const bool selection = box && box->window() == &Window() && box->textCursor().hasSelection();
  QApplication::clipboard()->setText(selection ? box->textCursor().selection().toPlainText() : ReportText());
}

void ShowSQLErrorReportWindow(TSQLQuery& query, const Exception& error, const AnsiString& sqlText,
                              const AnsiString& formName, const AnsiString& componentName, const AnsiString& unitName) {
  auto* report = new TfrmRecError(&Application());
  report->FillReport(query, error, sqlText, formName, componentName, unitName);
  report->ShowModal();
}

}  // namespace morvanta
