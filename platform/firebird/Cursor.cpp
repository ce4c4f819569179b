#include "Cursor.h"

#include "Connection.h"
#include "FbBlob.h"
#include "Statement.h"

namespace fb {

namespace {

unsigned MessageLength(Firebird::IMessageMetadata* metadata) {
  Status status;
  return metadata->getMessageLength(&status);
}

}  // namespace

Cursor::Cursor(Connection& connection, Statement& statement, TransactionPtr transaction)
    : attachment_(connection.ShareAttachment()),
      transaction_(std::move(transaction)),
      row_(DescribeColumns(statement.OutputMetadata(), connection.Settings().Utf8Text()),
           MessageLength(statement.OutputMetadata()), connection.Settings().trimChar,
           [this](ISC_QUAD id, std::string& out) { ReadBlob(id, out); }) {
  if (connection.Settings().blobSizeKb > 0)
    blobLimit_ = static_cast<std::size_t>(connection.Settings().blobSizeKb) * 1024;
  resultSet_ = statement.Open(transaction_->Get());
  row_.SetEmpty(true);
}

bool Cursor::Next() {
  if (eof_) return false;
  if (!resultSet_) throw EDatabaseError("The cursor is closed");
  Status status;
  row_.NewRow();
  if (resultSet_->fetchNext(&status, row_.Buffer()) == Firebird::IStatus::RESULT_OK) {
    row_.SetEmpty(false);
    return true;
  }
  Close();
  return false;
}

void Cursor::Close() {
  eof_ = true;
  row_.SetEmpty(true);
  resultSet_.Close();
  transaction_.reset();
}

void Cursor::ReadBlob(ISC_QUAD id, std::string& out) const {
  if (!transaction_ || !transaction_->Active()) throw EDatabaseError("The transaction of this cursor has ended");
  fb::ReadBlob(attachment_.Get(), transaction_->Get(), id, out, blobLimit_);
}

}  // namespace fb
