#include "morvanta/platform/framework/SQLConnection.h"

#include <algorithm>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/Session.h"

namespace morvanta {

namespace {

// The driver names that reach Firebird through its client library.
bool IsFirebirdDriver(const AnsiString& name) { return SameText(name, "Interbase") || SameText(name, "Firebird"); }

}  // namespace

TSQLConnection::TSQLConnection(TComponent* owner) : TComponent(owner) {}

TSQLConnection::~TSQLConnection() {
  try {
    Disconnect();
  } catch (...) {
    // Destruction never raises; the session has let go of its handles either way.
  }
}

void TSQLConnection::SetConnectionName(AnsiString name) {
  if (name == connectionName_) return;
  if (Connected()) SetConnected(false);
  paramsLoaded_ = false;
  connectionName_ = std::move(name);
}

void TSQLConnection::SetDriverName(AnsiString name) {
  if (Connected()) throw EDatabaseError("Cannot change the driver name of an open connection");
  driverName_ = std::move(name);
}

bool TSQLConnection::Connected() const { return session_ != nullptr; }

void TSQLConnection::SetConnected(bool value) {
  if (value == Connected()) return;
  if (value) {
    if (BeforeConnect) BeforeConnect(*this);
    Connect();
    if (AfterConnect) AfterConnect(*this);
  } else {
    if (BeforeDisconnect) BeforeDisconnect(*this);
    Disconnect();
    if (AfterDisconnect) AfterDisconnect(*this);
  }
}

void TSQLConnection::Connect() {
  if (Trim(driverName_).empty()) throw EDatabaseError("Cannot connect: no driver name is set");
  if (SameText(driverName_, "Oracle"))
    throw EDatabaseError(
        "Cannot connect: there is no Oracle driver on this platform; only InterBase and Firebird "
        "databases (driver name \"Interbase\") can be reached");
  if (!IsFirebirdDriver(driverName_)) throw EDatabaseError("Cannot connect: unknown driver \"" + driverName_ + "\"");
  // Nothing asks for credentials on this platform; a login handler may still fill them in.
  if (loginPrompt_ && OnLogin) OnLogin(*this, params_);
  fb::ConnectionSettings settings = fb::ReadSettings(params_);
  settings.wireCompression = wireCompression_;
  session_ = std::make_unique<fb::Session>(std::move(settings));
}

void TSQLConnection::Disconnect() {
  if (!session_) return;
  // Cursors and statements go first: they hold server resources of the session.
  std::vector<SQLConnectionClient*> clients = clients_;
  for (SQLConnectionClient* client : clients) client->ConnectionClosing();
  transactionsCount_ = 0;
  session_.reset();  // rolls back an open transaction, detaches
}

fb::Session& TSQLConnection::Session() {
  if (!session_) throw EDatabaseError("The connection is not open");
  return *session_;
}

void TSQLConnection::ApplyHeldBackWrites(const void* unlessOnlyOf) {
  if (!session_ || (unlessOnlyOf && !session_->HoldsWritesOtherThan(unlessOnlyOf))) return;
  session_->FlushWrites();
}

void TSQLConnection::RegisterClient(SQLConnectionClient* client) {
  if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TSQLConnection::UnregisterClient(SQLConnectionClient* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TSQLConnection::StartTransaction(TTransactionDesc desc) {
  if (transactionsCount_ > 0) throw EDatabaseError("A transaction is already active");
  if (!Connected()) Open();
  session_->StartTransaction(desc.IsolationLevel);
  ++transactionsCount_;
}

void TSQLConnection::Commit(TTransactionDesc) {
  if (transactionsCount_ <= 0) throw EDatabaseError("There is no active transaction");
  Session().Commit();
  --transactionsCount_;
}

void TSQLConnection::Rollback(TTransactionDesc) {
  if (transactionsCount_ <= 0) throw EDatabaseError("There is no active transaction");
  Session().Rollback();
  --transactionsCount_;
}

void TSQLConnection::Relink(TComponent& owner, SQLConnectionClient* client, TSQLConnection*& link,
                            TSQLConnection* connection) {
  if (link) {
    link->UnregisterClient(client);
    owner.RemoveFreeNotification(link);
  }
  link = connection;
  if (link) {
    link->RegisterClient(client);
    owner.FreeNotification(link);
  }
}

}  // namespace morvanta
