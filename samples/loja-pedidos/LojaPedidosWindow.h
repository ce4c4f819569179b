#pragma once
// The store-orders window: the components of its form file (two connections, the order and
// observation datasets, their data sources and the observation update object) with a grid of the
// orders and, under it, a grid of the current order's observation. The grids are built here and
// bound to the form's data sources; the form file carries only the non-visual components.

#include <functional>
#include <memory>
#include <string>

#include "morvanta/platform/formfiles/ClassRegistry.h"
#include "morvanta/platform/ui/Form.h"
#include "morvanta/platform/formfiles/StoredForm.h"

using namespace morvanta;

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace morvanta {
class TDBGrid;
class TMorvantaDataset;
}  // namespace morvanta

// Where the window's data lives: the database replaces the one of both connections of the form
// (the store's and the change log's); the user is also the one the change log records.
struct LojaConnection {
  AnsiString database;
  AnsiString userName = "SYSDBA"_a;
  AnsiString password;
};

class TfrmLojaPedidos : public TForm {
 public:
  // Loads the form file, connects both connections and opens the orders. Owned by `owner`
  // (normally the application object).
  TfrmLojaPedidos(TComponent* owner, const std::string& formFile, const LojaConnection& connection);
  ~TfrmLojaPedidos() override;
  const char* ClassName() const override { return "TfrmLojaPedidos"; }
  const char* UnitName() const override { return "uLojaPedidos"; }

  // The loaded form, the owner of the datasets (and of their query list shortcut).
  TStoredForm& StoredComponents() const { return *stored_; }
  TMorvantaDataset& Pedidos() const { return *pedidos_; }
  TMorvantaDataset& Observacoes() const { return *observacoes_; }

  // The buttons' handlers.
  void btnNovoPedidoClick();  // a new order for the customer typed, its number from the generator
  void btnExcluirPedidoClick();
  void btnGravarObservClick();  // writes the memo as the current order's observation (insert or edit)
  void btnExcluirObservClick();

  QLineEdit* edCliente;
  QPushButton *btnNovoPedido, *btnExcluirPedido;
  TDBGrid *grdPedidos, *grdObserv;
  QPlainTextEdit* mmObserv;
  QPushButton *btnGravarObserv, *btnExcluirObserv;

 private:
  void Connect(const LojaConnection& connection);
  void BuildControls();
  void ForwardQueryListShortCut();
  void ShowObservation();
  void Write(const std::function<void()>& change);

  ClassRegistry classes_;
  std::unique_ptr<TStoredForm> stored_;
  TMorvantaDataset* pedidos_;
  TMorvantaDataset* observacoes_;
};
