#include "SelectedRowCount.h"

#include "Exceptions.h"
#include "SQLQuery.h"

std::optional<std::uint64_t> CountSelectedRows(TSQLConnection& connection, const AnsiString& select) {
  try {
    TSQLQuery query(nullptr);
    query.SetSQLConnection(&connection);
    query.SQL().Add(ToWide("select count(*) from (" + select + ")"));
    query.Open();
    const std::int64_t count = query.Eof() ? 0 : query.Fields(0).AsInteger();
    query.Close();
    if (count < 0) return std::nullopt;
    return static_cast<std::uint64_t>(count);
  } catch (const Exception&) {
    return std::nullopt;
  }
}
