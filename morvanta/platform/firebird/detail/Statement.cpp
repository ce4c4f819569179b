#include "morvanta/platform/firebird/detail/Statement.h"

#include "morvanta/platform/firebird/detail/Connection.h"

namespace morvanta::fb::detail {

Statement::Statement(Connection& connection, Firebird::ITransaction* transaction, std::string text)
    : text_(std::move(text)) {
  Status status;
  handle_ = StatementHandle(connection.Attachment()->prepare(&status, transaction, static_cast<unsigned>(text_.size()),
                                                             text_.data(), connection.Settings().dialect,
                                                             Firebird::IStatement::PREPARE_PREFETCH_METADATA));
  type_ = handle_->getType(&status);
  output_ = MetadataRef(handle_->getOutputMetadata(&status));
  outputCount_ = output_->getCount(&status);
}

bool Statement::ReturnsRows() const {
  return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

bool Statement::ForUpdate() const { return type_ == isc_info_sql_stmt_select_for_upd; }

void Statement::Execute(Firebird::ITransaction* transaction, unsigned char* outBuffer) {
  Status status;
  Firebird::IMessageMetadata* output = nullptr;
  if (outputCount_ > 0) {
    output = output_.Get();
    if (!outBuffer) {
      discarded_.resize(output_->getMessageLength(&status));
      outBuffer = discarded_.data();
    }
  }
  handle_->execute(&status, transaction, input_.Metadata(), input_.Buffer(), output, outBuffer);
}

ResultSetHandle Statement::Open(Firebird::ITransaction* transaction) {
  Status status;
  return ResultSetHandle(
      handle_->openCursor(&status, transaction, input_.Metadata(), input_.Buffer(), output_.Get(), 0));
}

std::int64_t Statement::AffectedRecords() const {
  Status status;
  return static_cast<std::int64_t>(handle_->getAffectedRecords(&status));
}

}  // namespace morvanta::fb::detail
