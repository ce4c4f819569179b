#pragma once
// The data browser: a dataset's rows in a grid and the last traced statement beneath them.

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/ui/Form.h"

class QFrame;
class QPlainTextEdit;

namespace morvanta {

class TDBGrid;
class TMorvantaDataset;

class TDataBrowser : public TForm {
 public:
  // Owned by the dataset it shows, so that it goes with it. Its data source presents the dataset
  // while the window is shown (from its creation until it is first closed).
  explicit TDataBrowser(TMorvantaDataset& dataset);
  static constexpr const char* kClassName = "TDataBrowser";
  const char* ClassName() const override { return kClassName; }

  TDataSource* DataSource;
  TDBGrid* Grid;
  QFrame* Panel;
  QPlainTextEdit* Memo;

 private:
  TMorvantaDataset& dataset_;
};

// Builds a new browser on the dataset, shows it modally with the last traced statement, and then
// clears the dataset's ShowDataOnOpen. The browser stays with the dataset after it was closed.
void ShowDataBrowser(TMorvantaDataset& dataset);

}  // namespace morvanta
