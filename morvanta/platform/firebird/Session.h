#pragma once
// The Firebird driver as the framework sees it: an open connection to a database, its
// transactions, and the statements run on it. Nothing here shows the client library: its
// handles, status objects and transactions stay inside platform/firebird.
//
// At most one explicit transaction is open at a time; a statement run while it is open belongs
// to it. Otherwise a select reads in a read-only transaction of its own that lives as long as its
// cursor, and a statement that may write runs in an implicit transaction that commits when it
// ends (see detail/Connection.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "morvanta/platform/firebird/ConnectionSettings.h"
#include "morvanta/platform/firebird/DriverCounts.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/firebird/Cursor.h"
#include "morvanta/platform/firebird/Statement.h"
#include "morvanta/platform/firebird/HeldWrites.h"
#include "morvanta/platform/core/Params.h"

namespace morvanta::fb {

namespace detail {
class Connection;  // the attachment and its transactions (detail/Connection.h)
}

class Session {
 public:
  // Attaches the database; raises EFirebirdError with the server's message and codes.
  explicit Session(fb::ConnectionSettings settings);
  // Rolls back the explicit transaction, ends the implicit ones and detaches, quietly.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const fb::ConnectionSettings& Settings() const;

  // The explicit transaction. Each call raises the server's error and then leaves the state as
  // it was: a failed commit keeps the transaction open, so that a rollback can follow.
  bool InTransaction() const;
  void StartTransaction(TTransIsolationLevel level);
  void Commit();
  void Rollback();

  // Prepares `text` (the bytes the server gets).
  std::unique_ptr<Statement> Prepare(std::string text);
  // The statement in `cached` when it was prepared for `text` on this session; otherwise
  // `text` is prepared into `cached`.
  Statement& Prepared(std::unique_ptr<Statement>& cached, std::string text);

  // Opens a select with `params` as its input, in the explicit transaction or one of its own.
  std::unique_ptr<Cursor> Open(Statement& statement, const TParams& params);
  // Runs `text` with `params` on its prepared statement (prepared into `cached` unless it is
  // there already), in a writing transaction. A select is opened and closed again.
  void ExecutePrepared(std::unique_ptr<Statement>& cached, const std::string& text, const TParams& params);
  // Runs `text` with `params` in one call, without a statement of its own: an INSERT, UPDATE or
  // DELETE whose string literals the server can take as parameters on the statement shared by
  // all the texts that differ only in those literals, anything else prepared and executed in one
  // call. A select, which has rows to put somewhere, goes through ExecutePrepared.
  void ExecuteText(std::unique_ptr<Statement>& cached, const std::string& text, const TParams& params);

  // Writes held back to travel in batches (detail/WritePipeline.h): only INSERT, UPDATE or DELETE
  // statements of the explicit transaction, on a server connection without a character set.
  // Queues `text` with `params` for `owner` and returns true, or returns false when the statement
  // cannot be held back (it is then to be run as usual). A full batch runs at once. A failure of
  // the write found later, by a call of someone else, is raised by `raise` (none: the server's
  // error as it is); a failure found by a call of `owner` is raised as the server's error.
  bool QueueWrite(const void* owner, const fb::HeldWriteRaiser& raise, const std::string& text, const TParams& params);
  // Runs every write held back; raises the error of the one that fails (see QueueWrite: `caller`
  // is who asks).
  void FlushWrites(const void* caller = nullptr);
  // Whether writes of anyone but `owner` are held back.
  bool HoldsWritesOtherThan(const void* owner) const;
  // When writes of `owner` are held back: runs what is held before its last one, then that one by
  // itself on a prepared statement, and returns the rows it touched.
  std::optional<std::int64_t> RunHeldBackAlone(const void* owner);

  // What the driver did on this connection so far.
  const fb::DriverCounts& Counts() const;

  // The names of a stored procedure's input parameters, in order, as the catalogue lists them;
  // `storedName` as the catalogue stores it.
  std::vector<WideString> ProcedureInputNames(const AnsiString& storedName);
  // Runs a prepared EXECUTE PROCEDURE with `inputs`; `outputs` receive the procedure's results
  // in order.
  void ExecuteProcedure(Statement& statement, const std::vector<const TParam*>& inputs,
                        const std::vector<TParam*>& outputs);

  detail::Connection& Connection() { return *connection_; }

 private:
  std::unique_ptr<detail::Connection> connection_;
};

}  // namespace morvanta::fb
