#include "Runtime.h"
#include "UserInteraction.h"
#include "ufrmRecError.h"

AnsiString LastSQLText;

bool IsDiagnosticMode() { return AnsiUpperCase(ParamStr(1)) == "-Q"; }

bool ShowSQLError(TSQLQuery& query, const Exception& error, const AnsiString& formName, const AnsiString& componentName,
                  const AnsiString& unitName) {
  bool shown = false;
  if (!IsDiagnosticMode()) return shown;
  try {
    TModalReport report;
    report.Caption = "Reconciliação de SQL"_a;
    report.Fields = {{"Formulário:"_a, formName},
                     {"Unit:", unitName},
                     {"Componente:", componentName},
                     {"Erro:", error.Message()},
                     {"SQL", LastSQLText}};
    report.TableHeader = {"Parametro", "Valor"};
    TParams& params = query.Params();
    for (int i = 0; i < params.Count(); ++i)
      report.TableRows.push_back({ToAnsi(params[i].Name()), params[i].AsString()});
    UserInteraction().ShowReport(report);
    shown = true;
  } catch (...) {
    // A report that cannot be shown leaves the error to the caller's usual handling.
  }
  return shown;
}
