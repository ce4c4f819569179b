#pragma once
// The driver's side of an open connection: the attachment and its transactions.
//
// At most one explicit transaction is open at a time; a statement run while it is open belongs
// to it. Otherwise a statement runs in an implicit transaction: a select in a read-committed
// read-only transaction of its own that lives as long as its cursor (record versions, so it
// reads on while others write), anything else in the connection's autocommit transaction, where
// the engine commits every statement as it ends and undoes a statement that fails. Under snapshot
// isolation, which an autocommit transaction cannot give statement by statement, each such
// statement gets a transaction of its own that commits right after it.

#include <memory>

#include "morvanta/platform/firebird/ConnectionSettings.h"
#include "morvanta/platform/firebird/DriverCounts.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/firebird/detail/InputMessage.h"
#include "morvanta/platform/firebird/detail/SharedStatements.h"
#include "morvanta/platform/firebird/detail/SharedTransaction.h"
#include "morvanta/platform/firebird/detail/WritePipeline.h"

namespace morvanta::fb::detail {

class Connection {
 public:
  // Attaches the database; raises EFirebirdError with the server's message.
  explicit Connection(ConnectionSettings settings);
  // Rolls back the explicit transaction, ends the implicit ones and detaches, quietly.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const ConnectionSettings& Settings() const { return settings_; }
  Firebird::IAttachment* Attachment() const { return attachment_.Get(); }
  FbRef<Firebird::IAttachment> ShareAttachment() const { return attachment_.Share(); }

  // The explicit transaction. Each call raises the client's error and then leaves the state as
  // it was: a failed commit keeps the transaction open, so that a rollback can follow.
  bool InTransaction() const { return explicit_ != nullptr; }
  void StartTransaction(TTransIsolationLevel level);
  void Commit();
  void Rollback();

  // The explicit transaction, or nullptr.
  const TransactionPtr& ExplicitTransaction() const { return explicit_; }
  // A transaction for a select run outside the explicit transaction: read-only, read committed;
  // a select FOR UPDATE gets a read-write one. Ends (commits) with its last holder.
  TransactionPtr StartCursorTransaction(Access access);
  // A transaction to prepare statements and read metadata in: the explicit one when open,
  // otherwise one the connection keeps.
  Firebird::ITransaction* MetadataTransaction();

  // Runs `work(transaction)` for a statement that may write: in the explicit transaction, or in
  // an implicit one committed when the work is done (and undone when it raises).
  template <class Work>
  void RunWriting(Work&& work);

  // Writes held back to travel in batches (see WritePipeline.h): only inside the explicit
  // transaction, on a server connection without a character set, where batches save round trips.
  bool CanPipeline() const { return explicit_ && settings_.OnServer() && settings_.charSet.empty(); }
  WritePipeline& Pipeline() { return *pipeline_; }
  // Runs what is held back; raises the error of a statement that fails, by its owner's raiser
  // unless the owner is `caller` (WritePipeline::Flush).
  void FlushWrites(const void* caller = nullptr);

  // What the driver did on this connection; shared with the cursors, which count their blobs.
  DriverCounts& Counts() { return *counts_; }
  const std::shared_ptr<DriverCounts>& SharedCounts() const { return counts_; }

  // Prepared writing statements shared by the texts that differ only in their literals.
  detail::SharedStatements& SharedStatements() { return sharedStatements_; }
  // The input message of statements run in one call, without a prepared statement.
  InputMessage& OneCallInput() { return oneCallInput_; }
  // Builds `input` for `values` under this connection's text settings; long blobs are written
  // in `transaction`.
  void BuildInput(InputMessage& input, const std::vector<const TParam*>& values, Firebird::ITransaction* transaction) {
    input.Build(values, attachment_.Get(), transaction, settings_.Utf8Text(), !settings_.charSet.empty());
  }

 private:
  Firebird::ITransaction* Start(const TransactionOptions& options);
  Firebird::ITransaction* AutocommitTransaction();
  TransactionOptions WritingOptions(Isolation isolation) const;

  ConnectionSettings settings_;
  ProviderRef provider_;
  detail::Attachment attachment_;
  TransactionPtr explicit_;
  std::unique_ptr<SharedTransaction> autocommit_;  // read committed only
  std::unique_ptr<SharedTransaction> metadata_;    // read-only, for snapshot connections
  detail::SharedStatements sharedStatements_;
  InputMessage oneCallInput_;
  std::shared_ptr<DriverCounts> counts_ = std::make_shared<DriverCounts>();
  std::unique_ptr<WritePipeline> pipeline_;
};

template <class Work>
void Connection::RunWriting(Work&& work) {
  FlushWrites();
  if (explicit_) {
    work(explicit_->Get());
    return;
  }
  if (settings_.isolation == Isolation::ReadCommitted) {
    work(AutocommitTransaction());
    return;
  }
  SharedTransaction own(Start(WritingOptions(settings_.isolation)), SharedTransaction::EndAction::Rollback);
  work(own.Get());
  own.Commit();
}

}  // namespace morvanta::fb::detail
