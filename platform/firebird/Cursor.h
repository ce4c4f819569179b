#pragma once
// An open result set read forward, one row at a time, into one message buffer. The cursor holds
// its transaction: an implicit one ends (commits) when the cursor reaches the end or closes.

#include "FbHandles.h"
#include "RowValues.h"
#include "SharedTransaction.h"

namespace fb {

class Connection;
class Statement;

class Cursor {
 public:
  // Opens `statement` with its input message as built.
  Cursor(Connection& connection, Statement& statement, TransactionPtr transaction);
  ~Cursor() { Close(); }
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Fetches the next row; false, and closed, at the end.
  bool Next();
  bool Eof() const { return eof_; }
  const RowValues& Row() const { return row_; }
  void Close();

 private:
  void ReadBlob(ISC_QUAD id, std::string& out) const;

  FbRef<Firebird::IAttachment> attachment_;
  TransactionPtr transaction_;
  ResultSetHandle resultSet_;
  RowValues row_;
  std::size_t blobLimit_ = 0;
  bool eof_ = false;
};

}  // namespace fb
