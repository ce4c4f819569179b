#pragma once
// The query list viewer: lists the datasets of one owner (normally a form) and shows, for the one
// picked, its last traced statement (or else its SQL text) and a grid on its current rows.

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/ui/Form.h"

class QFrame;
class QListWidget;
class QPlainTextEdit;

namespace morvanta {

class TDBGrid;
class TMorvantaDataset;

class TfrmListaQuery : public TForm {
 public:
  // The window belongs to the application object; `owner` is only the caller's context.
  explicit TfrmListaQuery(TComponent* owner);
  static constexpr const char* kClassName = "TfrmListaQuery";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "uListaQuery"; }

  // Sets OwnerComponent and lists the datasets it owns.
  void ListDatasets(TComponent& owner);
  void lstQryClick();

  TComponent* OwnerComponent = nullptr;  // whose datasets are listed; not owned
  QFrame *Panel1, *Panel2;
  QListWidget* lstQry;
  TDBGrid* DBGrid1;
  QPlainTextEdit* mmSql;
  TDataSource* DataSource1;
  TMorvantaDataset* qry;
};

// Shows the viewer modally for the datasets `owner` owns, and destroys it when closed.
void ShowQueryList(TComponent& owner);

}  // namespace morvanta
