// The generator picker on a real database: the catalogue it lists, what OK and Cancel hand back,
// and the opening protocol that writes GeneratorField.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/platform/ui/UiText.h"
#include "tests/support/DatasetFixture.h"
#include "morvanta/windows/FGenerator.h"

using namespace morvanta;

using testdb::DatasetWorld;
using uitest::Find;

namespace {

struct GeneratorWorld {
  DatasetWorld world;
  GeneratorWorld() {
    world.Db().Execute("CREATE GENERATOR GEN_PEDIDO");
    world.Db().Execute("CREATE GENERATOR GEN_CLIENTE");
    world.Db().Execute("CREATE GENERATOR GEN$INTERNO");
  }
  // A picker whose own connection is on the world's database.
  std::unique_ptr<TFGenerator> Picker() {
    auto picker = std::make_unique<TFGenerator>(&Application());
    picker->OwnDatabase->ConfigureConnection("Interbase"_a, world.Db().Database(), world.Db().UserName(),
                                             world.Db().Password());
    picker->MorvantaDatabase = &world.Connection;
    return picker;
  }
};

QStringList Entries(const QComboBox& box) {
  QStringList entries;
  for (int i = 0; i < box.count(); ++i) entries << box.itemText(i);
  return entries;
}

void TypeInto(QComboBox& box, const char* text) {
  box.lineEdit()->clear();
  QTest::keyClicks(box.lineEdit(), QString::fromUtf8(text));
}

}  // namespace

TEST(GeneratorPicker, ControlsStandWhereTheLayoutPutsThem) {
  TFGenerator picker(&Application());
  EXPECT_EQ(picker.Caption(), "Generator Field");
  EXPECT_EQ(picker.Window().size(), QSize(238, 102));
  EXPECT_EQ(picker.Position(), TPosition::poScreenCenter);
  EXPECT_EQ(Find<QLabel>(picker, "Label1").geometry(), QRect(8, 8, 49, 13));
  EXPECT_EQ(Find<QLabel>(picker, "Label1").text(), QStringLiteral("Generator"));
  EXPECT_EQ(Find<QLabel>(picker, "Label2").geometry(), QRect(18, 33, 39, 13));
  EXPECT_EQ(Find<QLabel>(picker, "Label2").text(), QStringLiteral("On Field"));
  EXPECT_EQ(Find<QComboBox>(picker, "cbGenerator").geometry(), QRect(63, 6, 167, 21));
  EXPECT_EQ(Find<QComboBox>(picker, "cbOnField").geometry(), QRect(63, 30, 167, 21));
  EXPECT_TRUE(picker.cbGenerator->isEditable());
  EXPECT_TRUE(picker.cbOnField->isEditable());
  EXPECT_EQ(Find<QPushButton>(picker, "btnOK").geometry(), QRect(41, 69, 75, 25));
  EXPECT_EQ(Find<QPushButton>(picker, "btnCancel").geometry(), QRect(122, 69, 75, 25));
  EXPECT_EQ(picker.btnCancel->text(), QStringLiteral("Cancelar"));
  EXPECT_EQ(picker.MorvantaDataset->MacroChar(), '^');
  EXPECT_EQ(picker.MorvantaDataset->PacoteRegistros(), 1000);
  EXPECT_EQ(picker.MorvantaDataset->Database(), picker.OwnDatabase);
  // Keyboard order: generator, field, OK, Cancel.
  QWidget* order[] = {picker.cbGenerator, picker.cbOnField, picker.btnOK, picker.btnCancel};
  picker.Show();
  picker.Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&picker.Window()));
  picker.cbGenerator->setFocus();
  for (int i = 1; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(QApplication::focusWidget() == order[i] || QApplication::focusWidget()->parentWidget() == order[i])
        << i;
  }
  picker.Close();
}

TEST(GeneratorPicker, ListsTheDatabasesGeneratorsWithoutThoseWithADollarSign) {
  GeneratorWorld g;
  auto picker = g.Picker();
  picker->Show();  // runs FormShow on the picker's own connection
  EXPECT_EQ(Entries(*picker->cbGenerator), (QStringList{"GEN_CLIENTE", "GEN_PEDIDO"}));
  EXPECT_EQ(picker->cbGenerator->currentText(), QString());
  EXPECT_EQ(picker->cbOnField->count(), 0);
  // Shown again, the list is made afresh.
  picker->Close();
  picker->Show();
  EXPECT_EQ(picker->cbGenerator->count(), 2);
  picker->Close();
}

TEST(GeneratorPicker, OkConfirmsOnlyWhenBothNamesAreGivenAndKeepsThemAsTyped) {
  GeneratorWorld g;
  auto picker = g.Picker();
  picker->Show();
  TypeInto(*picker->cbGenerator, "   ");
  TypeInto(*picker->cbOnField, "ID");
  QTest::mouseClick(picker->btnOK, Qt::LeftButton);
  EXPECT_FALSE(picker->Confirmed);
  EXPECT_FALSE(picker->Visible());

  picker->Show();
  EXPECT_FALSE(picker->Confirmed);
  picker->cbGenerator->setCurrentIndex(1);
  TypeInto(*picker->cbOnField, " ID ");
  QTest::mouseClick(picker->btnOK, Qt::LeftButton);
  EXPECT_TRUE(picker->Confirmed);
  EXPECT_EQ(picker->GeneratorName, "GEN_PEDIDO");
  EXPECT_EQ(picker->OnFieldName, " ID ");

  picker->Show();
  TypeInto(*picker->cbGenerator, "GEN_A_MAO");
  TypeInto(*picker->cbOnField, "COD");
  QTest::mouseClick(picker->btnCancel, Qt::LeftButton);
  EXPECT_FALSE(picker->Confirmed);
}

TEST(GeneratorPicker, AnotherDatabaseKindListsNothingButTypedNamesStillWork) {
  GeneratorWorld g;
  auto picker = g.Picker();
  TMorvantaDatabase otherKind(nullptr);
  otherKind.SetDriverName("MSSQL"_a);
  picker->MorvantaDatabase = &otherKind;
  picker->Show();
  EXPECT_EQ(picker->cbGenerator->count(), 0);
  TypeInto(*picker->cbGenerator, "SEQ_X");
  TypeInto(*picker->cbOnField, "ID");
  QTest::mouseClick(picker->btnOK, Qt::LeftButton);
  EXPECT_TRUE(picker->Confirmed);
  EXPECT_EQ(picker->GeneratorName, "SEQ_X");
}

TEST(GeneratorPicker, TheOpeningProtocolWritesGeneratorFieldWhenConfirmed) {
  GeneratorWorld g;
  TMorvantaDataset& dataset = g.world.Dataset("qryPedido"_a, "select * from rdb$database"_a);
  dataset.SetGeneratorField("GEN_OLD -> ID"_a);
  QStringList offered;
  uitest::OnNextModal driver1([&](QWidget& window) {
    auto* generator = window.findChild<QComboBox*>(QStringLiteral("cbGenerator"));
    offered = Entries(*generator);
    generator->setCurrentIndex(0);
    TypeInto(*window.findChild<QComboBox*>(QStringLiteral("cbOnField")), "CLI_CODIGO");
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
  });
  const int before = Application().ComponentCount();
  EditGeneratorField(dataset);
  EXPECT_EQ(offered, (QStringList{"GEN_CLIENTE", "GEN_PEDIDO"}));
  EXPECT_EQ(dataset.GeneratorField(), "GEN_CLIENTE -> CLI_CODIGO");
  EXPECT_FALSE(dataset.GeneratorField_Edit());
  EXPECT_EQ(Application().ComponentCount(), before) << "the picker is destroyed";

  uitest::OnNextModal driver2([&](QWidget& window) {
    TypeInto(*window.findChild<QComboBox*>(QStringLiteral("cbGenerator")), "GEN_PEDIDO");
    window.close();  // closing by the frame is Cancel
  });
  EditGeneratorField(dataset);
  EXPECT_EQ(dataset.GeneratorField(), "GEN_CLIENTE -> CLI_CODIGO");

  TMorvantaDataset unconnected(nullptr);
  EditGeneratorField(unconnected);  // no connection: nothing is shown
  EXPECT_EQ(unconnected.GeneratorField(), "");
}

TEST(GeneratorPicker, SettingGeneratorFieldEditInDesignStateOpensThePickerOnlyThere) {
  GeneratorWorld g;
  const GraphicalDiagnostics diagnostics;  // installs the picker as the design-time editor
  TMorvantaDataset& dataset = g.world.Dataset("qryPedido"_a, "select * from rdb$database"_a);
  int shown = 0;
  auto pick = [&](QWidget& window) {
    ++shown;
    TypeInto(*window.findChild<QComboBox*>(QStringLiteral("cbGenerator")), "GEN_PEDIDO");
    TypeInto(*window.findChild<QComboBox*>(QStringLiteral("cbOnField")), "PED_CODIGO");
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
  };
  {
    // Running state: the value is only stored. A picker shown by mistake is answered, and counted.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) pick(*modal);
    });
    guard.start(5);
    dataset.SetGeneratorField_Edit(true);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(dataset.GeneratorField_Edit());
    EXPECT_EQ(dataset.GeneratorField(), "");
  }
  dataset.SetGeneratorField_Edit(false);
  dataset.SetDesigning(true, TDesignScope::WithOwned);
  uitest::OnNextModal designing(pick);
  dataset.SetGeneratorField_Edit(true);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(dataset.GeneratorField(), "GEN_PEDIDO -> PED_CODIGO");
  EXPECT_FALSE(dataset.GeneratorField_Edit()) << "the switch never stays on in a designer";
}
