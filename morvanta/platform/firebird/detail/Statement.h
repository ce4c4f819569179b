#pragma once
// A statement prepared on the server, with the input message its runs are built in, kept so that
// running it again costs one call.

#include <string>

#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/detail/InputMessage.h"

namespace morvanta::fb::detail {

class Connection;

class Statement {
 public:
  // Prepares `text` (the bytes the server gets) in `transaction`, with its type and its
  // parameter descriptions fetched in the same round trip.
  Statement(Connection& connection, Firebird::ITransaction* transaction, std::string text);

  const std::string& Text() const { return text_; }
  Firebird::IStatement* Handle() const { return handle_.Get(); }
  // isc_info_sql_stmt_... of the statement.
  unsigned Type() const { return type_; }
  // A select (or a selectable block): it is opened, not executed.
  bool ReturnsRows() const;
  bool ForUpdate() const;
  Firebird::IMessageMetadata* OutputMetadata() const { return output_.Get(); }
  unsigned OutputCount() const { return outputCount_; }
  InputMessage& Input() { return input_; }

  // Runs a statement that returns no rows with its input message as built; its outputs
  // (EXECUTE PROCEDURE, RETURNING) land in `outBuffer`, laid out by OutputMetadata, or are
  // dropped when it is null.
  void Execute(Firebird::ITransaction* transaction, unsigned char* outBuffer = nullptr);
  // Opens the select with its input message as built.
  ResultSetHandle Open(Firebird::ITransaction* transaction);
  // The rows the last execution touched, as the server counts them (asks the server).
  std::int64_t AffectedRecords() const;

 private:
  std::string text_;
  StatementHandle handle_;
  MetadataRef output_;
  unsigned type_ = 0;
  unsigned outputCount_ = 0;
  InputMessage input_;
  std::vector<unsigned char> discarded_;
};

}  // namespace morvanta::fb::detail
