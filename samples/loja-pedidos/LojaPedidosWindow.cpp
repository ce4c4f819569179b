#include "samples/loja-pedidos/LojaPedidosWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/platform/ui/Application.h"
#include "morvanta/components/published/ComponentClasses.h"
#include "morvanta/platform/ui/DBGrid.h"
#include "morvanta/platform/core/DateTime.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/ui/UiText.h"

using namespace morvanta;

namespace {

// The store all new orders of the sample belong to.
constexpr int kLoja = 1;

// Sets the value of a name=value line, adding the line when it is missing.
void SetParam(TWideStringList& params, const char16_t* name, const AnsiString& value) {
  TWideStringList lines;
  bool found = false;
  const WideString prefix = WideString(name) + u"=";
  for (int i = 0; i < params.Count(); ++i) {
    const bool match = params.IndexOfName(name) == i;
    lines.Add(match ? prefix + ToWide(value) : params[i]);
    found |= match;
  }
  if (!found) lines.Add(prefix + ToWide(value));
  params.Assign(lines);
}

template <class C>
C& Named(const TStoredForm& form, const char* name) {
  auto* component = dynamic_cast<C*>(form.FindComponent(name));
  if (!component) throw Exception("O formulário não tem o componente "_a + AnsiString(name) + ".");
  return *component;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(ToQString(FromSystem(caption)), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TfrmLojaPedidos::TfrmLojaPedidos(TComponent* owner, const std::string& formFile, const LojaConnection& connection)
    : TForm(owner), classes_(StandardClasses()) {
  SetName("frmLojaPedidos");
  SetEscapeKey(TEscapeKey::ekIgnored);  // a main window
  stored_ = TStoredForm::LoadFromFile(formFile, classes_);
  pedidos_ = &Named<TMorvantaDataset>(*stored_, "qryPedidos");
  observacoes_ = &Named<TMorvantaDataset>(*stored_, "qryObserv");
  Connect(connection);
  BuildControls();
  ForwardQueryListShortCut();
  pedidos_->OpenQuery();
}

TfrmLojaPedidos::~TfrmLojaPedidos() {
  // The grids live in the window, which the base class frees after the form's components.
  grdPedidos->SetDataSource(nullptr);
  grdObserv->SetDataSource(nullptr);
  Named<TDataSource>(*stored_, "dsObserv").RemoveDataListener(this);
}

void TfrmLojaPedidos::ShowObservation() {
  const bool has = observacoes_->Active() && !observacoes_->IsEmpty() && observacoes_->RecNo() > 0;
  mmObserv->setPlainText(has ? ToQStringLines(observacoes_->FieldByName("OBS_OBSERV").AsString()) : QString());
}

void TfrmLojaPedidos::Connect(const LojaConnection& connection) {
  for (const char* name : {"dbLoja", "dbLog"}) {
    auto& database = Named<TMorvantaDatabase>(*stored_, name);
    SetParam(database.Params(), u"Database", connection.database);
    SetParam(database.Params(), u"User_Name", connection.userName);
    SetParam(database.Params(), u"Password", connection.password);
    // The form names a role nobody is granted; the sample connects without one.
    SetParam(database.Params(), u"RoleName", AnsiString());
    database.SetcLogin(connection.userName);
    database.SetConnected(true);
  }
}

void TfrmLojaPedidos::BuildControls() {
  SetCaption(FromSystem("Pedidos da loja"));
  SetClientSize(640, 480);
  QWidget* client = &Window();
  auto* layout = new QVBoxLayout(client);

  auto* pedidoBar = new QHBoxLayout;
  auto* label = new QLabel(ToQString(FromSystem("Cliente:")), client);
  edCliente = new QLineEdit(client);
  edCliente->setObjectName(QStringLiteral("edCliente"));
  btnNovoPedido = Button(client, "btnNovoPedido", "Novo pedido");
  btnExcluirPedido = Button(client, "btnExcluirPedido", "Excluir pedido");
  pedidoBar->addWidget(label);
  pedidoBar->addWidget(edCliente, 1);
  pedidoBar->addWidget(btnNovoPedido);
  pedidoBar->addWidget(btnExcluirPedido);
  layout->addLayout(pedidoBar);

  grdPedidos = new TDBGrid(client, "grdPedidos");
  grdPedidos->SetDataSource(&Named<TDataSource>(*stored_, "dsPedidos"));
  layout->addWidget(grdPedidos, 3);
  grdObserv = new TDBGrid(client, "grdObserv");
  auto& observSource = Named<TDataSource>(*stored_, "dsObserv");
  grdObserv->SetDataSource(&observSource);
  layout->addWidget(grdObserv, 1);

  auto* observBar = new QHBoxLayout;
  mmObserv = new QPlainTextEdit(client);
  mmObserv->setObjectName(QStringLiteral("mmObserv"));
  mmObserv->setFixedHeight(60);
  btnGravarObserv = Button(client, "btnGravarObserv", "Gravar observação");
  btnExcluirObserv = Button(client, "btnExcluirObserv", "Excluir observação");
  observBar->addWidget(mmObserv, 1);
  auto* observButtons = new QVBoxLayout;
  observButtons->addWidget(btnGravarObserv);
  observButtons->addWidget(btnExcluirObserv);
  observBar->addLayout(observButtons);
  layout->addLayout(observBar);
  // The text box shows the current order's observation, and nothing for an order without one.
  observSource.AddDataListener(this, [this](TDataSource&, TDataEvent event, std::intptr_t) {
    if (event == deDataSetScroll || event == deDataSetChange || event == deUpdateState || event == deLayoutChange)
      ShowObservation();
  });

  QObject::connect(btnNovoPedido, &QPushButton::clicked, [this] { HandleEvent([this] { btnNovoPedidoClick(); }); });
  QObject::connect(btnExcluirPedido, &QPushButton::clicked,
                   [this] { HandleEvent([this] { btnExcluirPedidoClick(); }); });
  QObject::connect(btnGravarObserv, &QPushButton::clicked, [this] { HandleEvent([this] { btnGravarObservClick(); }); });
  QObject::connect(btnExcluirObserv, &QPushButton::clicked,
                   [this] { HandleEvent([this] { btnExcluirObservClick(); }); });
}

// The datasets give their owner, the loaded form, the query list shortcut in diagnostic mode; the
// window answers to the shortcuts of its own action lists, so it passes that one on.
void TfrmLojaPedidos::ForwardQueryListShortCut() {
  const TShortCut shortCut = TextToShortCut("Ctrl+Shift+E");
  auto* list = new TActionList(this);
  auto* action = new TCustomAction(list);
  action->SetActionList(list);
  action->SetCaption("Teste"_a);
  action->SetShortCut(shortCut);
  action->SetEnabled(true);
  action->OnExecute = [this, shortCut](TCustomAction&) { ExecuteShortCut(*stored_, shortCut); };
}

// Each change is a transaction of its own on the form's transaction: committed when the write
// went through, rolled back when it failed.
void TfrmLojaPedidos::Write(const std::function<void()>& change) {
  TMorvantaTransaction& transaction = Named<TMorvantaTransaction>(*stored_, "trPedidos");
  transaction.Start();
  try {
    change();
    transaction.Commit();
  } catch (...) {
    transaction.RollbackIfActive();
    throw;
  }
}

void TfrmLojaPedidos::btnNovoPedidoClick() {
  const AnsiString cliente = Trim(FromQString(edCliente->text()));
  if (cliente.empty()) throw Exception("Informe o cliente do pedido.");
  pedidos_->Append();  // the order number comes from the generator here
  pedidos_->FieldByName("LJA_CODIGO").SetAsInteger(kLoja);
  pedidos_->FieldByName("CPE_DATA").SetAsDateTime(std::floor(Now()));
  pedidos_->FieldByName("CPE_CLIENTE").SetAsString(cliente);
  pedidos_->FieldByName("CPE_STATUS").SetAsString("W");
  Write([this] { pedidos_->Post(); });
  edCliente->clear();
}

void TfrmLojaPedidos::btnExcluirPedidoClick() {
  if (!pedidos_->IsEmpty()) Write([this] { pedidos_->DeleteRow(); });
}

void TfrmLojaPedidos::btnGravarObservClick() {
  if (pedidos_->IsEmpty()) throw Exception("Não há pedido para a observação."_a);
  const AnsiString text = FromQString(mmObserv->toPlainText());
  if (observacoes_->IsEmpty()) {
    observacoes_->Append();
    observacoes_->FieldByName("LJA_CODIGO").SetAsInteger(pedidos_->FieldByName("LJA_CODIGO").AsInteger());
    observacoes_->FieldByName("CPE_CODIGO").SetAsInteger(pedidos_->FieldByName("CPE_CODIGO").AsInteger());
  } else {
    observacoes_->Edit();
  }
  observacoes_->FieldByName("OBS_OBSERV").SetAsString(text);
  Write([this] { observacoes_->Post(); });
}

void TfrmLojaPedidos::btnExcluirObservClick() {
  if (!observacoes_->IsEmpty()) Write([this] { observacoes_->DeleteRow(); });
}
