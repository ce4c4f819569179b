#pragma once
// A statement prepared on the server for the framework's query or stored procedure, kept so that
// running it again costs one call. Made and run by FirebirdSession.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "morvanta/platform/firebird/Columns.h"
#include "morvanta/platform/core/FieldTypes.h"

class FirebirdSession;
namespace fb {
class Statement;  // the client library's prepared statement (detail/Statement.h)
}

class FirebirdStatement {
 public:
  FirebirdStatement(FirebirdSession& session, std::unique_ptr<fb::Statement> statement);
  ~FirebirdStatement();
  FirebirdStatement(const FirebirdStatement&) = delete;
  FirebirdStatement& operator=(const FirebirdStatement&) = delete;

  // The bytes the server got.
  const std::string& Text() const;
  const FirebirdSession& Session() const { return *session_; }
  // A select (or a selectable block): it is opened, not executed.
  bool ReturnsRows() const;
  // The rows the last execution touched, as the server counts them (asks the server).
  std::int64_t AffectedRecords() const;
  // The field types of the statement's parameters, in order.
  std::vector<TFieldType> InputTypes() const;
  // The statement's outputs (a select's columns, a procedure's results).
  std::vector<fb::Column> OutputColumns() const;

  fb::Statement& Internal() const { return *statement_; }

 private:
  FirebirdSession* session_;
  std::unique_ptr<fb::Statement> statement_;
};
