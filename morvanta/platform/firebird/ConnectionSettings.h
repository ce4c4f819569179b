#pragma once
// The connection parameters the Firebird driver honours, read from the connection's name=value
// list, and the parameter blocks built from them.

#include <string>
#include <vector>

#include "morvanta/platform/core/Strings.h"

namespace morvanta::fb {

enum class Isolation { ReadCommitted, Snapshot };
enum class Access { ReadWrite, ReadOnly };
// What a statement does on a row another transaction holds: waits for it, or fails at once.
enum class LockResolution { Wait, NoWait };
// Autocommit: the engine commits each statement as it ends.
enum class CommitMode { Explicit, Autocommit };

// Whether the client asks the server to compress the wire protocol of a server connection (zlib,
// both ways). The server may decline, and the client needs zlib at run time; the embedded engine
// has no wire and ignores it.
enum class WireCompression { Off, Requested };

struct TransactionOptions {
  Isolation isolation = Isolation::ReadCommitted;
  Access access = Access::ReadWrite;
  LockResolution lockResolution = LockResolution::Wait;
  CommitMode commit = CommitMode::Explicit;
};

struct ConnectionSettings {
  std::string database;  // as the client library takes it: UTF-8
  std::string userName;  // UTF-8
  std::string password;  // UTF-8
  std::string roleName;  // UTF-8
  AnsiString charSet;    // the connection character set; empty: none (bytes pass unchanged)
  unsigned dialect = 3;
  Isolation isolation = Isolation::ReadCommitted;
  bool waitOnLocks = true;
  bool commitRetain = false;
  bool trimChar = false;
  int blobSizeKb = -1;  // above 0: blobs are read up to this many kilobytes; otherwise whole
  WireCompression wireCompression = WireCompression::Off;

  // "host:path", "host/port:path" and URLs go to a server; anything else is a file (or an alias)
  // opened by the embedded engine.
  bool OnServer() const;
  // Text of the connection character set is UTF-8 and is converted at the process edge.
  bool Utf8Text() const;
};

// Reads Database, User_Name, Password, RoleName, ServerCharSet, SQLDialect,
// "Interbase TransIsolation", WaitOnLocks, CommitRetain, "Trim Char" and BlobSize (names ignore
// case; missing ones keep their defaults). Text leaving the process is converted to UTF-8.
ConnectionSettings ReadSettings(const TWideStringList& params);

bool IsServerDatabase(std::string_view database);

// The connection block for attaching the database.
std::vector<unsigned char> BuildDpb(const ConnectionSettings& settings);

// The transaction block for `options`.
std::vector<unsigned char> BuildTpb(const TransactionOptions& options);

}  // namespace morvanta::fb
