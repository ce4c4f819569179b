#include "morvanta/platform/ui/GraphicalInteraction.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

namespace {

// A modal box with the text as given (each carriage return a line break) and an OK button.
void ShowBox(const QString& caption, const QString& text, const QString& details) {
  QMessageBox box(QApplication::activeWindow());
  box.setObjectName(QStringLiteral("MessageBox"));
  box.setFont(FormFont());
  box.setWindowTitle(caption);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  if (!details.isEmpty()) box.setDetailedText(details);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace

void TGraphicalInteraction::ShowMessage(const AnsiString& text) {
  ShowBox(ToQString(Application().Title()), ToQStringLines(text), QString());
}

void TGraphicalInteraction::ShowReport(const TModalReport& report) {
  QString text;
  for (const auto& [label, value] : report.Fields) text += ToQString(label) + ' ' + ToQStringLines(value) + '\n';
  QString table;
  for (const auto& row : report.TableRows) {
    QStringList cells;
    for (const AnsiString& cell : row) cells << ToQString(cell);
    table += cells.join('\t') + '\n';
  }
  ShowBox(ToQString(report.Caption), text, table);
}

bool TGraphicalInteraction::Confirm(const AnsiString& question) {
  QMessageBox box(QApplication::activeWindow());
  box.setObjectName(QStringLiteral("QuestionBox"));
  box.setFont(FormFont());
  box.setWindowTitle(ToQString(Application().Title()));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQStringLines(question));
  QPushButton* yes = box.addButton(ToQString("Sim"), QMessageBox::YesRole);
  box.setDefaultButton(box.addButton(ToQString("Não"_a), QMessageBox::NoRole));
  box.exec();
  return box.clickedButton() == yes;
}

void TGraphicalInteraction::ProcessMessages() { Application().ProcessMessages(); }

void UseGraphicalInteraction() {
  static TGraphicalInteraction interaction;
  SetUserInteraction(&interaction);
}

}  // namespace morvanta
