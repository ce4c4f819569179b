#include "programs/obsmerge/SelectedRowCount.h"

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLQuery.h"

using namespace morvanta;

std::uint64_t CountSelectedRowsOrRaise(TSQLConnection& connection, const AnsiString& select) {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(ToWide("select count(*) from (" + select + ")"));
  query.Open();
  const std::int64_t count = query.Eof() ? 0 : query.Fields(0).AsInteger();
  query.Close();
  if (count < 0) throw Exception("count(*) negativo: " + IntToStr(count));
  return static_cast<std::uint64_t>(count);
}

std::optional<std::uint64_t> CountSelectedRows(TSQLConnection& connection, const AnsiString& select) {
  try {
    return CountSelectedRowsOrRaise(connection, select);
  } catch (const Exception&) {
    return std::nullopt;
  }
}
