#pragma once
// Diagnostic mode: the switch, the last traced statement, the report of a failing statement and
// the statement trace file.

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/diagnostics/SqlErrorReportView.h"
#include "morvanta/platform/framework/SQLQuery.h"

namespace morvanta {

// True when the first command-line argument, upper-cased, is "-Q"; tested afresh at every use.
bool IsDiagnosticMode();

// The statement most recently rendered by the trace, with its parameter values written in; empty
// at program start. The trace writer is the one that sets it.
const AnsiString& LastSQLText();
void SetLastSQLText(AnsiString text);

// In diagnostic mode shows the report of a failed statement (form, unit, component, error, the
// last traced statement and the query's parameters) through the installed report view, and
// returns true once it was closed. Outside diagnostic mode, or when the report cannot be shown,
// returns false.
bool ShowSQLError(TSQLQuery& query, const Exception& error, const AnsiString& formName, const AnsiString& componentName,
                  const AnsiString& unitName);

// Renders the query's statement with its parameter values, keeps it in LastSQLText and, unless it
// touches the change-log tables, appends an entry to the trace file.
void WriteSQLTrace(TSQLQuery& query, const AnsiString& datasetName, const AnsiString& databaseName,
                   const AnsiString& kind, const AnsiString& formName);

// Cuts a text file to its last maxLines - 1 lines when it holds maxLines or more, and rewrites it
// with carriage return and line feed line ends. Never raises.
void TrimTextFile(const AnsiString& fileName, int maxLines);

// The trace file: qry.sql in the platform's temporary directory unless set otherwise.
const AnsiString& SQLTraceFileName();
void SetSQLTraceFileName(AnsiString fileName);
inline constexpr int kSQLTraceMaxLines = 100000;

}  // namespace morvanta
