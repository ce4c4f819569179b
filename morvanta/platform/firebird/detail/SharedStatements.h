#pragma once
// The prepared statements a session keeps for writing statements whose string literals became
// parameters (see StatementLiterals.h): statements that differ only in their values share one.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/StatementLiterals.h"

namespace morvanta::fb::detail {

class Connection;
class Statement;

class SharedStatements {
 public:
  SharedStatements();
  ~SharedStatements();
  SharedStatements(const SharedStatements&) = delete;
  SharedStatements& operator=(const SharedStatements&) = delete;

  // The statement for `literals.text`, prepared on first use, when every literal fits the place
  // the statement gives it, so that the server reads each value exactly as it reads the literal.
  // nullptr when the statement cannot take its literals as parameters (the server refused it, or
  // a value is longer than the text its place holds): the caller runs the original text then.
  Statement* Find(Connection& connection, Firebird::ITransaction* transaction, const LiteralParameters& literals);
  void Clear();

 private:
  struct Entry {
    std::unique_ptr<Statement> statement;  // null: this text cannot be shared
    std::vector<unsigned> textCapacity;    // per marker: the bytes a text place holds, 0 for others
  };
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace morvanta::fb::detail
