// The inspector window on the sample form: components and their published properties in declared
// order, edits through the properties' setters (bad values refused, the generator picker behind
// GeneratorField_Edit against the form's own connection), and saving.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/windows/GraphicalDiagnostics.h"
#include "programs/inspector/InspectorWindow.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "tests/ui/UiTestSupport.h"
#include "morvanta/platform/ui/UiText.h"
#include "tests/support/FormFiles.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace {

class InspectorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = (folder_.Path() / "loja.form.json").string();
    std::filesystem::copy_file(formtest::SampleFormPath(), file_);
    form_ = TStoredForm::LoadFromFile(file_, classes_);
    form_->SetFormState(FormState::Designing);
    window_ = new TfrmInspector(&Application(), *form_, file_);
    window_->Show();
  }
  void TearDown() override { Application().FreeForms(); }

  void Select(const char* component) {
    QListWidget& list = *window_->lstComponentes;
    for (int i = 0; i < list.count(); ++i)
      if (list.item(i)->text().startsWith(QString::fromLatin1(component) + ':')) list.setCurrentRow(i);
  }
  int RowOf(const char* property) const {
    QTableWidget& grid = *window_->grdPropriedades;
    for (int row = 0; row < grid.rowCount(); ++row)
      if (grid.item(row, 0)->text() == QString::fromLatin1(property)) return row;
    ADD_FAILURE() << "no property " << property;
    return -1;
  }
  QString Value(const char* property) const { return window_->grdPropriedades->item(RowOf(property), 1)->text(); }
  void Type(const char* property, const QString& text) {
    window_->grdPropriedades->item(RowOf(property), 1)->setText(text);
  }

  ClassRegistry classes_ = StandardClasses();
  TempFolder folder_;
  std::string file_;
  std::unique_ptr<TStoredForm> form_;
  TfrmInspector* window_ = nullptr;
};

}  // namespace

TEST_F(InspectorWindow, ListsTheComponentsAndTheSelectedOnesPropertiesInDeclaredOrder) {
  QStringList components;
  for (int i = 0; i < window_->lstComponentes->count(); ++i) components << window_->lstComponentes->item(i)->text();
  EXPECT_EQ(components,
            (QStringList{"dbLoja: TMorvantaDatabase", "dbLog: TMorvantaDatabase", "trPedidos: TMorvantaTransaction",
                         "trLog: TMorvantaTransaction", "qryPedidos: TMorvantaDataset", "dsPedidos: TDataSource",
                         "updObserv: TMorvantaUpDateObject", "qryObserv: TMorvantaDataset", "dsObserv: TDataSource"}));
  Select("qryPedidos");
  QStringList shown, declared;
  for (int row = 0; row < window_->grdPropriedades->rowCount(); ++row)
    shown << window_->grdPropriedades->item(row, 0)->text();
  for (const PublishedProperty* property : classes_.PropertiesOf(*classes_.Find("TMorvantaDataset")))
    declared << QString::fromStdString(property->name);
  EXPECT_EQ(shown, declared);
  EXPECT_EQ(Value("PacoteRegistros"), "1000");
  EXPECT_EQ(Value("Transaction"), "trPedidos");
  EXPECT_EQ(Value("GeneratorField"), "GEN_FATCPPEDIDO -> CPE_CODIGO");
}

TEST_F(InspectorWindow, EditsGoThroughTheSettersBadValuesAreRefusedAndSavingWritesThem) {
  Select("qryPedidos");
  Type("PacoteRegistros", "250");
  Type("Transaction", "trLog");
  Type("MacroChar", "#");
  auto& pedidos = formtest::Find<TMorvantaDataset>(*form_, "qryPedidos");
  EXPECT_EQ(pedidos.PacoteRegistros(), 250);
  EXPECT_EQ(static_cast<TComponent*>(pedidos.Transaction()), form_->FindComponent("trLog"));

  const int row = RowOf("PacoteRegistros");
  EXPECT_THROW(window_->SetPropertyText(row, "muitos"_a), Exception);
  EXPECT_THROW(window_->SetPropertyText(RowOf("Transaction"), "dsPedidos"_a), Exception) << "not a transaction";
  EXPECT_THROW(window_->SetPropertyText(RowOf("IgnorarErro"), "sim"_a), Exception);
  EXPECT_EQ(Value("PacoteRegistros"), "250") << "the grid shows the value again";

  window_->grdPropriedades->setCurrentCell(RowOf("SQL"), 1);
  EXPECT_TRUE(window_->mmLista->isEnabled());
  window_->mmLista->setPlainText(QStringLiteral("select lja_codigo, cpe_codigo from fatcppedido\n"));
  QTest::mouseClick(window_->btnAplicarLista, Qt::LeftButton);
  EXPECT_EQ(pedidos.SQL().Count(), 1);
  EXPECT_EQ(Value("SQL"), "(1 line)");

  QTest::mouseClick(window_->btnSalvar, Qt::LeftButton);
  auto saved = TStoredForm::LoadFromFile(file_, classes_);
  auto& reloaded = formtest::Find<TMorvantaDataset>(*saved, "qryPedidos");
  EXPECT_EQ(reloaded.PacoteRegistros(), 250);
  EXPECT_EQ(static_cast<TComponent*>(reloaded.Transaction()), saved->FindComponent("trLog"));
  EXPECT_EQ(reloaded.MacroChar(), '#');
  EXPECT_EQ(reloaded.SQL().Text(), "select lja_codigo, cpe_codigo from fatcppedido\r\n");
}

TEST_F(InspectorWindow, GeneratorFieldEditRunsThePickerAgainstTheFormsConnection) {
  auto db = testdb::TestDatabase::Embedded();
  db->Execute("CREATE TABLE FATCPPEDIDO (LJA_CODIGO INTEGER, CPE_CODIGO INTEGER)");
  db->Execute("CREATE GENERATOR GEN_FATCPPEDIDO");
  const GraphicalDiagnostics diagnostics;
  Select("dbLoja");
  window_->grdPropriedades->setCurrentCell(RowOf("Params"), 1);
  window_->mmLista->setPlainText(ToQString("DriverName=Interbase\nDatabase=" + db->Database() + "\nUser_Name=" +
                                           db->UserName() + "\nPassword=" + db->Password() + "\nSQLDialect=3"));
  QTest::mouseClick(window_->btnAplicarLista, Qt::LeftButton);

  Select("qryPedidos");
  Type("GeneratorField", QString());
  QStringList offered;
  uitest::OnNextModal driver([&](QWidget& picker) {
    auto* generators = picker.findChild<QComboBox*>(QStringLiteral("cbGenerator"));
    for (int i = 0; i < generators->count(); ++i) offered << generators->itemText(i);
    generators->lineEdit()->setText(QStringLiteral("GEN_FATCPPEDIDO"));
    picker.findChild<QComboBox*>(QStringLiteral("cbOnField"))->lineEdit()->setText(QStringLiteral("CPE_CODIGO"));
    QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
  });
  Type("GeneratorField_Edit", QStringLiteral("True"));
  EXPECT_EQ(offered, QStringList{"GEN_FATCPPEDIDO"});
  EXPECT_EQ(Value("GeneratorField"), "GEN_FATCPPEDIDO -> CPE_CODIGO");
  EXPECT_EQ(Value("GeneratorField_Edit"), "False") << "the switch goes back";
}

TEST_F(InspectorWindow, EscapeLeavesItOpenAndClosingAsksBeforeUnsavedEditsAreDropped) {
  RecordingInteraction answers;
  window_->Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_->Window()));
  window_->lstComponentes->setFocus();
  QTest::keyClick(window_->lstComponentes, Qt::Key_Escape);
  EXPECT_TRUE(window_->Visible()) << "a main window does not close on Escape";
  window_->Close();
  EXPECT_FALSE(window_->Visible()) << "nothing edited: closed without a question";
  EXPECT_TRUE(answers.Questions.empty());

  window_->Show();
  Select("qryPedidos");
  Type("PacoteRegistros", "250");
  window_->Close();  // answered no
  EXPECT_TRUE(window_->Visible());
  ASSERT_EQ(answers.Questions.size(), 1u);
  EXPECT_NE(answers.Questions[0].find("salvas"), std::string::npos) << answers.Questions[0];
  answers.Answer = true;
  window_->Window().close();  // by the frame: asked again
  EXPECT_FALSE(window_->Visible());
  EXPECT_EQ(answers.Questions.size(), 2u);

  window_->Show();
  Type("PacoteRegistros", "300");
  QTest::mouseClick(window_->btnSalvar, Qt::LeftButton);
  answers.Answer = false;
  window_->Close();
  EXPECT_FALSE(window_->Visible()) << "saved: nothing to lose";
  EXPECT_EQ(answers.Questions.size(), 2u);
}
