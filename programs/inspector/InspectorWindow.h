#pragma once
// The inspector window: the components of a form in design state, the selected one's published
// properties in declared order with their values, editing of those values through the
// properties' setters, and saving the form back to its file.
//
// Texts, integers, Booleans ("True"/"False"), characters and references (the target's name) are
// edited in the value column; a string list in the box under the grid. Parameter lists are shown
// by their count only.

#include <string>
#include <vector>

#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/formfiles/StoredForm.h"

using namespace morvanta;

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class TfrmInspector : public TForm {
 public:
  // Shows `form` (not owned; it outlives the window), saved to `fileName`.
  TfrmInspector(TComponent* owner, TStoredForm& form, std::string fileName);
  const char* ClassName() const override { return "TfrmInspector"; }
  const char* UnitName() const override { return "uInspector"; }

  // The component shown (nullptr when none is selected).
  TComponent* Selected() const;
  // Writes the text as the value of the selected component's property of that row; a text that
  // does not fit the property's kind is refused with an error and the grid shows the value again.
  void SetPropertyText(int row, const AnsiString& text);
  void btnAplicarListaClick();
  void btnSalvarClick();
  bool Modified() const { return modified_; }

  QListWidget* lstComponentes;
  QTableWidget* grdPropriedades;
  QPlainTextEdit* mmLista;
  QPushButton *btnAplicarLista, *btnSalvar;

 private:
  void BuildControls();
  void ShowProperties();
  void ShowListOfRow();
  void RefreshValues();
  const PublishedProperty* PropertyOfRow(int row) const;

  TStoredForm& form_;
  std::string fileName_;
  std::vector<const PublishedProperty*> shown_;  // the selected component's, in grid order
  bool filling_ = false;                         // the grid is being filled, not edited
  bool modified_ = false;                        // edited since it was loaded or saved
};
