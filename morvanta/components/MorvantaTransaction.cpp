#include "morvanta/components/MorvantaTransaction.h"

#include <cstdlib>

#include "morvanta/platform/core/DateTime.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

namespace {

// Runs an operation; on any error shows "Erro: " + its message and raises the same error again.
template <class Body>
auto Reporting(Body body) -> decltype(body()) {
  try {
    return body();
  } catch (const Exception& e) {
    ShowMessage("Erro: " + e.Message());
    throw;
  } catch (const std::exception& e) {
    ShowMessage("Erro: " + FromSystem(e.what()));
    throw;
  }
}

}  // namespace

TMorvantaTransaction::TMorvantaTransaction(TComponent* owner) : TComponent(owner) {
  desc_.IsolationLevel = xilREADCOMMITTED;
  GenerateID();
}

TMorvantaTransaction::~TMorvantaTransaction() {
  try {
    RollbackIfActive();
  } catch (...) {
    // The box was shown; a destructor cannot raise.
  }
}

void TMorvantaTransaction::SetDatabase(TMorvantaDatabase* database) {
  if (database_ && database_ != database) RemoveFreeNotification(database_);
  database_ = database;
  if (database_) FreeNotification(database_);
}

void TMorvantaTransaction::SetTransactionLOG(TMorvantaTransaction* transaction) {
  if (transactionLog_ && transactionLog_ != transaction) RemoveFreeNotification(transactionLog_);
  transactionLog_ = transaction;
  if (transactionLog_) FreeNotification(transactionLog_);
}

void TMorvantaTransaction::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  // A link never outlives its target: a freed connection or log transaction is forgotten.
  if (component == database_) database_ = nullptr;
  if (component == transactionLog_) transactionLog_ = nullptr;
}

bool TMorvantaTransaction::InTransaction() {
  return Reporting([&] { return database_ != nullptr && database_->InTransaction(); });
}

bool TMorvantaTransaction::GenerateID() {
  if (!database_) {
    id_ = 0;
    return true;
  }
  try {
    Now();
    Sleep(125);
    std::uint32_t product = TimeOfDayProduct(Now(), true);
    std::uint32_t connection = database_->ID();
    id_ = product > connection ? product - connection : connection - product;
    desc_.TransactionID = id_;
    return true;
  } catch (...) {
    return false;
  }
}

void TMorvantaTransaction::Start() {
  Reporting([&] {
    if (InTransaction()) return;
    if (!database_) throw Exception("Sem database para iniciar transação"_a);
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (id_ != 0) break;
      if (!GenerateID()) {
        Sleep(500);
        continue;
      }
      if (id_ != 0) break;
    }
    if (id_ == 0) throw Exception("Transação Inválida"_a);
    database_->StartTransaction(desc_);
  });
}

void TMorvantaTransaction::Commit() {
  // Writes held back run first: their failure is theirs, not the commit's.
  if (database_) database_->ApplyHeldBackWrites();
  Reporting([&] {
    if (!InTransaction()) Start();
    database_->Commit(desc_);
    Sleep(10);
    ProcessMessages();
  });
}

void TMorvantaTransaction::StartAndCommit() {
  Reporting([&] {
    if (!InTransaction()) Start();
    Commit();
  });
}

void TMorvantaTransaction::Rollback() {
  Reporting([&] {
    if (InTransaction()) database_->Rollback(desc_);
  });
}

void TMorvantaTransaction::RollbackIfActive() {
  Reporting([&] {
    if (InTransaction()) Rollback();
  });
}

}  // namespace morvanta
