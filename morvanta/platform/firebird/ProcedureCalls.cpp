// The stored-procedure side of Session: the catalogue lookup of a procedure's inputs and
// the call that fills its outputs.

#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Cursor.h"
#include "morvanta/platform/firebird/detail/Blob.h"
#include "morvanta/platform/firebird/Session.h"
#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace morvanta::fb {

std::vector<WideString> Session::ProcedureInputNames(const AnsiString& storedName) {
  detail::Connection& connection = *connection_;
  Firebird::ITransaction* transaction = connection.MetadataTransaction();
  // Metadata is UTF-8 whatever the connection's character set.
  detail::Statement lookup(
      connection, transaction,
      ToSystem("SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = " +
               SqlStringLiteral(storedName) +
               " AND RDB$PACKAGE_NAME IS NULL AND RDB$PARAMETER_TYPE = 0 "
               "ORDER BY RDB$PARAMETER_NUMBER"));
  detail::Status status;
  detail::ResultSetHandle rows = lookup.Open(transaction);
  detail::RowValues row(detail::DescribeColumns(lookup.OutputMetadata(), true),
                        lookup.OutputMetadata()->getMessageLength(&status), true, nullptr);
  std::vector<WideString> names;
  while (rows->fetchNext(&status, row.Buffer()) == Firebird::IStatus::RESULT_OK) {
    row.NewRow();
    names.push_back(ToWide(Trim(row.Text(0))));
  }
  rows.Close();
  return names;
}

void Session::ExecuteProcedure(Statement& statement, const std::vector<const TParam*>& inputs,
                               const std::vector<TParam*>& outputs) {
  detail::Connection& connection = *connection_;
  detail::Statement& call = statement.Internal();
  Firebird::IMessageMetadata* outputMetadata = call.OutputMetadata();
  detail::Status status;
  const unsigned outputLength = outputMetadata->getMessageLength(&status);
  connection.RunWriting([&](Firebird::ITransaction* transaction) {
    detail::RowValues results(detail::DescribeColumns(outputMetadata, connection.Settings().Utf8Text()), outputLength,
                              connection.Settings().trimChar, [&](ISC_QUAD id, std::string& out) {
                                detail::ReadBlob(connection.Attachment(), transaction, id, out);
                              });
    connection.BuildInput(call.Input(), inputs, transaction);
    call.Execute(transaction, results.Count() > 0 ? results.Buffer() : nullptr);
    // Blob outputs are read while the transaction is still there.
    for (int i = 0; i < results.Count() && i < static_cast<int>(outputs.size()); ++i) {
      TParam& output = *outputs[static_cast<std::size_t>(i)];
      if (results.IsNull(i)) output.Clear();
      else output.SetValue(results.Value(i));
    }
  });
}

}  // namespace morvanta::fb
