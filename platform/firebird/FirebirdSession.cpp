#include "FirebirdSession.h"

FirebirdSession::FirebirdSession(fb::ConnectionSettings settings) : settings_(std::move(settings)) {
  fb::Status status;
  provider_ = fb::ProviderRef(fb::Master()->getDispatcher());
  const std::vector<unsigned char> dpb = fb::BuildDpb(settings_);
  attachment_ = fb::Attachment(
      provider_->attachDatabase(&status, settings_.database.c_str(), static_cast<unsigned>(dpb.size()), dpb.data()));
}

FirebirdSession::~FirebirdSession() {
  sharedStatements_.Clear();  // statements go while the attachment lives
  explicit_.reset();          // rolls back unless cursors still read in it
  autocommit_.reset();
  metadata_.reset();
  attachment_ = fb::Attachment();  // detaches
}

Firebird::ITransaction* FirebirdSession::Start(const std::vector<unsigned char>& tpb) {
  fb::Status status;
  return attachment_->startTransaction(&status, static_cast<unsigned>(tpb.size()), tpb.data());
}

void FirebirdSession::StartTransaction(TTransIsolationLevel level) {
  fb::Isolation isolation = settings_.isolation;
  if (level == xilREPEATABLEREAD) isolation = fb::Isolation::Snapshot;
  else if (level == xilREADCOMMITTED || level == xilDIRTYREAD) isolation = fb::Isolation::ReadCommitted;
  Firebird::ITransaction* t = Start(fb::BuildTpb(isolation, false, settings_.waitOnLocks, false));
  explicit_ = std::make_shared<fb::SharedTransaction>(t, fb::SharedTransaction::EndAction::Rollback);
}

void FirebirdSession::Commit() {
  if (!explicit_) return;
  if (settings_.commitRetain) {
    // The work is committed and the transaction lives on for the cursors reading in it; it
    // commits for good when the last of them closes.
    explicit_->CommitRetaining();
    explicit_->SetEndAction(fb::SharedTransaction::EndAction::Commit);
  } else {
    explicit_->Commit();
  }
  explicit_.reset();
}

void FirebirdSession::Rollback() {
  if (!explicit_) return;
  explicit_->Rollback();
  explicit_.reset();
}

fb::TransactionPtr FirebirdSession::StartCursorTransaction(bool forUpdate) {
  const auto tpb = forUpdate ? fb::BuildTpb(settings_.isolation, false, settings_.waitOnLocks, false)
                             : fb::BuildTpb(fb::Isolation::ReadCommitted, true, false, false);
  return std::make_shared<fb::SharedTransaction>(Start(tpb), fb::SharedTransaction::EndAction::Commit);
}

Firebird::ITransaction* FirebirdSession::MetadataTransaction() {
  if (explicit_) return explicit_->Get();
  if (settings_.isolation == fb::Isolation::ReadCommitted) return AutocommitTransaction();
  if (!metadata_ || !metadata_->Active())
    metadata_ =
        std::make_unique<fb::SharedTransaction>(Start(fb::BuildTpb(fb::Isolation::ReadCommitted, true, false, false)),
                                                fb::SharedTransaction::EndAction::Commit);
  return metadata_->Get();
}

Firebird::ITransaction* FirebirdSession::AutocommitTransaction() {
  if (!autocommit_ || !autocommit_->Active())
    autocommit_ = std::make_unique<fb::SharedTransaction>(
        Start(fb::BuildTpb(fb::Isolation::ReadCommitted, false, settings_.waitOnLocks, true)),
        fb::SharedTransaction::EndAction::Commit);
  return autocommit_->Get();
}
