#pragma once
// The SQL driver framework's connection: driver settings, the name=value parameter list, the
// connected state and at most one explicit transaction. The Firebird driver carries it to a real
// Firebird 3 database: a file opened by the embedded engine, or a database on a server.

#include <functional>
#include <memory>
#include <vector>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Strings.h"
#include "morvanta/platform/firebird/ConnectionSettings.h"

namespace morvanta {

namespace fb {
class Session;  // the driver's attachment and transactions (platform/firebird)
}  // namespace fb

// A user of a connection's server resources (an open cursor, a prepared statement): told to give
// them up before the connection closes.
class SQLConnectionClient {
 public:
  virtual void ConnectionClosing() = 0;

 protected:
  ~SQLConnectionClient() = default;
};

class TSQLConnection : public TComponent {
 public:
  using ConnectionEvent = std::function<void(TSQLConnection&)>;
  using LoginEvent = std::function<void(TSQLConnection&, TWideStrings&)>;

  explicit TSQLConnection(TComponent* owner);
  ~TSQLConnection() override;  // disconnects

  static constexpr const char* kClassName = "TSQLConnection";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "SqlExpr"; }

  // Writing a different name closes an open connection and clears the parameters-loaded mark.
  const AnsiString& ConnectionName() const { return connectionName_; }
  void SetConnectionName(AnsiString name);
  // Refused on an open connection. Virtual so that a derived connection can resolve what the name
  // stands for once, when it is written.
  const AnsiString& DriverName() const { return driverName_; }
  virtual void SetDriverName(AnsiString name);
  const AnsiString& GetDriverFunc() const { return getDriverFunc_; }
  void SetGetDriverFunc(AnsiString value) { getDriverFunc_ = std::move(value); }
  const AnsiString& LibraryName() const { return libraryName_; }
  void SetLibraryName(AnsiString value) { libraryName_ = std::move(value); }
  const AnsiString& VendorLib() const { return vendorLib_; }
  void SetVendorLib(AnsiString value) { vendorLib_ = std::move(value); }
  bool KeepConnection() const { return keepConnection_; }
  void SetKeepConnection(bool value) { keepConnection_ = value; }
  bool LoadParamsOnConnect() const { return loadParamsOnConnect_; }
  void SetLoadParamsOnConnect(bool value) { loadParamsOnConnect_ = value; }
  bool LoginPrompt() const { return loginPrompt_; }
  void SetLoginPrompt(bool value) { loginPrompt_ = value; }
  int TableScope() const { return tableScope_; }
  void SetTableScope(int value) { tableScope_ = value; }
  bool ParamsLoaded() const { return paramsLoaded_; }
  void SetParamsLoaded(bool value) { paramsLoaded_ = value; }

  // Whether a connection to a server asks it to compress the wire (see ConnectionSettings.h): a
  // setting of the driver beside the parameters, off until a caller asks; read at connect.
  fb::WireCompression WireCompression() const { return wireCompression_; }
  void SetWireCompression(fb::WireCompression value) { wireCompression_ = value; }

  // Connection parameters as name=value lines (Database, User_Name, Password, ...).
  TWideStringList& Params() { return params_; }
  const TWideStringList& Params() const { return params_; }

  bool Connected() const;
  void SetConnected(bool value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  ConnectionEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  LoginEvent OnLogin;

  // At most one explicit transaction: start refuses a second one ("A transaction is already
  // active"), commit and rollback refuse when none is open ("There is no active transaction").
  // The count changes only after the driver accepted the call.
  bool InTransaction() const { return transactionsCount_ > 0; }
  int TransactionsCount() const { return transactionsCount_; }
  void StartTransaction(TTransactionDesc desc);
  void Commit(TTransactionDesc desc);
  void Rollback(TTransactionDesc desc);

  // The live driver session; raises when the connection is not open.
  fb::Session& Session();

  // Runs the writes held back on the connection (TSQLQuery::SetBatching), so that a caller about
  // to run something of its own meets their failure before, not inside, its own error handling;
  // with `unlessOnlyOf`, only when writes of others than that query are held. A failure is raised
  // as the query that held the write back raises it.
  void ApplyHeldBackWrites(const void* unlessOnlyOf = nullptr);

  // Queries and stored procedures on this connection register, so that disconnecting closes them.
  void RegisterClient(SQLConnectionClient* client);
  void UnregisterClient(SQLConnectionClient* client);
  // Moves a client's link from the connection it has to `connection`: registers it there and
  // keeps the free notifications that clear the link when the connection goes.
  static void Relink(TComponent& owner, SQLConnectionClient* client, TSQLConnection*& link, TSQLConnection* connection);

 private:
  void Connect();
  void Disconnect();

  AnsiString connectionName_, driverName_, getDriverFunc_, libraryName_, vendorLib_;
  bool keepConnection_ = true;
  bool loadParamsOnConnect_ = false;
  bool loginPrompt_ = true;
  bool paramsLoaded_ = false;
  int tableScope_ = 0;
  int transactionsCount_ = 0;
  fb::WireCompression wireCompression_ = fb::WireCompression::Off;
  TWideStringList params_;
  std::unique_ptr<fb::Session> session_;
  std::vector<SQLConnectionClient*> clients_;
};

}  // namespace morvanta
