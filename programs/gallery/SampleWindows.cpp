#include "programs/gallery/SampleWindows.h"

#include <QListWidget>
#include <QComboBox>
#include <QPlainTextEdit>

#include "morvanta/platform/ui/Application.h"
#include "morvanta/windows/DataBrowser.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "morvanta/windows/frmRecError.h"
#include "morvanta/windows/FGenerator.h"
#include "morvanta/windows/frmListaQuery.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

using namespace morvanta;

namespace {

// A form of the application, declared in a unit of its own.
class TfrmPedidos : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TfrmPedidos"; }
  const char* UnitName() const override { return "uPedidos"; }
};

TMorvantaDataset& NewDataset(TComponent* owner, TMorvantaDatabase& connection, AsciiLiteral name, AsciiLiteral sql) {
  auto* dataset = new TMorvantaDataset(owner);
  dataset->SetName(name);
  dataset->SetDatabase(&connection);
  dataset->SQL().SetText(sql);
  return *dataset;
}

}  // namespace

GallerySamples::GallerySamples() : Db(testdb::TestDatabase::Embedded()) {
  Db->Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), QTD INTEGER)");
  Db->Execute(
      "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 1000) DO BEGIN "
      "INSERT INTO T (ID, NOME, QTD) VALUES (:I, 'item ' || :I, :I * 10); I = I + 1; END END");
  Db->Execute("CREATE TABLE CLIENTE (CLI_CODIGO INTEGER NOT NULL PRIMARY KEY, CLI_NOME VARCHAR(40))");
  Db->Execute("INSERT INTO CLIENTE VALUES (1, 'Padaria Estrela')");
  Db->Execute("INSERT INTO CLIENTE VALUES (2, 'Mercado São João')");
  Db->Execute(
      "CREATE TABLE PEDIDO (PED_CODIGO INTEGER NOT NULL PRIMARY KEY, CLI_CODIGO INTEGER, PED_EMISSAO DATE, "
      "PED_STATUS CHAR(1))");
  Db->Execute("INSERT INTO PEDIDO VALUES (10, 1, '2024-03-01', 'W')");
  Db->Execute("INSERT INTO PEDIDO VALUES (11, 2, '2024-03-02', 'F')");
  Db->Execute("INSERT INTO PEDIDO VALUES (12, 1, '2024-03-05', 'W')");
  Db->Execute("CREATE TABLE OBSERVACAO (PED_CODIGO INTEGER NOT NULL PRIMARY KEY, OBS BLOB SUB_TYPE TEXT)");
  Db->Execute("INSERT INTO OBSERVACAO VALUES (10, 'Entregar pela manhã')");
  Db->Execute("CREATE GENERATOR GEN_CLIENTE");
  Db->Execute("CREATE GENERATOR GEN_PEDIDO");
  Db->Execute("CREATE GENERATOR GEN$INTERNO");
  Connection = std::make_unique<TMorvantaDatabase>(nullptr);
  Connection->SetName("dbLoja");
  Connection->ConfigureConnection("Interbase"_a, Db->Database(), Db->UserName(), Db->Password());
  Connection->SetConnected(true);
}

GallerySamples::~GallerySamples() {
  Application().FreeForms();
  PedidoForm.reset();
}

TForm& GallerySamples::Report() {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(Connection.get());
  query.SQL().SetText(
      u"INSERT INTO PEDIDO (PED_CODIGO, CLI_CODIGO, PED_EMISSAO)\r\nVALUES (:PED_CODIGO, "
      u":CLI_CODIGO, :PED_EMISSAO)");
  query.Params().ParamByName("PED_CODIGO").SetAsString("10");
  query.Params().ParamByName("CLI_CODIGO").SetAsString("2");
  query.Params().ParamByName("PED_EMISSAO").SetAsString("2024-03-09");
  WriteSQLTrace(query, "qryPedido"_a, "dbLoja"_a, "Interbase"_a, "frmPedidos"_a);
  auto* report = new TfrmRecError(&Application());
  try {
    query.ExecSQL();  // the order exists already: a key violation
  } catch (const Exception& error) {
    report->FillReport(query, error, LastSQLText(), "frmPedidos"_a, "qryPedido"_a, "uPedidos"_a);
  }
  return *report;
}

TForm& GallerySamples::LongReport() {
  const AnsiString form = "frmCadastroDePedidosDeCompraDosFornecedoresDaMatriz"_a;
  const AnsiString unit = "uCadastroDePedidosDeCompraDosFornecedores"_a;
  TSQLQuery query(nullptr);
  query.SetSQLConnection(Connection.get());
  query.SQL().SetText(u"INSERT INTO OBSERVACAO (PED_CODIGO, OBS)\r\nVALUES (:PED_CODIGO, :OBS)");
  query.Params().ParamByName("PED_CODIGO").SetAsString("10");
  query.Params().ParamByName("OBS").SetAsString(FromSystem(
      "Entregar pela manhã, antes das dez horas, na doca 3 do depósito central. O cliente pede que a nota "
      "fiscal venha impressa em duas vias e que as caixas de vidro sigam por cima das demais, com a etiqueta "
      "de frágil à vista. Em caso de atraso, avisar o comprador pelo telefone do pedido."));
  WriteSQLTrace(query, "qryObservacao"_a, "dbLoja"_a, "Interbase"_a, form);
  auto* report = new TfrmRecError(&Application());
  try {
    query.ExecSQL();  // the observation exists already: a key violation
  } catch (const Exception& error) {
    report->FillReport(query, error, LastSQLText(), form, "qryObservacao"_a, unit);
  }
  return *report;
}

TForm& GallerySamples::QueryList() {
  PedidoForm = std::make_unique<TfrmPedidos>(nullptr);
  PedidoForm->SetName("frmPedidos");
  NewDataset(PedidoForm.get(), *Connection, "qryClientes", "select * from cliente order by cli_codigo").OpenQuery();
  NewDataset(PedidoForm.get(), *Connection, "qryPedidos", "select * from pedido where ped_status = 'W'").OpenQuery();
  NewDataset(PedidoForm.get(), *Connection, "qryItens", "select id, nome from t where id <= 10");
  auto* viewer = new TfrmListaQuery(PedidoForm.get());
  viewer->ListDatasets(*PedidoForm);
  viewer->lstQry->setCurrentRow(1);
  return *viewer;
}

TForm& GallerySamples::DataBrowser() {
  TMorvantaDataset& rows = NewDataset(PedidoForm.get(), *Connection, "qryNumeros", "select * from t order by id");
  rows.OpenQuery();
  auto* browser = new TDataBrowser(rows);
  browser->Memo->setPlainText(QString::fromLatin1(LastSQLText().c_str()));
  return *browser;
}

TForm& GallerySamples::GeneratorPicker() {
  auto* picker = new TFGenerator(&Application());
  picker->OwnDatabase->ConfigureConnection("Interbase"_a, Db->Database(), Db->UserName(), Db->Password());
  picker->OwnDatabase->SetConnected(true);
  picker->MorvantaDatabase = Connection.get();
  return *picker;
}
