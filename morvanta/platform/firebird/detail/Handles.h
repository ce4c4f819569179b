#pragma once
// RAII owners for the handles of the Firebird client library. Reference-counted interfaces are
// held by `FbRef` (copying adds a reference); the handles that have to be ended (attachment,
// transaction, statement, result set, blob) are ended quietly by their owner's destructor. A
// successful detach, commit, rollback, free or close releases the interface itself, so the owner
// lets go of the pointer afterwards instead of releasing it again.

#include <utility>

#include "morvanta/platform/firebird/detail/Client.h"

namespace morvanta::fb::detail {

template <class I>
class FbRef {
 public:
  FbRef() = default;
  explicit FbRef(I* adopted) : p_(adopted) {}  // takes over one reference
  FbRef(const FbRef& other) : p_(other.p_) {
    if (p_) p_->addRef();
  }
  FbRef(FbRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  FbRef& operator=(FbRef other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~FbRef() { Reset(); }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->release();
  }
  // Forgets the pointer without releasing it (a call released it already).
  I* Forget() { return std::exchange(p_, nullptr); }
  I* Get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  I* p_ = nullptr;
};

using ProviderRef = FbRef<Firebird::IProvider>;
using MetadataRef = FbRef<Firebird::IMessageMetadata>;
using MetadataBuilderRef = FbRef<Firebird::IMetadataBuilder>;

// Ends a handle with `end` (detach, rollback, free, close...) and lets go of it; when the end call
// fails, the reference is released instead. Never raises: used by destructors.
template <class I, class End>
void EndQuietly(FbRef<I>& ref, End end) {
  if (!ref) return;
  try {
    Status status;
    end(&status, ref.Get());
    ref.Forget();
  } catch (...) {
    ref.Reset();
  }
}

// An attachment to a database; detached when the owner goes.
class Attachment {
 public:
  Attachment() = default;
  explicit Attachment(Firebird::IAttachment* adopted) : ref_(adopted) {}
  Attachment(Attachment&&) noexcept = default;
  Attachment& operator=(Attachment&& other) noexcept {
    if (this != &other) {
      EndDetach();
      ref_ = std::move(other.ref_);
    }
    return *this;
  }
  ~Attachment() { EndDetach(); }

  Firebird::IAttachment* Get() const { return ref_.Get(); }
  Firebird::IAttachment* operator->() const { return ref_.Get(); }
  explicit operator bool() const { return bool(ref_); }
  // A further reference to the same attachment, for objects that must not outlive it blindly.
  FbRef<Firebird::IAttachment> Share() const { return ref_; }

  // Detaches, raising on failure (the handle is released then all the same).
  void Detach() {
    if (!ref_) return;
    FbRef<Firebird::IAttachment> ref = std::move(ref_);
    Status status;
    ref->detach(&status);
    ref.Forget();
  }
  void DropDatabase() {
    if (!ref_) return;
    FbRef<Firebird::IAttachment> ref = std::move(ref_);
    Status status;
    ref->dropDatabase(&status);
    ref.Forget();
  }

 private:
  void EndDetach() {
    EndQuietly(ref_, [](Status* s, Firebird::IAttachment* a) { a->detach(s); });
  }
  FbRef<Firebird::IAttachment> ref_;
};

// A prepared statement; freed when the owner goes.
class StatementHandle {
 public:
  StatementHandle() = default;
  explicit StatementHandle(Firebird::IStatement* adopted) : ref_(adopted) {}
  StatementHandle(StatementHandle&&) noexcept = default;
  StatementHandle& operator=(StatementHandle&& other) noexcept {
    if (this != &other) {
      Free();
      ref_ = std::move(other.ref_);
    }
    return *this;
  }
  ~StatementHandle() { Free(); }

  Firebird::IStatement* Get() const { return ref_.Get(); }
  Firebird::IStatement* operator->() const { return ref_.Get(); }
  explicit operator bool() const { return bool(ref_); }
  void Free() {
    EndQuietly(ref_, [](Status* s, Firebird::IStatement* st) { st->free(s); });
  }

 private:
  FbRef<Firebird::IStatement> ref_;
};

// An open result set; closed when the owner goes.
class ResultSetHandle {
 public:
  ResultSetHandle() = default;
  explicit ResultSetHandle(Firebird::IResultSet* adopted) : ref_(adopted) {}
  ResultSetHandle(ResultSetHandle&&) noexcept = default;
  ResultSetHandle& operator=(ResultSetHandle&& other) noexcept {
    if (this != &other) {
      Close();
      ref_ = std::move(other.ref_);
    }
    return *this;
  }
  ~ResultSetHandle() { Close(); }

  Firebird::IResultSet* Get() const { return ref_.Get(); }
  Firebird::IResultSet* operator->() const { return ref_.Get(); }
  explicit operator bool() const { return bool(ref_); }
  void Close() {
    EndQuietly(ref_, [](Status* s, Firebird::IResultSet* rs) { rs->close(s); });
  }

 private:
  FbRef<Firebird::IResultSet> ref_;
};

// An open blob. A blob being written that is not closed explicitly is cancelled; one being read
// is closed.
class BlobHandle {
 public:
  explicit BlobHandle(Firebird::IBlob* adopted, bool writing) : ref_(adopted), writing_(writing) {}
  BlobHandle(const BlobHandle&) = delete;
  BlobHandle& operator=(const BlobHandle&) = delete;
  ~BlobHandle() {
    if (writing_) EndQuietly(ref_, [](Status* s, Firebird::IBlob* b) { b->cancel(s); });
    else EndQuietly(ref_, [](Status* s, Firebird::IBlob* b) { b->close(s); });
  }

  Firebird::IBlob* operator->() const { return ref_.Get(); }
  // Closes the blob, raising on failure; a written blob is complete afterwards.
  void Close() {
    if (!ref_) return;
    FbRef<Firebird::IBlob> ref = std::move(ref_);
    Status status;
    ref->close(&status);
    ref.Forget();
  }

 private:
  FbRef<Firebird::IBlob> ref_;
  bool writing_;
};

// A parameter-block builder of the utility interface (connection, transaction, blob blocks).
class XpbBuilder {
 public:
  explicit XpbBuilder(unsigned kind) {
    Status status;
    builder_ = Util()->getXpbBuilder(&status, kind, nullptr, 0);
  }
  XpbBuilder(const XpbBuilder&) = delete;
  XpbBuilder& operator=(const XpbBuilder&) = delete;
  ~XpbBuilder() {
    if (builder_) builder_->dispose();
  }
  Firebird::IXpbBuilder* operator->() const { return builder_; }

 private:
  Firebird::IXpbBuilder* builder_ = nullptr;
};

}  // namespace morvanta::fb::detail
