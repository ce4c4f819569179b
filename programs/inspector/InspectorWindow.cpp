#include "programs/inspector/InspectorWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/platform/core/Exceptions.h"
#include "programs/inspector/InspectorValues.h"
#include "morvanta/platform/formfiles/PropertyText.h"
#include "morvanta/platform/framework/UserInteraction.h"
#include "morvanta/platform/ui/UiText.h"

using namespace morvanta;

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(ToQString(FromSystem(caption)), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

bool EditedInGrid(PropertyKind kind) { return kind != PropertyKind::StringList && kind != PropertyKind::ParameterList; }

}  // namespace

TfrmInspector::TfrmInspector(TComponent* owner, TStoredForm& form, std::string fileName)
    : TForm(owner), form_(form), fileName_(std::move(fileName)) {
  SetName("frmInspector");
  SetCaption(FromSystem("Inspetor - ") + form_.Name());
  SetClientSize(560, 520);
  // A main window: Escape does not close it, and closing asks before unsaved edits are dropped.
  SetEscapeKey(TEscapeKey::ekIgnored);
  OnCloseQuery = [this](TForm&, bool& canClose) {
    if (modified_) canClose = Confirm("As alterações não foram salvas. Fechar e descartá-las?"_a);
  };
  BuildControls();
  for (int i = 0; i < form_.ComponentCount(); ++i) {
    TComponent& component = *form_.Components(i);
    if (!form_.Classes().Find(component.ClassName())) continue;  // helpers made at run time
    auto* item =
        new QListWidgetItem(ToQString(component.Name() + ": " + AnsiString(component.ClassName())), lstComponentes);
    item->setData(Qt::UserRole, ToQString(component.Name()));
  }
  if (lstComponentes->count() > 0) lstComponentes->setCurrentRow(0);
}

void TfrmInspector::BuildControls() {
  QWidget* client = &Window();
  auto* layout = new QHBoxLayout(client);
  lstComponentes = new QListWidget(client);
  lstComponentes->setObjectName(QStringLiteral("lstComponentes"));
  layout->addWidget(lstComponentes, 2);

  auto* right = new QVBoxLayout;
  grdPropriedades = new QTableWidget(0, 2, client);
  grdPropriedades->setObjectName(QStringLiteral("grdPropriedades"));
  grdPropriedades->setHorizontalHeaderLabels({ToQString(FromSystem("Propriedade")), ToQString(FromSystem("Valor"))});
  grdPropriedades->horizontalHeader()->setStretchLastSection(true);
  grdPropriedades->verticalHeader()->hide();
  grdPropriedades->verticalHeader()->setDefaultSectionSize(20);
  right->addWidget(grdPropriedades, 3);
  mmLista = new QPlainTextEdit(client);
  mmLista->setObjectName(QStringLiteral("mmLista"));
  right->addWidget(mmLista, 1);
  auto* buttons = new QHBoxLayout;
  btnAplicarLista = Button(client, "btnAplicarLista", "Aplicar lista");
  btnSalvar = Button(client, "btnSalvar", "Salvar");
  buttons->addWidget(btnAplicarLista);
  buttons->addStretch(1);
  buttons->addWidget(btnSalvar);
  right->addLayout(buttons);
  layout->addLayout(right, 3);

  QObject::connect(lstComponentes, &QListWidget::currentRowChanged, [this](int) { ShowProperties(); });
  QObject::connect(grdPropriedades, &QTableWidget::currentCellChanged, [this](int, int, int, int) { ShowListOfRow(); });
  QObject::connect(grdPropriedades, &QTableWidget::cellChanged, [this](int row, int column) {
    if (filling_ || column != 1) return;
    const AnsiString text = FromQString(grdPropriedades->item(row, 1)->text());
    HandleEvent([this, row, text] { SetPropertyText(row, text); });
  });
  QObject::connect(btnAplicarLista, &QPushButton::clicked, [this] { HandleEvent([this] { btnAplicarListaClick(); }); });
  QObject::connect(btnSalvar, &QPushButton::clicked, [this] { HandleEvent([this] { btnSalvarClick(); }); });
}

TComponent* TfrmInspector::Selected() const {
  QListWidgetItem* item = lstComponentes->currentItem();
  return item ? form_.FindComponent(FromQString(item->data(Qt::UserRole).toString())) : nullptr;
}

const PublishedProperty* TfrmInspector::PropertyOfRow(int row) const {
  return row >= 0 && row < static_cast<int>(shown_.size()) ? shown_[static_cast<std::size_t>(row)] : nullptr;
}

void TfrmInspector::ShowProperties() {
  filling_ = true;
  shown_.clear();
  grdPropriedades->setRowCount(0);
  TComponent* component = Selected();
  const ComponentClass* componentClass = component ? form_.Classes().Find(component->ClassName()) : nullptr;
  if (componentClass) shown_ = form_.Classes().PropertiesOf(*componentClass);
  grdPropriedades->setRowCount(static_cast<int>(shown_.size()));
  for (int row = 0; row < static_cast<int>(shown_.size()); ++row) {
    const PublishedProperty& property = *shown_[static_cast<std::size_t>(row)];
    auto* name = new QTableWidgetItem(ToQString(property.name));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    auto* value = new QTableWidgetItem(ToQString(PropertyValueText(property.get(*component))));
    if (!EditedInGrid(property.kind)) value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grdPropriedades->setItem(row, 0, name);
    grdPropriedades->setItem(row, 1, value);
  }
  filling_ = false;
  ShowListOfRow();
}

void TfrmInspector::ShowListOfRow() {
  const PublishedProperty* property = PropertyOfRow(grdPropriedades->currentRow());
  const bool isList = property && property->kind == PropertyKind::StringList && Selected();
  mmLista->setEnabled(isList);
  btnAplicarLista->setEnabled(isList);
  QStringList lines;
  if (isList) {
    const PropertyValue value = property->get(*Selected());
    for (const AnsiString& line : std::get<StringLines>(value)) lines << ToQString(line);
  }
  mmLista->setPlainText(lines.join(QLatin1Char('\n')));
}

void TfrmInspector::SetPropertyText(int row, const AnsiString& text) {
  const PublishedProperty* property = PropertyOfRow(row);
  TComponent* component = Selected();
  if (!property || !component || !EditedInGrid(property->kind)) return;
  try {
    property->set(*component, PropertyValueFromText(*property, text, form_));
  } catch (...) {
    RefreshValues();  // the value as it stands
    throw;
  }
  modified_ = true;
  // The setter may change this and other properties (a switch that goes back, a text re-read).
  RefreshValues();
}

// The values again, in the items the grid has (an edit may be reporting from one of them).
void TfrmInspector::RefreshValues() {
  TComponent* component = Selected();
  if (!component) return;
  filling_ = true;
  for (int row = 0; row < static_cast<int>(shown_.size()); ++row)
    grdPropriedades->item(row, 1)->setText(
        ToQString(PropertyValueText(shown_[static_cast<std::size_t>(row)]->get(*component))));
  filling_ = false;
  ShowListOfRow();
}

void TfrmInspector::btnAplicarListaClick() {
  const PublishedProperty* property = PropertyOfRow(grdPropriedades->currentRow());
  TComponent* component = Selected();
  if (!property || !component || property->kind != PropertyKind::StringList) return;
  StringLines lines;
  for (const QString& line : mmLista->toPlainText().split(QLatin1Char('\n'))) lines.push_back(FromQString(line));
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  property->set(*component, lines);
  modified_ = true;
  RefreshValues();
}

void TfrmInspector::btnSalvarClick() {
  form_.SaveToFile(fileName_);
  modified_ = false;
}
