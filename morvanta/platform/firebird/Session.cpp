#include "morvanta/platform/firebird/Session.h"

#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Cursor.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace {

// The statement in `cached` when it was prepared for `text` on `session`; otherwise `text` is
// prepared into it in `transaction`.
FirebirdStatement& PrepareInto(FirebirdSession& session, std::unique_ptr<FirebirdStatement>& cached, std::string text,
                               Firebird::ITransaction* transaction) {
  if (!cached || &cached->Session() != &session || cached->Text() != text) {
    cached.reset();
    cached = std::make_unique<FirebirdStatement>(
        session, std::make_unique<fb::Statement>(session.Connection(), transaction, std::move(text)));
  }
  return *cached;
}

void RunPrepared(FirebirdSession& session, std::unique_ptr<FirebirdStatement>& cached, const std::string& text,
                 const TParams& params, Firebird::ITransaction* transaction) {
  fb::Statement& statement = PrepareInto(session, cached, text, transaction).Internal();
  session.Connection().BuildInput(statement.Input(), fb::ValuesOf(params), transaction);
  if (statement.ReturnsRows()) {
    // Executing a select opens it and closes it again.
    statement.Open(transaction).Close();
  } else {
    statement.Execute(transaction);
  }
}

// Runs a writing statement whose string literals the server can take as parameters on the
// statement prepared once for all the texts that differ only in those literals.
bool RunShared(fb::Connection& connection, const std::string& text, const TParams& params,
               Firebird::ITransaction* transaction) {
  fb::LiteralParameters literals = fb::ParameterizeLiterals(text);
  if (!literals.Usable()) return false;
  fb::Statement* statement = connection.SharedStatements().Find(connection, transaction, literals);
  if (!statement) return false;
  const bool utf8 = connection.Settings().Utf8Text();
  std::vector<TParam> literalValues(literals.literals.size());
  for (std::size_t i = 0; i < literals.literals.size(); ++i)
    literalValues[i].SetAsString(utf8 ? FromSystem(literals.literals[i]) : literals.literals[i]);
  std::vector<const TParam*> values;
  values.reserve(literals.markers.size());
  int next = 0;
  for (int marker : literals.markers) {
    if (marker >= 0) values.push_back(&literalValues[static_cast<std::size_t>(marker)]);
    else if (next < params.Count()) values.push_back(&params[next++]);
    else return false;
  }
  if (next != params.Count()) return false;
  connection.BuildInput(statement->Input(), values, transaction);
  statement->Execute(transaction);
  return true;
}

}  // namespace

FirebirdSession::FirebirdSession(fb::ConnectionSettings settings)
    : connection_(std::make_unique<fb::Connection>(std::move(settings))) {}

FirebirdSession::~FirebirdSession() = default;

const fb::ConnectionSettings& FirebirdSession::Settings() const { return connection_->Settings(); }
bool FirebirdSession::InTransaction() const { return connection_->InTransaction(); }
void FirebirdSession::StartTransaction(TTransIsolationLevel level) { connection_->StartTransaction(level); }
void FirebirdSession::Commit() { connection_->Commit(); }
void FirebirdSession::Rollback() { connection_->Rollback(); }

std::unique_ptr<FirebirdStatement> FirebirdSession::Prepare(std::string text) {
  Firebird::ITransaction* transaction = connection_->MetadataTransaction();
  return std::make_unique<FirebirdStatement>(
      *this, std::make_unique<fb::Statement>(*connection_, transaction, std::move(text)));
}

FirebirdStatement& FirebirdSession::Prepared(std::unique_ptr<FirebirdStatement>& cached, std::string text) {
  return PrepareInto(*this, cached, std::move(text), connection_->MetadataTransaction());
}

std::unique_ptr<FirebirdCursor> FirebirdSession::Open(FirebirdStatement& statement, const TParams& params) {
  connection_->FlushWrites();  // a select sees every write made before it
  fb::Statement& prepared = statement.Internal();
  fb::TransactionPtr transaction = connection_->ExplicitTransaction();
  if (!transaction)
    transaction =
        connection_->StartCursorTransaction(prepared.ForUpdate() ? fb::Access::ReadWrite : fb::Access::ReadOnly);
  connection_->BuildInput(prepared.Input(), fb::ValuesOf(params), transaction->Get());
  return std::make_unique<FirebirdCursor>(std::make_unique<fb::Cursor>(*connection_, prepared, transaction));
}

void FirebirdSession::ExecutePrepared(std::unique_ptr<FirebirdStatement>& cached, const std::string& text,
                                      const TParams& params) {
  connection_->RunWriting(
      [&](Firebird::ITransaction* transaction) { RunPrepared(*this, cached, text, params, transaction); });
}

void FirebirdSession::ExecuteText(std::unique_ptr<FirebirdStatement>& cached, const std::string& text,
                                  const TParams& params) {
  connection_->RunWriting([&](Firebird::ITransaction* transaction) {
    if (RunShared(*connection_, text, params, transaction)) return;
    fb::InputMessage& input = connection_->OneCallInput();
    connection_->BuildInput(input, fb::ValuesOf(params), transaction);
    try {
      fb::Status status;
      connection_->Attachment()->execute(&status, transaction, static_cast<unsigned>(text.size()), text.data(),
                                         connection_->Settings().dialect, input.Metadata(), input.Buffer(), nullptr,
                                         nullptr);
    } catch (const EFirebirdError& error) {
      // A select has rows to put somewhere: run it through a prepared statement instead.
      if (!error.HasErrorCode(isc_dsql_sqlda_err)) throw;
      RunPrepared(*this, cached, text, params, transaction);
    }
  });
}

bool FirebirdSession::QueueWrite(const void* owner, const fb::HeldWriteRaiser& raise, const std::string& text,
                                 const TParams& params) {
  fb::DriverCounts& counts = connection_->Counts();
  if (!connection_->CanPipeline()) {
    ++counts.writesAloneNoPipeline;
    return false;
  }
  fb::InputMessage& input = connection_->OneCallInput();
  connection_->BuildInput(input, fb::ValuesOf(params), connection_->ExplicitTransaction()->Get());
  if (!fb::WritePipeline::Batchable(text, input)) {
    ++counts.writesAloneNotBatchable;
    return false;
  }
  fb::WritePipeline& pipeline = connection_->Pipeline();
  pipeline.Queue(owner, raise, text, input);
  if (pipeline.Full()) pipeline.FlushFull(connection_->ExplicitTransaction()->Get(), owner);
  return true;
}

void FirebirdSession::FlushWrites(const void* caller) { connection_->FlushWrites(caller); }

bool FirebirdSession::HoldsWritesOtherThan(const void* owner) const {
  return connection_->Pipeline().HoldsOthersThan(owner);
}

std::optional<std::int64_t> FirebirdSession::RunHeldBackAlone(const void* owner) {
  if (!connection_->ExplicitTransaction()) return std::nullopt;
  return connection_->Pipeline().RunLastAlone(connection_->ExplicitTransaction()->Get(), owner);
}

const fb::DriverCounts& FirebirdSession::Counts() const { return connection_->Counts(); }
