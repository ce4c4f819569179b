#pragma once
// A statement prepared on the server, kept so that running it again costs one call.

#include <string>

#include "FbHandles.h"
#include "InputMessage.h"

class FirebirdSession;

class FirebirdStatement {
 public:
  // Prepares `text` (the bytes the server gets) in `transaction`, with its type and its
  // parameter descriptions fetched in the same round trip.
  FirebirdStatement(FirebirdSession& session, Firebird::ITransaction* transaction, std::string text);

  const std::string& Text() const { return text_; }
  const FirebirdSession& Session() const { return *session_; }
  Firebird::IStatement* Handle() const { return handle_.Get(); }
  // isc_info_sql_stmt_... of the statement.
  unsigned Type() const { return type_; }
  // A select (or a selectable block): it is opened, not executed.
  bool ReturnsRows() const;
  bool ForUpdate() const;
  Firebird::IMessageMetadata* OutputMetadata() const { return output_.Get(); }
  unsigned OutputCount() const { return outputCount_; }

  // Runs a statement that returns no rows; its outputs (EXECUTE PROCEDURE, RETURNING) land in
  // `outBuffer`, laid out by OutputMetadata, or are dropped when it is null.
  void Execute(Firebird::ITransaction* transaction, fb::InputMessage& input, unsigned char* outBuffer = nullptr);
  // The rows the last execution touched, as the server counts them (asks the server).
  std::int64_t AffectedRecords() const;

 private:
  FirebirdSession* session_;
  std::string text_;
  fb::StatementHandle handle_;
  fb::MetadataRef output_;
  unsigned type_ = 0;
  unsigned outputCount_ = 0;
  std::vector<unsigned char> discarded_;
};
