#pragma once
// How the report of a failed statement is shown: a console program writes it through the
// user-interaction service, a graphical program installs its own window.

#include <functional>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLQuery.h"

namespace morvanta {

// Shows the report modally and returns once it was closed; may raise when it cannot be shown.
// Given the failed query (for its parameters), the error, the last traced statement and the names
// of the form, the component and the unit.
using SqlErrorReportView =
    std::function<void(TSQLQuery& query, const Exception& error, const AnsiString& sqlText, const AnsiString& formName,
                       const AnsiString& componentName, const AnsiString& unitName)>;

// The console report: caption "Reconciliação de SQL", the labelled texts and the parameter table,
// shown through the user-interaction service.
void ShowConsoleSqlErrorReport(TSQLQuery& query, const Exception& error, const AnsiString& sqlText,
                               const AnsiString& formName, const AnsiString& componentName, const AnsiString& unitName);

// The view ShowSQLError uses: the installed one, the console report while none is installed.
const SqlErrorReportView& CurrentSqlErrorReportView();
// Installs a view (an empty one restores the console report) and returns the one installed before.
SqlErrorReportView InstallSqlErrorReportView(SqlErrorReportView view);

}  // namespace morvanta
