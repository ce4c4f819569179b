#pragma once
// The SQL driver framework's stored procedure: runs a database procedure with input parameters
// and reads its outputs. Preparing it fills `Params` from the procedure's own description.

#include <memory>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/framework/SQLConnection.h"

namespace morvanta {

namespace fb {
class Statement;  // platform/firebird: a prepared statement
class Session;
}  // namespace fb

class TSQLStoredProc : public TComponent, private SQLConnectionClient {
 public:
  explicit TSQLStoredProc(TComponent* owner);
  ~TSQLStoredProc() override;

  static constexpr const char* kClassName = "TSQLStoredProc";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "SqlExpr"; }

  TSQLConnection* SQLConnection() const { return connection_; }
  void SetSQLConnection(TSQLConnection* connection);

  // A new name leaves the prepared state.
  const WideString& StoredProcName() const { return storedProcName_; }
  void SetStoredProcName(WideString name);
  // Firebird has no schemas: the procedure is prepared by its name alone whatever this holds.
  const AnsiString& SchemaName() const { return schemaName_; }
  void SetSchemaName(AnsiString name) { schemaName_ = std::move(name); }

  // The procedure's parameters: its inputs (ptInput) in order, then its outputs (ptOutput).
  // Preparing rebuilds the list and keeps the values of inputs of the same name.
  TParams& Params() { return params_; }

  bool Prepared() const { return prepared_; }
  // Setting true opens the connection when it is closed (raising when that fails), then prepares
  // the call; a preparation the server refuses is not raised: the procedure stays unprepared.
  void SetPrepared(bool value);

  // Runs the procedure with the input values (preparing it first when needed, raising then what
  // the server says); afterwards the output parameters hold the procedure's results.
  void ExecProc();
  // Nothing stays open between runs; kept for the framework's interface.
  void Close() {}

 private:
  void ConnectionClosing() override;
  void Prepare(fb::Session& session);

  TSQLConnection* connection_ = nullptr;
  WideString storedProcName_;
  AnsiString schemaName_;
  TParams params_;
  bool prepared_ = false;
  std::unique_ptr<fb::Statement> statement_;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
};

}  // namespace morvanta
