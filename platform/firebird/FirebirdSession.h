#pragma once
// The Firebird driver's side of an open connection: the attachment and its transactions.
//
// At most one explicit transaction is open at a time; a statement run while it is open belongs
// to it. Otherwise a statement runs in an implicit transaction: a select in a read-committed
// read-only transaction of its own that lives as long as its cursor (record versions, so it
// reads on while others write), anything else in the session's autocommit transaction, where the
// engine commits every statement as it ends and undoes a statement that fails. Under snapshot
// isolation, which an autocommit transaction cannot give statement by statement, each such
// statement gets a transaction of its own that commits right after it.

#include <memory>

#include "ConnectionSettings.h"
#include "FieldTypes.h"
#include "SharedStatements.h"
#include "SharedTransaction.h"

class FirebirdSession {
 public:
  // Attaches the database; raises EFirebirdError with the server's message.
  explicit FirebirdSession(fb::ConnectionSettings settings);
  // Rolls back the explicit transaction, ends the implicit ones and detaches, quietly.
  ~FirebirdSession();
  FirebirdSession(const FirebirdSession&) = delete;
  FirebirdSession& operator=(const FirebirdSession&) = delete;

  const fb::ConnectionSettings& Settings() const { return settings_; }
  Firebird::IAttachment* Attachment() const { return attachment_.Get(); }
  fb::FbRef<Firebird::IAttachment> ShareAttachment() const { return attachment_.Share(); }

  // The explicit transaction. Each call raises the client's error and then leaves the state as
  // it was: a failed commit keeps the transaction open, so that a rollback can follow.
  bool InTransaction() const { return explicit_ != nullptr; }
  void StartTransaction(TTransIsolationLevel level);
  void Commit();
  void Rollback();

  // The explicit transaction, or nullptr.
  const fb::TransactionPtr& ExplicitTransaction() const { return explicit_; }
  // A transaction for a select run outside the explicit transaction: read-only, read committed;
  // `forUpdate` gives a read-write one (SELECT ... FOR UPDATE). Ends (commits) with its last holder.
  fb::TransactionPtr StartCursorTransaction(bool forUpdate);
  // A transaction to prepare statements and read metadata in: the explicit one when open,
  // otherwise one the session keeps.
  Firebird::ITransaction* MetadataTransaction();

  // Runs `work(transaction)` for a statement that may write: in the explicit transaction, or in
  // an implicit one committed when the work is done (and undone when it raises).
  template <class Work>
  void RunWriting(Work&& work);

  // Prepared writing statements shared by the texts that differ only in their literals.
  fb::SharedStatements& SharedStatements() { return sharedStatements_; }

 private:
  Firebird::ITransaction* Start(const std::vector<unsigned char>& tpb);
  Firebird::ITransaction* AutocommitTransaction();

  fb::ConnectionSettings settings_;
  fb::ProviderRef provider_;
  fb::Attachment attachment_;
  fb::TransactionPtr explicit_;
  std::unique_ptr<fb::SharedTransaction> autocommit_;  // read committed only
  std::unique_ptr<fb::SharedTransaction> metadata_;    // read-only, for snapshot sessions
  fb::SharedStatements sharedStatements_;
};

template <class Work>
void FirebirdSession::RunWriting(Work&& work) {
  if (explicit_) {
    work(explicit_->Get());
    return;
  }
  if (settings_.isolation == fb::Isolation::ReadCommitted) {
    work(AutocommitTransaction());
    return;
  }
  fb::SharedTransaction own(Start(fb::BuildTpb(settings_.isolation, false, settings_.waitOnLocks, false)),
                            fb::SharedTransaction::EndAction::Rollback);
  work(own.Get());
  own.Commit();
}
