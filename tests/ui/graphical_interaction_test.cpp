// The graphical user-interaction service: a modal message box with the text as given, each
// carriage return a line break, and the processing of pending window messages.

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/GraphicalInteraction.h"
#include "tests/ui/UiTestSupport.h"

using namespace morvanta;

TEST(GraphicalInteraction, AMessageBoxShowsTheTextWithItsLineBreaksUntilClosed) {
  TGraphicalInteraction interaction;
  QString text;
  bool plain = false;
  uitest::OnNextModal driver1([&](QWidget& window) {
    auto& box = dynamic_cast<QMessageBox&>(window);
    text = box.text();
    plain = box.textFormat() == Qt::PlainText;
    box.button(QMessageBox::Ok)->click();
  });
  interaction.ShowMessage("Erro: <b>falhou</b>\rlinha 2\r\nlinha 3"_a);
  EXPECT_EQ(text, QStringLiteral("Erro: <b>falhou</b>\nlinha 2\nlinha 3"));
  EXPECT_TRUE(plain);
}

TEST(GraphicalInteraction, ProcessMessagesRunsWhatIsPending) {
  TGraphicalInteraction interaction;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  interaction.ProcessMessages();
  EXPECT_TRUE(ran);
}
