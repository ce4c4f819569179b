// update-object [-Q] DATABASE CODE CITY: moves the customer CODE to another city. The dataset reads
// the one customer through a parameter of its select, and its update object holds the statement
// that writes the edited row. The change is committed, or rolled back when it fails.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/diagnostics/DiagnosticMode.h"
#include "morvanta/diagnostics/DiagnosticsInstallation.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/StopSignals.h"
#include "morvanta/platform/framework/Runtime.h"

using namespace morvanta;

namespace {

int Run(const AnsiString& database, std::int64_t code, const AnsiString& city) {
  TMorvantaDatabase connection(nullptr);
  const char* password = std::getenv("ISC_PASSWORD");
  connection.ConfigureConnection("Interbase"_a, database, "SYSDBA"_a, password ? FromSystem(password) : AnsiString());
  connection.SetConnected(true);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(&connection);

  TComponent form(nullptr);
  form.SetName("frmCliente");
  // The update object's statement lists are the framework's, wide text.
  auto* update = new TMorvantaUpDateObject(&form);
  update->ModifySQL().SetText(u"update clientes set cli_cidade = :cli_cidade where cli_codigo = :cli_codigo");
  auto* customer = new TMorvantaDataset(&form);
  customer->SetName("qryCliente");
  customer->SetDatabase(&connection);
  customer->SetTransaction(&transaction);
  customer->SetIgnorarErro(true);
  customer->SetUpdateObject(update);
  customer->SQL().SetText("select cli_codigo, cli_nome, cli_cidade from clientes where cli_codigo = :cli_codigo");
  customer->ParamByName("cli_codigo").SetAsInteger(code);

  customer->OpenQuery();
  if (customer->IsEmpty()) throw Exception("no customer " + IntToStr(code));
  const AnsiString before = customer->FieldByName("CLI_CIDADE").AsString();
  transaction.Start();
  try {
    customer->Edit();
    customer->FieldByName("CLI_CIDADE").SetAsString(city);
    customer->Post();  // the update object's ModifySQL, the row's values written into it
    transaction.Commit();
  } catch (...) {
    transaction.RollbackIfActive();
    throw;
  }
  std::printf("%s: %s -> %s\n", ToSystem(customer->FieldByName("CLI_NOME").AsString()).c_str(),
              ToSystem(before).c_str(), ToSystem(city).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const StopSignals stop;
  SetCommandLine(argc, argv);
  const DiagnosticsInstallation diagnostics;
  const int first = IsDiagnosticMode() ? 2 : 1;
  std::int64_t code = 0;
  if (ParamCount() != first + 2 || !TryStrToInt(ParamStr(first + 1), code)) {
    std::fputs("usage: update-object [-Q] DATABASE CODE CITY\n", stderr);
    return 2;
  }
  try {
    return Run(ParamStr(first), code, ParamStr(first + 2));
  } catch (const EAbort&) {
    return 1;
  } catch (const EFirebirdError& error) {
    std::fprintf(stderr, "database error %lld (SQLSTATE %s): %s\n", static_cast<long long>(error.ErrorCode()),
                 error.SqlState().c_str(), ToSystem(error.Message()).c_str());
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s: %s\n", error.ClassName(), ToSystem(error.Message()).c_str());
  }
  return 1;
}
