#include "morvanta/platform/firebird/detail/Cursor.h"

#include <cstring>
#include <utility>

#include "morvanta/platform/firebird/detail/BulkBlobReader.h"
#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Blob.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace morvanta::fb::detail {

namespace {

unsigned MessageLength(Firebird::IMessageMetadata* metadata) {
  Status status;
  return metadata->getMessageLength(&status);
}

std::uint64_t Key(ISC_QUAD id) {
  std::uint64_t key;
  static_assert(sizeof key == sizeof id);
  std::memcpy(&key, &id, sizeof key);
  return key;
}

}  // namespace

Cursor::Cursor(Connection& connection, Statement& statement, TransactionPtr transaction)
    : attachment_(connection.ShareAttachment()),
      transaction_(std::move(transaction)),
      row_(DescribeColumns(statement.OutputMetadata(), connection.Settings().Utf8Text()),
           MessageLength(statement.OutputMetadata()), connection.Settings().trimChar,
           [this](ISC_QUAD id, std::string& out) { ReadBlob(id, out); }),
      onServer_(connection.Settings().OnServer()),
      dialect_(connection.Settings().dialect),
      messageLength_(MessageLength(statement.OutputMetadata())),
      counts_(connection.SharedCounts()) {
  if (connection.Settings().blobSizeKb > 0)
    blobLimit_ = static_cast<std::size_t>(connection.Settings().blobSizeKb) * 1024;
  for (int i = 0; i < row_.Count(); ++i)
    if (row_.Columns()[static_cast<std::size_t>(i)].sqlType == SQL_BLOB) blobColumns_.push_back(i);
  resultSet_ = statement.Open(transaction_->Get());
  row_.SetEmpty(true);
}

Cursor::~Cursor() { Close(); }

// Reading ahead pays only where every blob read is a round trip: on a server connection, for
// blobs read whole. The embedded engine reads a blob by itself faster than through the block.
bool Cursor::ReadsAhead() const { return readAhead_ > 1 && onServer_ && blobLimit_ == 0 && !blobColumns_.empty(); }

bool Cursor::Next() {
  if (eof_) return false;
  if (!window_.empty() || fetchError_ || sourceDone_ || ReadsAhead()) return NextAhead();
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

bool Cursor::NextAhead() {
  if (window_.empty() && !fetchError_ && !sourceDone_) FillWindow();
  row_.NewRow();
  if (window_.empty()) {
    std::exception_ptr error = std::exchange(fetchError_, nullptr);
    if (error) {
      row_.SetEmpty(true);
      std::rethrow_exception(error);
    }
    Close();
    return false;
  }
  std::memcpy(row_.Buffer(), window_.front().data(), messageLength_);
  window_.pop_front();
  row_.SetEmpty(false);
  return true;
}

void Cursor::FillWindow() {
  if (!resultSet_) throw EDatabaseError("The cursor is closed");
  windowBlobs_.clear();
  try {
    Status status;
    while (window_.size() < readAhead_) {
      std::vector<unsigned char> buffer(messageLength_);
      if (resultSet_->fetchNext(&status, buffer.data()) != Firebird::IStatus::RESULT_OK) {
        sourceDone_ = true;
        resultSet_.Close();
        break;
      }
      window_.push_back(std::move(buffer));
    }
  } catch (...) {
    fetchError_ = std::current_exception();
  }
  ReadWindowBlobs();
}

void Cursor::ReadWindowBlobs() {
  if (window_.empty() || !transaction_ || !transaction_->Active()) return;
  std::vector<ISC_QUAD> ids;
  for (const auto& buffer : window_)
    for (int index : blobColumns_) {
      const Column& c = row_.Columns()[static_cast<std::size_t>(index)];
      short null;
      std::memcpy(&null, buffer.data() + c.nullOffset, sizeof null);
      if (null) continue;
      ISC_QUAD id;
      std::memcpy(&id, buffer.data() + c.offset, sizeof id);
      ids.push_back(id);
    }
  if (ids.empty()) return;
  if (!bulk_) bulk_ = std::make_unique<BulkBlobReader>(attachment_, dialect_, *counts_);
  std::vector<std::optional<std::string>> values;
  bulk_->Read(transaction_->Get(), ids, values);
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (values[i]) windowBlobs_[Key(ids[i])] = std::move(*values[i]);
}

void Cursor::Close() {
  eof_ = true;
  row_.SetEmpty(true);
  window_.clear();
  windowBlobs_.clear();
  fetchError_ = nullptr;
  resultSet_.Close();
  bulk_.reset();
  transaction_.reset();
}

void Cursor::ReadBlob(ISC_QUAD id, std::string& out) {
  auto found = windowBlobs_.find(Key(id));
  if (found != windowBlobs_.end()) {
    out = std::move(found->second);
    windowBlobs_.erase(found);
    return;
  }
  if (!transaction_ || !transaction_->Active()) throw EDatabaseError("The transaction of this cursor has ended");
  ++(ReadsAhead() ? counts_->blobsAloneMissed : counts_->blobsAloneNoReadAhead);
  detail::ReadBlob(attachment_.Get(), transaction_->Get(), id, out, blobLimit_);
}

}  // namespace morvanta::fb::detail
