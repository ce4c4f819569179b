#pragma once
// A statement prepared on the server for the framework's query or stored procedure, kept so that
// running it again costs one call. Made and run by Session.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "morvanta/platform/firebird/Columns.h"
#include "morvanta/platform/core/FieldTypes.h"

namespace morvanta::fb {

class Session;
namespace detail {
class Statement;  // the client library's prepared statement (detail/Statement.h)
}

class Statement {
 public:
  Statement(fb::Session& session, std::unique_ptr<detail::Statement> statement);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // The bytes the server got.
  const std::string& Text() const;
  const fb::Session& Session() const { return *session_; }
  // A select (or a selectable block): it is opened, not executed.
  bool ReturnsRows() const;
  // The rows the last execution touched, as the server counts them (asks the server).
  std::int64_t AffectedRecords() const;
  // The field types of the statement's parameters, in order.
  std::vector<TFieldType> InputTypes() const;
  // The statement's outputs (a select's columns, a procedure's results).
  std::vector<fb::Column> OutputColumns() const;

  detail::Statement& Internal() const { return *statement_; }

 private:
  fb::Session* session_;
  std::unique_ptr<detail::Statement> statement_;
};

}  // namespace morvanta::fb
