#include "morvanta/windows/FGenerator.h"

#include <QDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/Controls.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

namespace {

// The catalogue queries. "%" is a literal here: the picker's dataset takes "^" for its macros.
constexpr AsciiLiteral kOracleSequences[] = {"select sequence_name             ", "from user_sequences              ",
                                             "where                            ", "   sequence_name not like '%$%'",
                                             "order by                         ", "   sequence_name                 "};
constexpr AsciiLiteral kInterbaseGenerators[] = {"select rdb$generator_name       ",
                                                 "from       ",
                                                 "   rdb$generators       ",
                                                 "where ",
                                                 "   rdb$generator_name not like'%$%'",
                                                 "order by rdb$generator_name    "};

}  // namespace

TFGenerator::TFGenerator(TComponent* owner) : TForm(owner) {
  SetName("FGenerator");
  SetCaption("Generator Field"_a);
  SetClientSize(238, 102);
  SetBorderStyle(TBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  OwnDatabase = new TMorvantaDatabase(this);
  OwnDatabase->SetName("MorvantaDatabase");
  MorvantaDatabase = OwnDatabase;
  MorvantaTransaction = new TMorvantaTransaction(this);
  MorvantaTransaction->SetName("MorvantaTransaction");
  MorvantaTransaction->SetDatabase(OwnDatabase);
  MorvantaDataset = new TMorvantaDataset(this);
  MorvantaDataset->SetName("MorvantaDataset");
  MorvantaDataset->SetPacoteRegistros(1000);
  MorvantaDataset->SetDatabase(OwnDatabase);
  MorvantaDataset->SetMacroChar('^');
  MorvantaDataset->SetGeneratorField_Edit(false);

  QWidget* w = &Window();
  Label1 = NewLabel(w, "Label1", "Generator"_a, QRect(8, 8, 49, 13));
  Label2 = NewLabel(w, "Label2", "On Field"_a, QRect(18, 33, 39, 13));
  cbGenerator = NewComboBox(w, "cbGenerator", QRect(63, 6, 167, 21));
  cbOnField = NewComboBox(w, "cbOnField", QRect(63, 30, 167, 21));
  btnOK = NewButton(w, "btnOK", "OK"_a, QRect(41, 69, 75, 25));
  btnOK->setDefault(true);
  btnCancel = NewButton(w, "btnCancel", "Cancelar"_a, QRect(122, 69, 75, 25));
  QWidget::setTabOrder(cbGenerator, cbOnField);
  QWidget::setTabOrder(cbOnField, btnOK);
  QWidget::setTabOrder(btnOK, btnCancel);
  QObject::connect(btnOK, &QPushButton::clicked, [this] { HandleEvent([this] { btnOKClick(); }); });
  QObject::connect(btnCancel, &QPushButton::clicked, [this] { HandleEvent([this] { btnCancelClick(); }); });
  OnShow = [this](TForm&) { FormShow(); };
}

void TFGenerator::FormShow() {
  Confirmed = false;
  MorvantaDataset->Close();
  MorvantaDataset->SQL().Clear();
  cbGenerator->clear();
  const AnsiString& kind = MorvantaDatabase->DriverName();
  if (kind == "Oracle") ListCatalogue(kOracleSequences, 6, "SEQUENCE_NAME");
  else if (kind == "Interbase") ListCatalogue(kInterbaseGenerators, 6, "rdb$generator_name");
}

void TFGenerator::ListCatalogue(const AsciiLiteral* lines, int lineCount, const char* fieldName) {
  for (int i = 0; i < lineCount; ++i) MorvantaDataset->SQL().Add(lines[i]);
  MorvantaDataset->OpenQuery();
  MorvantaDataset->First();
  while (!MorvantaDataset->Eof()) {
    // The catalogue pads names to its column width; the padding is no part of the name.
    cbGenerator->addItem(ToQString(TrimRight(MorvantaDataset->FieldByName(std::string_view(fieldName)).AsString())));
    MorvantaDataset->NextRecord();
  }
  cbGenerator->setCurrentIndex(-1);
  cbGenerator->setEditText(QString());
}

void TFGenerator::btnOKClick() {
  GeneratorName = FromQString(cbGenerator->currentText());
  OnFieldName = FromQString(cbOnField->currentText());
  if (!Trim(GeneratorName).empty() && !Trim(OnFieldName).empty()) Confirmed = true;
  Close();
}

void TFGenerator::btnCancelClick() { Close(); }

void EditGeneratorField(TMorvantaDataset& dataset) {
  dataset.SetGeneratorField_Edit(false);
  TMorvantaDatabase* database = dataset.Database();
  if (!database) return;
  auto picker = std::unique_ptr<TFGenerator>(new TFGenerator(&Application()));
  picker->OwnDatabase->ConfigureConnection(database->DriverName(), ToAnsi(database->Params().Values(u"DataBase")),
                                           ToAnsi(database->Params().Values(u"User_Name")),
                                           ToAnsi(database->Params().Values(u"Password")));
  picker->OwnDatabase->SetLoadParamsOnConnect(false);
  picker->OwnDatabase->SetLoginPrompt(false);
  if (!picker->OwnDatabase->Connected()) picker->OwnDatabase->SetConnected(true);
  picker->MorvantaDatabase = database;
  picker->ShowModal();
  if (picker->Confirmed) dataset.SetGeneratorField(picker->GeneratorName + " -> " + picker->OnFieldName);
}

}  // namespace morvanta
