#include "DataBrowser.h"

#include <QDialog>
#include <QFrame>
#include <QPlainTextEdit>

#include "Controls.h"
#include "DBGrid.h"
#include "MorvantaDataset.h"
#include "UiText.h"
#include "ufrmRecError.h"

TDataBrowser::TDataBrowser(TMorvantaDataset& dataset) : TForm(&dataset) {
  SetCaption("Dados");
  SetOuterSize(820, 640);
  SetPosition(TPosition::poScreenCenter);
  DataSource = new TDataSource(this);
  DataSource->SetDataSet(&dataset);
  QWidget* w = &Window();
  Panel = NewPanel(w, "Panel");
  SetAlign(*Panel, TAlign::alBottom, 120);
  Grid = new TDBGrid(w, "Grid");
  SetAlign(*Grid, TAlign::alClient);
  Memo = NewMemo(Panel, "Memo", TScrollBars::ssNone, false);
  SetAlign(*Memo, TAlign::alClient);
  Grid->SetDataSource(DataSource);
}

void ShowDataBrowser(TMorvantaDataset& dataset) {
  auto* browser = new TDataBrowser(dataset);
  browser->Memo->setPlainText(ToQStringLines(LastSQLText()));
  browser->ShowModal();
  dataset.ShowDataOnOpen = false;
}
