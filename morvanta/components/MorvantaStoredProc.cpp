#include "morvanta/components/MorvantaStoredProc.h"

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

namespace {
// Longest procedure name the call keeps.
constexpr std::size_t kMaxProcNameLength = 29;
}  // namespace

void TMorvantaStoredProc::PrepareProc() {
  TSQLConnection* connection = SQLConnection();
  if (!connection) return;
  SetSchemaName(ToAnsi(connection->Params().Values(u"User_Name")));
  WideString name = StoredProcName();
  if (Trim(std::u16string_view(name)).size() > kMaxProcNameLength)
    SetStoredProcName(name.substr(0, kMaxProcNameLength));
  try {
    SetPrepared(false);
    SetPrepared(true);
  } catch (const Exception& e) {
    AnsiString ownerName = Owner() ? Owner()->Name() : AnsiString();
    throw Exception("Erro em  " + ownerName + "." + Name() + " " + e.Message());
  }
}

}  // namespace morvanta
