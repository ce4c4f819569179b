#pragma once
// The text operations a dataset applies to its statements before they run: macro registration
// and expansion, PLAN-clause removal, the rebuild of the parameter list from a select text, and
// the analyser that names the table an INSERT, UPDATE or DELETE writes. They are free functions
// over plain text; the dataset passes its own state (SQLInterno, MacroChar, Macros, ...) in.

#include <string_view>

#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

// Registers in `macros` every macro referenced in `sqlInterno`. A reference is `macroChar`
// followed by a name that ends at the first blank or carriage return (nothing else ends it, so
// "^A,^B" names "A,^B" and then "B"). Missing names are added (ftUnknown, ptInput); every
// referenced entry is set to the empty text and then every entry that existed before the scan gets
// its previous value back, trimmed. Entries are never removed.
void ScanMacros(const AnsiString& sqlInterno, char macroChar, TParams& macros);

// The text with every reference of each macro, in list order, replaced by the macro's value read
// as text; references match ignoring case. Later macros work on the result of earlier ones, so
// with macros A and AB (in that order) "^AB" becomes A's value followed by "B".
AnsiString ExpandMacroReferences(const AnsiString& sqlInterno, char macroChar, const TParams& macros);

// The 1-based position of the start of a PLAN clause, or 0. The markers "PLAN (", "PLAN(",
// "PLAN JOIN(" and "PLAN JOIN (" are tried in that order, case-sensitively; the first marker found
// anywhere in the text wins, even if a later marker occurs before it.
int FindPlanClause(std::string_view text);

// The text with its PLAN clauses cut out: each clause runs from its marker through the first
// closing parenthesis that follows another closing parenthesis with no opening one between them,
// or else through the last closing parenthesis after the marker. A marker with no closing
// parenthesis after it stays, and the removal ends there. No case-folding is done here.
AnsiString CutPlanClauses(AnsiString text);

// The name of the table a statement writes, read after the operation's keyword ("E" -> "FROM",
// "I" -> "INSERT INTO", "A" -> "UPDATE") in the upper-cased statement: the first word after it,
// where only blanks, line feeds and carriage returns end a word. The empty text when the code is
// none of the three or the keyword does not occur.
AnsiString ExtractTableName(const AnsiString& operation, std::string_view statement);

// Rebuilds `params` from the markers of `text`, one entry per marker in text order. An entry whose
// name (ignoring case) was already in `params` takes over that parameter's settings; where a name
// occurs more than once in the text only its first entry does.
void RebuildParamsFromText(TParams& params, std::u16string_view text);

}  // namespace morvanta
