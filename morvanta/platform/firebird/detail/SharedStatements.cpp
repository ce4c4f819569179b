#include "morvanta/platform/firebird/detail/SharedStatements.h"

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/detail/Client.h"
#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace morvanta::fb::detail {

namespace {
// Enough for the statements one program runs over and over; past it the cache starts afresh.
constexpr std::size_t kMaxSharedStatements = 64;
}  // namespace

SharedStatements::SharedStatements() = default;
SharedStatements::~SharedStatements() = default;

void SharedStatements::Clear() { entries_.clear(); }

Statement* SharedStatements::Find(Connection& connection, Firebird::ITransaction* transaction,
                                  const LiteralParameters& literals) {
  auto found = entries_.find(literals.text);
  if (found == entries_.end()) {
    if (entries_.size() >= kMaxSharedStatements) entries_.clear();
    Entry entry;
    try {
      entry.statement = std::make_unique<Statement>(connection, transaction, literals.text);
      Status status;
      MetadataRef input(entry.statement->Handle()->getInputMetadata(&status));
      unsigned count = input->getCount(&status);
      if (count != literals.markers.size() || entry.statement->ReturnsRows()) {
        entry.statement.reset();
      } else {
        for (unsigned i = 0; i < count; ++i) {
          unsigned type = input->getType(&status, i) & ~1u;
          bool text = type == SQL_TEXT || type == SQL_VARYING;
          entry.textCapacity.push_back(text ? input->getLength(&status, i) : 0);
        }
      }
    } catch (const EFirebirdError&) {
      entry.statement.reset();  // the server cannot take these literals as parameters
    }
    found = entries_.emplace(literals.text, std::move(entry)).first;
  }
  Entry& entry = found->second;
  if (!entry.statement) return nullptr;
  for (std::size_t i = 0; i < literals.markers.size(); ++i) {
    int literal = literals.markers[i];
    if (literal < 0 || entry.textCapacity[i] == 0) continue;
    if (literals.literals[static_cast<std::size_t>(literal)].size() > entry.textCapacity[i]) return nullptr;
  }
  return entry.statement.get();
}

}  // namespace morvanta::fb::detail
