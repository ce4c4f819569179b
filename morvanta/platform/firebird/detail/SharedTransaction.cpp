#include "morvanta/platform/firebird/detail/SharedTransaction.h"

namespace morvanta::fb::detail {

SharedTransaction::~SharedTransaction() {
  if (!ref_) return;
  if (endAction_ == EndAction::Commit) {
    try {
      Commit();
      return;
    } catch (...) {
      // A commit that failed rolls back below.
    }
  }
  try {
    Rollback();
  } catch (...) {
    ref_.Reset();
  }
}

void SharedTransaction::Commit() {
  if (!ref_) return;
  Status status;
  ref_->commit(&status);
  ref_.Forget();
}

void SharedTransaction::CommitRetaining() {
  if (!ref_) return;
  Status status;
  ref_->commitRetaining(&status);
}

void SharedTransaction::Rollback() {
  if (!ref_) return;
  Status status;
  ref_->rollback(&status);
  ref_.Forget();
}

}  // namespace morvanta::fb::detail
