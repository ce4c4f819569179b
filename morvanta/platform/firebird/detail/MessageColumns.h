#pragma once
// The columns of a message as the client library describes them.

#include <vector>

#include <firebird/Interface.h>

#include "morvanta/platform/firebird/Columns.h"

namespace morvanta::fb::detail {

// Describes every field of the metadata. Under a connection without character set the bytes of
// user data pass unchanged; only metadata text (UNICODE_FSS: names, CURRENT_USER...) is UTF-8.
std::vector<Column> DescribeColumns(Firebird::IMessageMetadata* metadata, bool utf8Connection);

}  // namespace morvanta::fb::detail
