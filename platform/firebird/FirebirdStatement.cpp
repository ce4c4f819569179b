#include "FirebirdStatement.h"

#include "FirebirdSession.h"

FirebirdStatement::FirebirdStatement(FirebirdSession& session, Firebird::ITransaction* transaction, std::string text)
    : session_(&session), text_(std::move(text)) {
  fb::Status status;
  handle_ = fb::StatementHandle(session.Attachment()->prepare(&status, transaction, static_cast<unsigned>(text_.size()),
                                                              text_.data(), session.Settings().dialect,
                                                              Firebird::IStatement::PREPARE_PREFETCH_METADATA));
  type_ = handle_->getType(&status);
  output_ = fb::MetadataRef(handle_->getOutputMetadata(&status));
  outputCount_ = output_->getCount(&status);
}

bool FirebirdStatement::ReturnsRows() const {
  return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

bool FirebirdStatement::ForUpdate() const { return type_ == isc_info_sql_stmt_select_for_upd; }

void FirebirdStatement::Execute(Firebird::ITransaction* transaction, fb::InputMessage& input,
                                unsigned char* outBuffer) {
  fb::Status status;
  Firebird::IMessageMetadata* output = nullptr;
  if (outputCount_ > 0) {
    output = output_.Get();
    if (!outBuffer) {
      discarded_.resize(output_->getMessageLength(&status));
      outBuffer = discarded_.data();
    }
  }
  handle_->execute(&status, transaction, input.Metadata(), input.Buffer(), output, outBuffer);
}

std::int64_t FirebirdStatement::AffectedRecords() const {
  fb::Status status;
  return static_cast<std::int64_t>(handle_->getAffectedRecords(&status));
}
