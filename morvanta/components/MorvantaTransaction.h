#pragma once
// The transaction component: start, commit and roll back on a connection, with a transaction
// number drawn from the time of day. Every public operation that reports shows "Erro: " and the
// message in a message box, then raises the same error again.

#include <cstdint>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/FieldTypes.h"

namespace morvanta {

class TMorvantaDatabase;

class TMorvantaTransaction : public TComponent {
 public:
  explicit TMorvantaTransaction(TComponent* owner);
  ~TMorvantaTransaction() override;  // rolls back an open transaction

  static constexpr const char* kClassName = "TMorvantaTransaction";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "MorvantaTransaction"; }

  TMorvantaDatabase* Database() const { return database_; }
  void SetDatabase(TMorvantaDatabase* database);
  std::uint32_t ID() const { return id_; }
  void SetID(std::uint32_t value) { id_ = value; }
  TMorvantaTransaction* TransactionLOG() const { return transactionLog_; }
  void SetTransactionLOG(TMorvantaTransaction* transaction);
  const TTransactionDesc& TransactionDesc() const { return desc_; }

  bool InTransaction();
  void Start();
  void Commit();
  void StartAndCommit();
  void Rollback();
  void RollbackIfActive();
  bool GenerateID();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TTransactionDesc desc_;
  TMorvantaDatabase* database_ = nullptr;
  std::uint32_t id_ = 0;
  TMorvantaTransaction* transactionLog_ = nullptr;
};

}  // namespace morvanta
