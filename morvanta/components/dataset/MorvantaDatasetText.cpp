// Statement text preparation of the dataset: the parameter list that follows the select text,
// case-folding, macros, plan clauses and the statement analyser.

#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/statement/SqlTextPreparation.h"

namespace morvanta {

void TMorvantaDataset::SQLChanged(TStrings& changed) {
  AnsiString text = changed.Text();
  text_ = text;
  sqlInterno_ = text;
  if (!Designing()) RebuildParamsFromText(*params_, ToWide(text));
  DataEvent(dePropertyChange, 0);
}

AnsiString TMorvantaDataset::CaseFolded(const AnsiString& text) const {
  return manterCase_ ? text : AnsiUpperCase(text);
}

void TMorvantaDataset::SetSQLInterno(const AnsiString& text) {
  sqlInterno_ = CaseFolded(text);
  ScanMacros();
}

void TMorvantaDataset::ScanMacros() { morvanta::ScanMacros(sqlInterno_, macroChar_, *macros_); }

void TMorvantaDataset::ExpandMacros() { SetSQLInterno(ExpandMacroReferences(sqlInterno_, macroChar_, *macros_)); }

AnsiString TMorvantaDataset::RemovePlanClause(const AnsiString& text) {
  AnsiString folded = CaseFolded(text);
  if (Designing() || Kind() == DatabaseKind::Interbase) return folded;
  return CutPlanClauses(std::move(folded));
}

AnsiString TMorvantaDataset::StatementSource() const {
  AnsiString text = sql_->Text();
  if (!Trim(text).empty()) return text;
  text = selectSQL_->Text();
  if (!Trim(text).empty()) return text;
  return AnsiString();
}

void TMorvantaDataset::PrepareStatement(const AnsiString& text) {
  SetSQLInterno(text);
  ExpandMacros();
  SetSQLInterno(RemovePlanClause(sqlInterno_));
}

AnsiString TMorvantaDataset::ExtractTableName(const AnsiString& operation, const AnsiString& statement) const {
  if (isControleLog_) return AnsiString();
  return morvanta::ExtractTableName(operation, statement);
}

DatabaseKind TMorvantaDataset::Kind() const { return database_ ? database_->Kind() : DatabaseKind::Other; }

}  // namespace morvanta
