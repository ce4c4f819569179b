#include "morvanta/windows/frmListaQuery.h"

#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>

#include <memory>
#include <typeinfo>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/ui/Controls.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/ui/UiText.h"

namespace morvanta {

TfrmListaQuery::TfrmListaQuery(TComponent*) : TForm(&Application()) {
  SetName("frmListaQuery");
  SetCaption("Lista Qrys"_a);
  SetClientSize(951, 563);
  SetPosition(TPosition::poDesigned);
  qry = new TMorvantaDataset(this);
  qry->SetName("qry");
  DataSource1 = new TDataSource(this);
  DataSource1->SetName("DataSource1");
  DataSource1->SetDataSet(qry);

  QWidget* w = &Window();
  Panel1 = NewPanel(w, "Panel1");
  SetAlign(*Panel1, TAlign::alLeft, 305);
  lstQry = NewListBox(Panel1, "lstQry");
  SetAlign(*lstQry, TAlign::alClient);
  Panel2 = NewPanel(w, "Panel2");
  SetAlign(*Panel2, TAlign::alClient);
  DBGrid1 = new TDBGrid(Panel2, "DBGrid1");
  SetAlign(*DBGrid1, TAlign::alBottom, 230);
  mmSql = NewMemo(Panel2, "mmSql", TScrollBars::ssBoth, true);
  SetAlign(*mmSql, TAlign::alClient);
  DBGrid1->SetDataSource(DataSource1);
  // A line is picked by a click on it or by Enter on the current line, not by the current line
  // moving (which the list's taking the focus does too).
  QObject::connect(lstQry, &QListWidget::itemClicked, [this] { HandleEvent([this] { lstQryClick(); }); });
  OnKeyPress(*lstQry, [this](const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
    HandleEvent([this] { lstQryClick(); });
    return true;
  });
}

void TfrmListaQuery::lstQryClick() {
  QListWidgetItem* line = lstQry->currentItem();
  if (!line || !OwnerComponent) return;
  // A dataset freed since the list was made is not shown.
  auto* dataset = dynamic_cast<TMorvantaDataset*>(OwnerComponent->FindComponent(FromQString(line->text())));
  if (!dataset) return;
  DataSource1->SetDataSet(dataset);
  mmSql->clear();
  const AnsiString text = !dataset->LastSQL.empty() ? ToAnsi(dataset->LastSQL) : dataset->SQL().Text();
  mmSql->appendPlainText(ToQStringLines(text));
}

void TfrmListaQuery::ListDatasets(TComponent& owner) {
  OwnerComponent = &owner;
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    TComponent* component = owner.Components(i);
    // Exactly the dataset class, by its real type: subclasses are other kinds of data and are left
    // out, whatever class name they report.
    if (typeid(*component) == typeid(TMorvantaDataset)) lstQry->addItem(ToQString(component->Name()));
  }
}

void ShowQueryList(TComponent& owner) {
  std::unique_ptr<TfrmListaQuery> viewer = std::make_unique<TfrmListaQuery>(&owner);
  viewer->ListDatasets(owner);
  viewer->ShowModal();
}

}  // namespace morvanta
