// getting-started [-Q] DATABASE [USER]: lists the customers of a store database, adds one whose
// code comes from the generator GEN_CLIENTES, with the change recorded in the change log, and
// commits. DATABASE is a file (the embedded engine) or host:path; the password, when the server
// needs one, comes from ISC_PASSWORD. "-Q" first turns on diagnostic mode.

#include <cstdio>
#include <cstdlib>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/diagnostics/DiagnosticMode.h"
#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/StopSignals.h"
#include "morvanta/platform/framework/Runtime.h"

using namespace morvanta;

namespace {

void Print(const AnsiString& line) { std::printf("%s\n", ToSystem(line).c_str()); }

void Connect(TMorvantaDatabase& connection, const AnsiString& database, const AnsiString& user) {
  const char* password = std::getenv("ISC_PASSWORD");
  connection.ConfigureConnection("Interbase"_a, database, user, password ? FromSystem(password) : AnsiString());
  connection.SetcLogin(user);  // the user the change log records
  connection.SetConnected(true);
}

int Run(const AnsiString& database, const AnsiString& user) {
  // Declared first, destroyed last: everything below holds plain links to the connections.
  TMorvantaDatabase connection(nullptr);
  Connect(connection, database, user);
  // The change log writes and commits on a connection of its own, so that its commits never
  // commit the application's open transaction.
  TMorvantaDatabase logConnection(nullptr);
  Connect(logConnection, database, user);
  TMorvantaTransaction logTransaction(nullptr);
  logTransaction.SetDatabase(&logConnection);
  logTransaction.SetTag(1);  // a positive Tag turns the log on (stored as DBA_CODIGO)

  TMorvantaTransaction transaction(nullptr);  // rolls back what is still open when destroyed
  transaction.SetDatabase(&connection);
  transaction.SetTransactionLOG(&logTransaction);

  // The dataset belongs to a form (here a plain component), which frees it; the log records
  // both names.
  TComponent form(nullptr);
  form.SetName("frmClientes");
  auto* customers = new TMorvantaDataset(&form);
  customers->SetName("qryClientes");
  customers->SetDatabase(&connection);
  customers->SetTransaction(&transaction);
  customers->SetIgnorarErro(true);  // failed statements raise their own error, with its codes
  customers->SQL().SetText("select cli_codigo, cli_nome, cli_cidade from clientes order by cli_codigo");
  customers->InsertSQL().SetText(
      "insert into clientes (cli_codigo, cli_nome, cli_cidade) values (:cli_codigo, :cli_nome, :cli_cidade)");
  customers->SetGeneratorField("GEN_CLIENTES -> CLI_CODIGO"_a);

  customers->OpenQuery();
  for (customers->First(); !customers->Eof(); customers->NextRecord())
    Print(customers->FieldByName("CLI_CODIGO").AsString() + " " + customers->FieldByName("CLI_NOME").AsString() + " (" +
          customers->FieldByName("CLI_CIDADE").AsString() + ")");

  transaction.Start();
  try {
    customers->Append();  // CLI_CODIGO takes the generator's next value here
    customers->FieldByName("CLI_NOME").SetAsString("Padaria São Jorge"_a);
    customers->FieldByName("CLI_CIDADE").SetAsString("Olinda");
    customers->Post();  // runs the insert in the transaction, then writes the change log
    transaction.Commit();
  } catch (...) {
    transaction.RollbackIfActive();
    throw;
  }
  Print("added " + customers->FieldByName("CLI_CODIGO").AsString() + " " +
        customers->FieldByName("CLI_NOME").AsString());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const StopSignals stop;  // Ctrl+C or SIGTERM ends the program at once, nothing committed
  SetCommandLine(argc, argv);
  const DiagnosticsInstallation diagnostics;  // "-Q": statements traced, failed ones reported
  const int first = IsDiagnosticMode() ? 2 : 1;
  const AnsiString database = ParamStr(first);
  const AnsiString user = ParamStr(first + 1).empty() ? AnsiString("SYSDBA") : ParamStr(first + 1);
  if (database.empty()) {
    std::fputs("usage: getting-started [-Q] DATABASE [USER]\n", stderr);
    return 2;
  }
  try {
    return Run(database, user);
  } catch (const EAbort&) {
    return 1;  // already reported (diagnostic mode's report, or a message)
  } catch (const EFirebirdError& error) {
    std::fprintf(stderr, "database error %lld (SQLSTATE %s): %s\n", static_cast<long long>(error.ErrorCode()),
                 error.SqlState().c_str(), ToSystem(error.Message()).c_str());
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s: %s\n", error.ClassName(), ToSystem(error.Message()).c_str());
  }
  return 1;
}
