#include "morvanta/platform/firebird/Session.h"

#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Cursor.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace morvanta::fb {

namespace {

// The statement in `cached` when it was prepared for `text` on `session`; otherwise `text` is
// prepared into it in `transaction`.
Statement& PrepareInto(Session& session, std::unique_ptr<Statement>& cached, std::string text,
                       Firebird::ITransaction* transaction) {
  if (!cached || &cached->Session() != &session || cached->Text() != text) {
    cached.reset();
    cached = std::make_unique<Statement>(
        session, std::make_unique<detail::Statement>(session.Connection(), transaction, std::move(text)));
  }
  return *cached;
}

void RunPrepared(Session& session, std::unique_ptr<Statement>& cached, const std::string& text, const TParams& params,
                 Firebird::ITransaction* transaction) {
  detail::Statement& statement = PrepareInto(session, cached, text, transaction).Internal();
  session.Connection().BuildInput(statement.Input(), detail::ValuesOf(params), transaction);
  if (statement.ReturnsRows()) {
    // Executing a select opens it and closes it again.
    statement.Open(transaction).Close();
  } else {
    statement.Execute(transaction);
  }
}

// Runs a writing statement whose string literals the server can take as parameters on the
// statement prepared once for all the texts that differ only in those literals.
bool RunShared(detail::Connection& connection, const std::string& text, const TParams& params,
               Firebird::ITransaction* transaction) {
  fb::LiteralParameters literals = fb::ParameterizeLiterals(text);
  if (!literals.Usable()) return false;
  detail::Statement* statement = connection.SharedStatements().Find(connection, transaction, literals);
  if (!statement) return false;
  const bool utf8 = connection.Settings().Utf8Text();
  std::vector<TParam> literalValues(literals.literals.size());
  for (std::size_t i = 0; i < literals.literals.size(); ++i)
    literalValues[i].SetAsString(utf8 ? FromSystem(literals.literals[i]) : AnsiString(literals.literals[i]));
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

Session::Session(fb::ConnectionSettings settings)
    : connection_(std::make_unique<detail::Connection>(std::move(settings))) {}

Session::~Session() = default;

const fb::ConnectionSettings& Session::Settings() const { return connection_->Settings(); }
bool Session::InTransaction() const { return connection_->InTransaction(); }
void Session::StartTransaction(TTransIsolationLevel level) { connection_->StartTransaction(level); }
void Session::Commit() { connection_->Commit(); }
void Session::Rollback() { connection_->Rollback(); }

std::unique_ptr<Statement> Session::Prepare(std::string text) {
  Firebird::ITransaction* transaction = connection_->MetadataTransaction();
  return std::make_unique<Statement>(*this,
                                     std::make_unique<detail::Statement>(*connection_, transaction, std::move(text)));
}

Statement& Session::Prepared(std::unique_ptr<Statement>& cached, std::string text) {
  return PrepareInto(*this, cached, std::move(text), connection_->MetadataTransaction());
}

std::unique_ptr<Cursor> Session::Open(Statement& statement, const TParams& params) {
  connection_->FlushWrites();  // a select sees every write made before it
  detail::Statement& prepared = statement.Internal();
  detail::TransactionPtr transaction = connection_->ExplicitTransaction();
  if (!transaction)
    transaction =
        connection_->StartCursorTransaction(prepared.ForUpdate() ? fb::Access::ReadWrite : fb::Access::ReadOnly);
  connection_->BuildInput(prepared.Input(), detail::ValuesOf(params), transaction->Get());
  return std::make_unique<Cursor>(std::make_unique<detail::Cursor>(*connection_, prepared, transaction));
}

void Session::ExecutePrepared(std::unique_ptr<Statement>& cached, const std::string& text, const TParams& params) {
  connection_->RunWriting(
      [&](Firebird::ITransaction* transaction) { RunPrepared(*this, cached, text, params, transaction); });
}

void Session::ExecuteText(std::unique_ptr<Statement>& cached, const std::string& text, const TParams& params) {
  connection_->RunWriting([&](Firebird::ITransaction* transaction) {
    if (RunShared(*connection_, text, params, transaction)) return;
    detail::InputMessage& input = connection_->OneCallInput();
    connection_->BuildInput(input, detail::ValuesOf(params), transaction);
    try {
      detail::Status status;
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

bool Session::QueueWrite(const void* owner, const fb::HeldWriteRaiser& raise, const std::string& text,
                         const TParams& params) {
  fb::DriverCounts& counts = connection_->Counts();
  if (!connection_->CanPipeline()) {
    ++counts.writesAloneNoPipeline;
    return false;
  }
  detail::InputMessage& input = connection_->OneCallInput();
  connection_->BuildInput(input, detail::ValuesOf(params), connection_->ExplicitTransaction()->Get());
  if (!detail::WritePipeline::Batchable(text, input)) {
    ++counts.writesAloneNotBatchable;
    return false;
  }
  detail::WritePipeline& pipeline = connection_->Pipeline();
  pipeline.Queue(owner, raise, text, input);
  if (pipeline.Full()) pipeline.FlushFull(connection_->ExplicitTransaction()->Get(), owner);
  return true;
}

void Session::FlushWrites(const void* caller) { connection_->FlushWrites(caller); }

bool Session::HoldsWritesOtherThan(const void* owner) const { return connection_->Pipeline().HoldsOthersThan(owner); }

std::optional<std::int64_t> Session::RunHeldBackAlone(const void* owner) {
  if (!connection_->ExplicitTransaction()) return std::nullopt;
  return connection_->Pipeline().RunLastAlone(connection_->ExplicitTransaction()->Get(), owner);
}

const fb::DriverCounts& Session::Counts() const { return connection_->Counts(); }

}  // namespace morvanta::fb
