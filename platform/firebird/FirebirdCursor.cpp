#include "FirebirdCursor.h"

#include "FbBlob.h"
#include "FirebirdSession.h"
#include "FirebirdStatement.h"

FirebirdCursor::FirebirdCursor(FirebirdSession& session, const FirebirdStatement& statement,
                               fb::TransactionPtr transaction, fb::InputMessage& input)
    : attachment_(session.ShareAttachment()),
      transaction_(std::move(transaction)),
      row_(
          fb::DescribeColumns(statement.OutputMetadata(), session.Settings().Utf8Text()),
          [&] {
            fb::Status status;
            return statement.OutputMetadata()->getMessageLength(&status);
          }(),
          session.Settings().trimChar, [this](ISC_QUAD id, std::string& out) { ReadBlob(id, out); }) {
  if (session.Settings().blobSizeKb > 0) blobLimit_ = static_cast<std::size_t>(session.Settings().blobSizeKb) * 1024;
  fb::Status status;
  resultSet_ = fb::ResultSetHandle(statement.Handle()->openCursor(&status, transaction_->Get(), input.Metadata(),
                                                                  input.Buffer(), statement.OutputMetadata(), 0));
  row_.SetEmpty(true);
}

bool FirebirdCursor::Next() {
  if (eof_) return false;
  if (!resultSet_) throw EDatabaseError("The cursor is closed");
  fb::Status status;
  row_.NewRow();
  if (resultSet_->fetchNext(&status, row_.Buffer()) == Firebird::IStatus::RESULT_OK) {
    row_.SetEmpty(false);
    return true;
  }
  Close();
  return false;
}

void FirebirdCursor::Close() {
  eof_ = true;
  row_.SetEmpty(true);
  resultSet_.Close();
  transaction_.reset();
}

void FirebirdCursor::ReadBlob(ISC_QUAD id, std::string& out) const {
  if (!transaction_ || !transaction_->Active()) throw EDatabaseError("The transaction of this cursor has ended");
  fb::ReadBlob(attachment_.Get(), transaction_->Get(), id, out, blobLimit_);
}
