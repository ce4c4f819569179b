#pragma once
// A dataset test's world: a fresh Firebird database (embedded or on the local server), a
// connected TMorvantaDatabase on it and a TMorvantaTransaction for the datasets' writes. Datasets
// made through it are destroyed before the transaction (which rolls back what was not committed)
// and the connection.

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace testdb {

class DatasetWorld {
 public:
  explicit DatasetWorld(bool onServer = false) : db_(onServer ? TestDatabase::OnServer() : TestDatabase::Embedded()) {
    Connection.ConfigureConnection("Interbase"_a, db_->Database(), db_->UserName(), db_->Password());
    Connection.SetConnected(true);
    Transaction.SetDatabase(&Connection);
    Transaction.SetID(4711);  // a number already drawn: starting needs no wait for the clock
  }
  ~DatasetWorld() { datasets_.clear(); }

  TestDatabase& Db() const { return *db_; }

  // A dataset on the connection and the transaction, with the statement in SQL (may be empty).
  TMorvantaDataset& Dataset(const AnsiString& name, const AnsiString& sql = AnsiString(), TComponent* owner = nullptr) {
    auto dataset = std::make_unique<TMorvantaDataset>(owner);
    dataset->SetName(name);
    dataset->SetDatabase(&Connection);
    dataset->SetTransaction(&Transaction);
    if (!sql.empty()) dataset->SQL().SetText(sql);
    TMorvantaDataset& result = *dataset;
    if (owner) {
      dataset.release();  // the owner frees it
    } else {
      datasets_.push_back(std::move(dataset));
    }
    return result;
  }

  // Table T with `rows` rows: ID 1..rows, NOME 'n<ID>', QTD = ID * 10.
  void CreateNumberedTable(int rows) const {
    db_->Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), QTD INTEGER)");
    if (rows > 0)
      db_->Execute("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + IntToStr(rows) +
                   ") DO BEGIN INSERT INTO T (ID, NOME, QTD) VALUES (:I, 'n' || :I, :I * 10); I = I + 1; END END");
  }

  AnsiString Count(const AnsiString& table, const AnsiString& where = AnsiString()) const {
    return db_->QueryScalar("SELECT COUNT(*) FROM " + table + (where.empty() ? AnsiString() : " WHERE " + where));
  }

 private:
  std::unique_ptr<TestDatabase> db_;

 public:
  TMorvantaDatabase Connection{nullptr};
  TMorvantaTransaction Transaction{nullptr};

 private:
  std::vector<std::unique_ptr<TMorvantaDataset>> datasets_;
};

inline const char* PathName(bool onServer) { return onServer ? "Server" : "Embedded"; }

// The message of the error that `action` raises; a failure when it raises none, or the silent abort.
inline AnsiString ErrorMessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EAbort&) {
    ADD_FAILURE() << "no silent abort outside diagnostic mode";
  } catch (const Exception& error) {
    return error.Message();
  }
  ADD_FAILURE() << "an error was expected";
  return AnsiString();
}

}  // namespace testdb
