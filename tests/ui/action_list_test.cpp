// Action lists: shortcut texts, and actions that run when their shortcut is pressed in the window
// of the list's owner, and only there.

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/ui/GraphicalInteraction.h"
#include "tests/ui/UiTestSupport.h"

using namespace morvanta;

TEST(ShortCutText, ModifiersAndKeysInAnyCaseAndOrder) {
  EXPECT_EQ(TextToShortCut("Ctrl+Shift+E"), scCtrl | scShift | 'E');
  EXPECT_EQ(TextToShortCut("shift+ctrl+e"), scCtrl | scShift | 'E');
  EXPECT_EQ(TextToShortCut("Alt+F4"), scAlt | (kKeyF1 + 3));
  EXPECT_EQ(TextToShortCut("F12"), kKeyF1 + 11);
  EXPECT_EQ(TextToShortCut("Ctrl+Shift+"), 0);
  EXPECT_EQ(TextToShortCut("Hyper+E"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+F13"), 0);
  EXPECT_EQ(ShortCutToText(TextToShortCut("Ctrl+Shift+E")), "Ctrl+Shift+E");
}

namespace {

struct OwnedAction {
  TCustomAction* action;
  int runs = 0;
  explicit OwnedAction(TComponent& owner) {
    auto* list = new TActionList(&owner);
    action = new TCustomAction(list);
    action->SetActionList(list);
    action->SetCaption("Teste"_a);
    action->SetShortCut(TextToShortCut("Ctrl+Shift+E"));
    action->OnExecute = [this](TCustomAction&) { ++runs; };
  }
};

}  // namespace

TEST(ActionList, TheShortcutRunsTheActionFromAnyControlOfTheOwnersWindow) {
  uitest::TfrmPedido form(&Application());
  auto* edit = new QLineEdit(&form.Window());
  OwnedAction owned(form);
  form.Show();
  QTest::keyClick(&form.Window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(owned.runs, 1);
  QTest::keyClick(edit, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(owned.runs, 2);
  EXPECT_EQ(edit->text(), QString()) << "the key went no further";
  QTest::keyClick(edit, Qt::Key_E, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_E);
  EXPECT_EQ(owned.runs, 2);
  EXPECT_EQ(edit->text(), QStringLiteral("e"));

  owned.action->SetEnabled(false);
  QTest::keyClick(edit, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(owned.runs, 2) << "a disabled action does not run";
  form.Close();
}

TEST(ActionList, AnotherWindowDoesNotRunTheAction) {
  uitest::TfrmPedido owner(&Application());
  OwnedAction owned(owner);
  uitest::TfrmPedido other(&Application());
  other.Show();
  QTest::keyClick(&other.Window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(owned.runs, 0);
  other.Close();
}

TEST(ActionList, AnErrorOfTheActionIsShownAndTheWindowCarriesOn) {
  uitest::TfrmPedido form(&Application());
  OwnedAction owned(form);
  owned.action->OnExecute = [](TCustomAction&) { throw Exception("sem dados"); };
  TGraphicalInteraction boxes;
  SetUserInteraction(&boxes);
  form.Show();
  QString shown;
  uitest::OnNextModal driver1([&](QWidget& box) {
    shown = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
    box.close();
  });
  QTest::keyClick(&form.Window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  SetUserInteraction(nullptr);
  EXPECT_EQ(shown, QStringLiteral("sem dados"));
  EXPECT_TRUE(form.Visible());
  form.Close();
}
