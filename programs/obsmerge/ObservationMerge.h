#pragma once
// The observation merge run: appends the temporary observation of every order in status "W" to
// its main observation and empties it, all in one transaction.

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

// The two statements of the run, exactly as it sends them.
AnsiString ObservationUpdateStatement();
AnsiString ObservationSelectStatement();

// Runs the migration for the process's command line (database path, user name). Returns the exit
// code of a run that ended normally; errors leave it as exceptions for the top-level report.
int RunObservationMerge();
