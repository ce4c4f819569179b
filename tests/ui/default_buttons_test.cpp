// Enter and Escape in the dialogs: Enter presses the focused button, or else the window's default
// button ("Fechar" in the report, "OK" in the generator picker), also right after typing a name;
// Escape closes the dialog as its Cancel does.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/Application.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/windows/frmRecError.h"
#include "tests/support/DatasetFixture.h"
#include "morvanta/windows/FGenerator.h"

using namespace morvanta;

namespace {

// Shows the form as the active window.
void Activate(TForm& form) {
  form.Show();
  form.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Window()));
}

void PressIn(QWidget& focus, Qt::Key key) {
  focus.setFocus();
  QTest::keyClick(&focus, key);
}

}  // namespace

TEST(DialogKeys, EnterPressesTheFocusedOrElseTheDefaultButtonAndEscapeCancels) {
  for (const char* control : {"btnOk", "GridParam"}) {
    TfrmRecError report(&Application());
    Activate(report);
    PressIn(uitest::Find<QWidget>(report, control), Qt::Key_Return);
    EXPECT_FALSE(report.Visible()) << control;
  }
  testdb::DatasetWorld world;
  struct Case {
    const char* focus;
    Qt::Key key;
    bool confirmed;
  };
  for (const Case& c : {Case{"cbOnField", Qt::Key_Return, true}, Case{"btnOK", Qt::Key_Enter, true},
                        Case{"btnCancel", Qt::Key_Return, false}, Case{"cbOnField", Qt::Key_Escape, false}}) {
    SCOPED_TRACE(std::string(c.focus) + " " + std::to_string(c.key));
    TFGenerator picker(&Application());
    picker.MorvantaDatabase = &world.Connection;
    picker.OwnDatabase->ConfigureConnection("Interbase"_a, world.Db().Database(), world.Db().UserName(),
                                            world.Db().Password());
    Activate(picker);
    QTest::keyClicks(picker.cbGenerator->lineEdit(), QStringLiteral("GEN_X"));
    QTest::keyClicks(picker.cbOnField->lineEdit(), QStringLiteral("ID"));
    auto& focus = uitest::Find<QWidget>(picker, c.focus);
    auto* box = qobject_cast<QComboBox*>(&focus);
    PressIn(box ? *box->lineEdit() : focus, c.key);  // right after typing the field name
    EXPECT_FALSE(picker.Visible());
    EXPECT_EQ(picker.Confirmed, c.confirmed);
    EXPECT_EQ(picker.GeneratorName, c.confirmed ? "GEN_X" : "");
  }
}
