#pragma once
// An open result set read forward, one row at a time, into one message buffer. The cursor holds
// its transaction: an implicit one ends (commits) when the cursor reaches the end or closes.
//
// With a read-ahead of more than one row, on a server connection that reads blobs whole, the
// cursor fetches that many rows at once and reads the blobs of all of them in a few round trips
// (BulkBlobReader); a blob the bulk read could not carry is read by itself when it is asked for,
// and its failure belongs to that value. A fetch that fails after some rows of a window arrived
// is raised once those rows have been handed out.

#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <unordered_map>
#include <vector>

#include "morvanta/platform/firebird/DriverCounts.h"
#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/detail/RowValues.h"
#include "morvanta/platform/firebird/detail/SharedTransaction.h"

namespace morvanta::fb::detail {

class BulkBlobReader;
class Connection;
class Statement;

class Cursor {
 public:
  // Opens `statement` with its input message as built.
  Cursor(Connection& connection, Statement& statement, TransactionPtr transaction);
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Fetches the next row; false, and closed, at the end.
  bool Next();
  bool Eof() const { return eof_; }
  const RowValues& Row() const { return row_; }
  void Close();
  // The rows fetched at once from now on (1: one at a time).
  void SetReadAhead(unsigned rows) { readAhead_ = rows > 0 ? rows : 1; }

 private:
  void ReadBlob(ISC_QUAD id, std::string& out);
  bool ReadsAhead() const;
  bool NextAhead();
  void FillWindow();
  void ReadWindowBlobs();

  FbRef<Firebird::IAttachment> attachment_;
  TransactionPtr transaction_;
  ResultSetHandle resultSet_;
  RowValues row_;
  std::size_t blobLimit_ = 0;
  bool eof_ = false;
  bool onServer_ = false;
  unsigned dialect_ = 3;
  unsigned readAhead_ = 1;
  unsigned messageLength_ = 0;
  std::vector<int> blobColumns_;
  std::deque<std::vector<unsigned char>> window_;               // rows fetched and not yet handed out
  bool sourceDone_ = false;                                     // the result set has no more rows
  std::exception_ptr fetchError_;                               // raised once the window is empty
  std::unordered_map<std::uint64_t, std::string> windowBlobs_;  // contents by blob id
  std::unique_ptr<BulkBlobReader> bulk_;
  std::shared_ptr<DriverCounts> counts_;
};

}  // namespace morvanta::fb::detail
