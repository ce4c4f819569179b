// The stored-procedure side of FirebirdSession: the catalogue lookup of a procedure's inputs and
// the call that fills its outputs.

#include "morvanta/platform/firebird/detail/Connection.h"
#include "morvanta/platform/firebird/detail/Cursor.h"
#include "morvanta/platform/firebird/detail/Blob.h"
#include "morvanta/platform/firebird/Session.h"
#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/firebird/detail/Statement.h"

std::vector<WideString> FirebirdSession::ProcedureInputNames(const AnsiString& storedName) {
  fb::Connection& connection = *connection_;
  Firebird::ITransaction* transaction = connection.MetadataTransaction();
  // Metadata is UTF-8 whatever the connection's character set.
  fb::Statement lookup(connection, transaction,
                       ToSystem("SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = " +
                                SqlStringLiteral(storedName) +
                                " AND RDB$PACKAGE_NAME IS NULL AND RDB$PARAMETER_TYPE = 0 "
                                "ORDER BY RDB$PARAMETER_NUMBER"));
  fb::Status status;
  fb::ResultSetHandle rows = lookup.Open(transaction);
  fb::RowValues row(fb::DescribeColumns(lookup.OutputMetadata(), true),
                    lookup.OutputMetadata()->getMessageLength(&status), true, nullptr);
  std::vector<WideString> names;
  while (rows->fetchNext(&status, row.Buffer()) == Firebird::IStatus::RESULT_OK) {
    row.NewRow();
    names.push_back(ToWide(Trim(row.Text(0))));
  }
  rows.Close();
  return names;
}

void FirebirdSession::ExecuteProcedure(FirebirdStatement& statement, const std::vector<const TParam*>& inputs,
                                       const std::vector<TParam*>& outputs) {
  fb::Connection& connection = *connection_;
  fb::Statement& call = statement.Internal();
  Firebird::IMessageMetadata* outputMetadata = call.OutputMetadata();
  fb::Status status;
  const unsigned outputLength = outputMetadata->getMessageLength(&status);
  connection.RunWriting([&](Firebird::ITransaction* transaction) {
    fb::RowValues results(fb::DescribeColumns(outputMetadata, connection.Settings().Utf8Text()), outputLength,
                          connection.Settings().trimChar, [&](ISC_QUAD id, std::string& out) {
                            fb::ReadBlob(connection.Attachment(), transaction, id, out);
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
