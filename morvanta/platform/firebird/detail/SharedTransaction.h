#pragma once
// A Firebird transaction that several holders share: the session while it is the connection's
// transaction, and every cursor reading in it. When the last holder lets go it ends with its end
// action: read-only and retained transactions commit, everything else rolls back.

#include <memory>

#include "morvanta/platform/firebird/detail/Handles.h"

namespace morvanta::fb::detail {

class SharedTransaction {
 public:
  enum class EndAction { Commit, Rollback };

  SharedTransaction(Firebird::ITransaction* adopted, EndAction endAction) : ref_(adopted), endAction_(endAction) {}
  SharedTransaction(const SharedTransaction&) = delete;
  SharedTransaction& operator=(const SharedTransaction&) = delete;
  ~SharedTransaction();

  // nullptr once the transaction has ended.
  Firebird::ITransaction* Get() const { return ref_.Get(); }
  bool Active() const { return bool(ref_); }
  void SetEndAction(EndAction action) { endAction_ = action; }

  // Each raises the client's error; a failed commit leaves the transaction open.
  void Commit();
  void CommitRetaining();
  void Rollback();

 private:
  FbRef<Firebird::ITransaction> ref_;
  EndAction endAction_;
};

using TransactionPtr = std::shared_ptr<SharedTransaction>;

}  // namespace morvanta::fb::detail
