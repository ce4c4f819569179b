#pragma once
// An open result set read forward, one row at a time, into one message buffer. The cursor holds
// its transaction: an implicit one ends (commits) when the cursor reaches the end or closes.

#include "FbHandles.h"
#include "RowValues.h"
#include "SharedTransaction.h"

class FirebirdSession;
class FirebirdStatement;
namespace fb {
class InputMessage;
}

class FirebirdCursor {
 public:
  FirebirdCursor(FirebirdSession& session, const FirebirdStatement& statement, fb::TransactionPtr transaction,
                 fb::InputMessage& input);
  ~FirebirdCursor() { Close(); }
  FirebirdCursor(const FirebirdCursor&) = delete;
  FirebirdCursor& operator=(const FirebirdCursor&) = delete;

  // Fetches the next row; false, and closed, at the end.
  bool Next();
  bool Eof() const { return eof_; }
  const fb::RowValues& Row() const { return row_; }
  void Close();

 private:
  void ReadBlob(ISC_QUAD id, std::string& out) const;

  fb::FbRef<Firebird::IAttachment> attachment_;
  fb::TransactionPtr transaction_;
  fb::ResultSetHandle resultSet_;
  fb::RowValues row_;
  std::size_t blobLimit_ = 0;
  bool eof_ = false;
};
