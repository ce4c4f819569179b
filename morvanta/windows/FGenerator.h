#pragma once
// The generator picker: lists the generators (InterBase, Firebird) or sequences (Oracle) of a
// dataset's database, lets the developer pick one and type the field it feeds, and hands both
// back. A form designer opens it when a dataset's GeneratorField_Edit is set true.

#include "morvanta/platform/ui/Form.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace morvanta {

class TMorvantaDatabase;
class TMorvantaDataset;
class TMorvantaTransaction;

class TFGenerator : public TForm {
 public:
  explicit TFGenerator(TComponent* owner);
  static constexpr const char* kClassName = "TFGenerator";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "uGenerator"; }

  void FormShow();
  void btnOKClick();
  void btnCancelClick();

  // The connection whose database kind decides the catalogue query: the window's own connection
  // until the opener points it at the dataset's connection. Not owned.
  TMorvantaDatabase* MorvantaDatabase;
  // The window's own connection, on which MorvantaDataset runs.
  TMorvantaDatabase* OwnDatabase;
  TMorvantaTransaction* MorvantaTransaction;
  TMorvantaDataset* MorvantaDataset;

  QLabel *Label1, *Label2;
  QComboBox *cbGenerator, *cbOnField;
  QPushButton *btnOK, *btnCancel;

  AnsiString GeneratorName;
  AnsiString OnFieldName;
  bool Confirmed = false;

 private:
  void ListCatalogue(const AsciiLiteral* lines, int lineCount, const char* fieldName);
};

// The opening protocol: connects the picker's own connection like the dataset's, shows the picker
// and, when the developer confirmed, writes GeneratorField as "<generator> -> <field>". Does
// nothing for a dataset without a connection.
void EditGeneratorField(TMorvantaDataset& dataset);

}  // namespace morvanta
