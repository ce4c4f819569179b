#pragma once
// Reads one value of a query through the Firebird client library's object interface alone, so
// that what a test checks about the database does not pass through the driver code under test.

#include <optional>
#include <string>
#include <string_view>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace testdb {

struct DirectLogin {
  std::string database;   // UTF-8, as the client library takes it
  bool onServer = false;  // through the local server ("localhost:" + path), else the embedded engine
  std::string userName;   // UTF-8
  std::string password;   // UTF-8
  unsigned dialect = 3;
};

// The first column of the first row as text, in a transaction of its own; nullopt for null or no
// row. Integers (scaled ones as exact decimals without trailing zeros), booleans ("True",
// "False"), texts and blobs are read as the driver reads them with no connection character set:
// bytes unchanged, except UNICODE_FSS texts, converted to code page 1252. Other types come as the
// server's own text of the value. Errors of the client library are raised as std::runtime_error.
std::optional<AnsiString> ReadFirstValue(const DirectLogin& login, std::string_view sql);

}  // namespace testdb
