#pragma once
// The store list of a run: a CSV file with a header naming the columns store (loja), database
// (banco) and user (usuario), comma or semicolon separated, in UTF-8 (with or without a byte-order
// mark) or, when the file is not valid UTF-8, in code page 1252. Other columns are ignored.

#include <stdexcept>
#include <string>
#include <vector>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

// One store of the list; texts in code page 1252, as the component layer takes them.
struct StoreEntry {
  AnsiString store;
  AnsiString database;  // a file for the embedded engine, or host:path / host/port:path
  AnsiString user;      // may be empty
  int line = 0;         // where the store is listed (1 is the header)
};

// A list that cannot be used: the message names the line (in the system's encoding, UTF-8).
class StoreListError : public std::runtime_error {
 public:
  StoreListError(int line, const std::string& message)
      : std::runtime_error("linha " + std::to_string(line) + ": " + message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Reads the list from the bytes of the file; raises StoreListError.
std::vector<StoreEntry> ParseStoreList(const std::string& bytes);
// Reads the file; raises StoreListError (line 0 when the file cannot be read).
std::vector<StoreEntry> ReadStoreList(const std::string& path);
