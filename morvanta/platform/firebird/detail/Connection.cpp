#include "morvanta/platform/firebird/detail/Connection.h"

#include "morvanta/platform/core/StopSignals.h"

namespace morvanta::fb::detail {

namespace {

// The read-only, read-committed transaction of selects and metadata: it never waits.
constexpr TransactionOptions kReading{Isolation::ReadCommitted, Access::ReadOnly, LockResolution::NoWait,
                                      CommitMode::Explicit};

}  // namespace

Connection::Connection(ConnectionSettings settings) : settings_(std::move(settings)) {
  // The client library installs handlers of Ctrl+C and SIGTERM of its own when it starts: the
  // program's come first again once the attachment is made or has failed.
  struct ReclaimStopSignals {
    ~ReclaimStopSignals() { StopSignals::Reclaim(); }
  } reclaim;
  Status status;
  provider_ = ProviderRef(Master()->getDispatcher());
  const std::vector<unsigned char> dpb = BuildDpb(settings_);
  attachment_ = detail::Attachment(
      provider_->attachDatabase(&status, settings_.database.c_str(), static_cast<unsigned>(dpb.size()), dpb.data()));
  pipeline_ = std::make_unique<WritePipeline>(attachment_.Get(), settings_.dialect, *counts_);
}

void Connection::FlushWrites(const void* caller) {
  if (pipeline_->Empty()) return;
  if (!explicit_) {
    pipeline_->Discard();  // nothing is queued outside the transaction; kept for safety
    return;
  }
  pipeline_->Flush(explicit_->Get(), caller);
}

Connection::~Connection() {
  pipeline_->Discard();       // the transaction they belong to rolls back
  sharedStatements_.Clear();  // statements go while the attachment lives
  explicit_.reset();          // rolls back unless cursors still read in it
  autocommit_.reset();
  metadata_.reset();
  attachment_ = detail::Attachment();  // detaches
}

TransactionOptions Connection::WritingOptions(Isolation isolation) const {
  return {isolation, Access::ReadWrite, settings_.waitOnLocks ? LockResolution::Wait : LockResolution::NoWait,
          CommitMode::Explicit};
}

Firebird::ITransaction* Connection::Start(const TransactionOptions& options) {
  const std::vector<unsigned char> tpb = BuildTpb(options);
  Status status;
  return attachment_->startTransaction(&status, static_cast<unsigned>(tpb.size()), tpb.data());
}

void Connection::StartTransaction(TTransIsolationLevel level) {
  Isolation isolation = settings_.isolation;
  if (level == xilREPEATABLEREAD) isolation = Isolation::Snapshot;
  else if (level == xilREADCOMMITTED || level == xilDIRTYREAD) isolation = Isolation::ReadCommitted;
  Firebird::ITransaction* t = Start(WritingOptions(isolation));
  explicit_ = std::make_shared<SharedTransaction>(t, SharedTransaction::EndAction::Rollback);
}

void Connection::Commit() {
  if (!explicit_) return;
  FlushWrites();  // a failing write leaves the transaction open and uncommitted
  if (settings_.commitRetain) {
    // The work is committed and the transaction lives on for the cursors reading in it; it
    // commits for good when the last of them closes.
    explicit_->CommitRetaining();
    explicit_->SetEndAction(SharedTransaction::EndAction::Commit);
  } else {
    explicit_->Commit();
  }
  explicit_.reset();
}

void Connection::Rollback() {
  pipeline_->Discard();
  if (!explicit_) return;
  explicit_->Rollback();
  explicit_.reset();
}

TransactionPtr Connection::StartCursorTransaction(Access access) {
  const TransactionOptions options = access == Access::ReadWrite ? WritingOptions(settings_.isolation) : kReading;
  return std::make_shared<SharedTransaction>(Start(options), SharedTransaction::EndAction::Commit);
}

Firebird::ITransaction* Connection::MetadataTransaction() {
  if (explicit_) return explicit_->Get();
  if (settings_.isolation == Isolation::ReadCommitted) return AutocommitTransaction();
  if (!metadata_ || !metadata_->Active())
    metadata_ = std::make_unique<SharedTransaction>(Start(kReading), SharedTransaction::EndAction::Commit);
  return metadata_->Get();
}

Firebird::ITransaction* Connection::AutocommitTransaction() {
  if (!autocommit_ || !autocommit_->Active()) {
    TransactionOptions options = WritingOptions(Isolation::ReadCommitted);
    options.commit = CommitMode::Autocommit;
    autocommit_ = std::make_unique<SharedTransaction>(Start(options), SharedTransaction::EndAction::Commit);
  }
  return autocommit_->Get();
}

}  // namespace morvanta::fb::detail
