#pragma once
// Where a database named the way the Firebird client takes it lives: in a file this process opens
// itself or on a server of this machine, or on a server of another machine (whose link may be
// slow: the case where compressing the wire pays).

#include <string>

namespace morvanta {

enum class DatabasePlace { ThisMachine, OtherMachine };

// "host:path", "host/port:path", "inet://host[:port]/path" name a server; a bare path, a drive
// path ("C:\dados\loja.fdb") or an alias names a file of this machine. A server is on this
// machine when its host is "localhost", an address of 127.0.0.0/8 or "::1" (as "[::1]").
DatabasePlace PlaceOf(const std::string& database);

}  // namespace morvanta
