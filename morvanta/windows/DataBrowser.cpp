#include "morvanta/windows/DataBrowser.h"

#include <QDialog>
#include <QFrame>
#include <QPlainTextEdit>

#include "morvanta/platform/ui/Controls.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/ui/UiText.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

TDataBrowser::TDataBrowser(TMorvantaDataset& dataset) : TForm(&dataset), dataset_(dataset) {
  SetCaption("Dados"_a);
  SetOuterSize(820, 640);
  SetPosition(TPosition::poScreenCenter);
  DataSource = new TDataSource(this);
  DataSource->SetDataSet(&dataset);
  QWidget* w = &Window();
  Panel = NewPanel(w, "Panel");
  SetAlign(*Panel, TAlign::alBottom, 120);
  Grid = new TDBGrid(w, "Grid");
  SetAlign(*Grid, TAlign::alClient);
  // A long statement wraps and scrolls.
  Memo = NewMemo(Panel, "Memo", TScrollBars::ssVertical, false);
  SetAlign(*Memo, TAlign::alClient);
  Grid->SetDataSource(DataSource);
  // The dataset keeps its closed browsers: a closed one lets go of the dataset's events, and
  // takes them again when it is shown again.
  OnShow = [this](TForm&) { DataSource->SetDataSet(&dataset_); };
  QObject::connect(&Window(), &QDialog::finished, [this] { DataSource->SetDataSet(nullptr); });
}

void ShowDataBrowser(TMorvantaDataset& dataset) {
  auto* browser = new TDataBrowser(dataset);
  browser->Memo->setPlainText(ToQStringLines(LastSQLText()));
  browser->ShowModal();
  dataset.ShowDataOnOpen = false;
}

}  // namespace morvanta
