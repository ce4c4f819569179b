#pragma once
// What a graphical program installs at start: message boxes as desktop windows, the error report
// as a window, and the query list viewer, the data browser and the generator picker behind the
// dataset's operations.

void InstallGraphicalDiagnostics();
