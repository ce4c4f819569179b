// Enter and Escape in the dialogs: Enter presses the focused button, or else the window's default
// button ("Fechar" in the report, "OK" in the generator picker), also right after typing a name;
// Escape closes the dialog as its Cancel does.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "Application.h"
#include "StringGrid.h"
#include "UiTestSupport.h"
#include "frmRecError.h"
#include "support/DatasetFixture.h"
#include "uGenerator.h"

namespace {

// Shows the form, makes it the active window and gives `focus` the keyboard.
void Activate(TForm& form, QWidget& focus) {
  form.Show();
  form.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Window()));
  focus.setFocus();
  QApplication::processEvents();
}

void Type(QComboBox& box, const char* text) {
  box.lineEdit()->setFocus();
  box.lineEdit()->clear();
  QTest::keyClicks(box.lineEdit(), QString::fromLatin1(text));
}

}  // namespace

TEST(DialogKeys, EnterOnAnyControlOfTheReportClosesIt) {
  for (const char* control : {"btnOk", "GridParam"}) {
    SCOPED_TRACE(control);
    TfrmRecError report(&Application());
    auto& focus = uitest::Find<QWidget>(report, control);
    Activate(report, focus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(report.Visible());
  }
}

TEST(DialogKeys, InThePickerEnterConfirmsTypedNamesAFocusedCancelCancelsAndEscapeCancels) {
  testdb::DatasetWorld world;
  struct Case {
    const char* what;
    std::function<void(TFGenerator&)> keys;
    bool confirmed;
  };
  const Case cases[] = {
      {"Enter after typing the field name",
       [](TFGenerator& p) {
         Type(*p.cbGenerator, "GEN_X");
         Type(*p.cbOnField, "ID");
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
       },
       true},
      {"Enter on the focused OK",
       [](TFGenerator& p) {
         Type(*p.cbGenerator, "GEN_X");
         Type(*p.cbOnField, "ID");
         p.btnOK->setFocus();
         QTest::keyClick(p.btnOK, Qt::Key_Enter);
       },
       true},
      {"Enter on the focused Cancel",
       [](TFGenerator& p) {
         Type(*p.cbGenerator, "GEN_X");
         Type(*p.cbOnField, "ID");
         p.btnCancel->setFocus();
         QTest::keyClick(p.btnCancel, Qt::Key_Return);
       },
       false},
      {"Escape",
       [](TFGenerator& p) {
         Type(*p.cbGenerator, "GEN_X");
         Type(*p.cbOnField, "ID");
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFGenerator picker(&Application());
    picker.MorvantaDatabase = &world.Connection;
    picker.OwnDatabase->ConfigureConnection("Interbase", world.Db().Database(), world.Db().UserName(),
                                            world.Db().Password());
    Activate(picker, *picker.cbGenerator);
    c.keys(picker);
    EXPECT_FALSE(picker.Visible());
    EXPECT_EQ(picker.Confirmed, c.confirmed);
    if (c.confirmed) {
      EXPECT_EQ(picker.GeneratorName, "GEN_X");
      EXPECT_EQ(picker.OnFieldName, "ID");
    }
  }
}
