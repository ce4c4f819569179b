// Inserting, editing and posting rows: the framework hooks the dataset overrides, and the write of
// every posted row to the database with the dataset's insert or modify statement.

#include "morvanta/components/ChangeLog.h"
#include "morvanta/components/hooks/DesignEditors.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/components/statement/ParamReferences.h"
#include "morvanta/components/hooks/StatementDiagnostics.h"
#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

namespace {

// A time stamp goes as the database's date text too: its display text (day first, with slashes)
// would be read month first by the server and store another day.
bool IsDateType(TFieldType type) { return type == ftDate || type == ftDateTime || type == ftTimeStamp; }

}  // namespace

// ---- Hooks

void TMorvantaDataset::DoBeforeInsert() {
  if (!internalInsert_) TClientDataSet::DoBeforeInsert();
}

void TMorvantaDataset::DoAfterInsert() {
  TClientDataSet::DoAfterInsert();
  if (internalInsert_) return;
  InsertPending = true;
  FetchGeneratorValue();
  RefreshDetails();
}

void TMorvantaDataset::DoBeforeEdit() {
  if (!internalInsert_) TClientDataSet::DoBeforeEdit();
}

void TMorvantaDataset::DoAfterEdit() {
  InsertPending = false;
  if (!internalInsert_) TClientDataSet::DoAfterEdit();
}

void TMorvantaDataset::DoBeforePost() {
  if (internalInsert_) return;
  if (!RowChanged && FieldCount() > 0) RowChanged = true;
  TClientDataSet::DoBeforePost();
}

// A failed write ends here by an error or a silent abort, so AfterPost fires only after a write
// that reached the database.
// A dataset without a connection is a plain record set in memory: there is nothing to write to.
void TMorvantaDataset::DoAfterPost() {
  if (!internalInsert_ && database_) WritePostedRow();
  TClientDataSet::DoAfterPost();
}

void TMorvantaDataset::DoBeforeDelete() {
  rowBeingDeleted_ = RecNo() - 1;
  if (!Deleting) TClientDataSet::DoBeforeDelete();
}

void TMorvantaDataset::DoAfterDelete() {
  if (rowBeingDeleted_ >= 0) unwrittenInserts_.RowDeleted(rowBeingDeleted_);
  rowBeingDeleted_ = -1;
  TClientDataSet::DoAfterDelete();
}

void TMorvantaDataset::DoAfterClose() {
  unwrittenInserts_.Clear();
  TClientDataSet::DoAfterClose();
}

void TMorvantaDataset::SetGeneratorField_Edit(bool value) {
  generatorFieldEdit_ = value;
  if (!Designing() || !value) return;
  // A switch that only opens the picker: it never stays true in a designer.
  generatorFieldEdit_ = false;
  if (!database_) return;
  if (const GeneratorFieldEditor& editor = InstalledGeneratorFieldEditor()) editor(*this);
}

// ---- The write of a posted row

void TMorvantaDataset::WritePostedRow() {
  RefreshParamsFromRow();
  const int row = RecNo() - 1;
  // A new row, or a row posted earlier as new whose insert never reached the database: updating
  // that one would find no row in the database and lose it.
  const bool newRow = InsertPending || unwrittenInserts_.Contains(row);
  if (InsertPending) unwrittenInserts_.RowInserted(row);
  if (newRow) unwrittenInserts_.Add(row);
  AnsiString text;
  if (newRow) text = updateObject_ ? ToAnsi(updateObject_->InsertSQL().Text()) : insertSQL_->Text();
  else text = updateObject_ ? ToAnsi(updateObject_->ModifySQL().Text()) : modifySQL_->Text();
  InsertPending = false;

  CheckPostPermissions(newRow);
  if (!transaction_) throw Exception(ExecErrorPrefix() + " Sem Transaction");
  if (!transaction_->InTransaction()) transaction_->Start();
  SetSQLInterno(text);
  LoadInternalQuery(sqlInterno_);
  if (Trim(sql_->Text()).empty() || updateObject_) BindFieldsIntoText();
  else BindQueryParamsFromFields();
  RunPostStatement(newRow ? "I" : "A");
  if (newRow) unwrittenInserts_.Remove(row);
}

// Select parameters still without a real value (null or the text "0") take the posted row's
// value of the same name, so that reopening finds the row.
void TMorvantaDataset::RefreshParamsFromRow() {
  for (int i = 0; i < params_->Count(); ++i) {
    TParam& param = (*params_)[i];
    if (!param.IsNull() && param.AsString() != "0") continue;
    if (TField* field = FindField(std::u16string_view(param.Name()))) {
      param.SetDataType(field->DataType());
      param.SetValue(field->Value());
    }
  }
}

void TMorvantaDataset::CheckPostPermissions(bool newRow) const {
  const AnsiString refusal = ExecErrorPrefix();
  if (newRow) {
    if (!database_->PermiteMovimentar()) throw Exception(refusal + " Loja Sem Permissão para Movimentar."_a);
    if (!database_->PermiteInserir()) throw Exception(refusal + " Loja Sem Permissão para Inserir."_a);
    if (!database_->PermiteAlterar()) throw Exception(refusal + " Loja Sem Permissão para Inserir/Alterar."_a);
  } else {
    if (!database_->PermiteMovimentar()) throw Exception(refusal + " Loja Sem Permissão para Alterar/Movimentar."_a);
    if (!database_->PermiteAlterar()) throw Exception(refusal + " Loja Sem Permissão para Alterar."_a);
  }
}

// Statements of their own (no select, or an update object): every value is written into the
// statement text, except blobs, which stay bound.
void TMorvantaDataset::BindFieldsIntoText() {
  TParams& queryParams = InternalQuery->Params();
  for (int i = 0; i < FieldCount(); ++i) {
    TField& field = Fields(i);
    TParam* param = queryParams.FindParam(std::u16string_view(field.FieldName()));
    if (!param) continue;
    ParamTypeFromField(*param, field);
    const TFieldType type = field.DataType();
    if (IsDateType(type)) {
      if (field.IsNull()) param->Clear();
      else param->SetAsString(DateTimeToDBText(field.AsDateTime()));
    } else {
      param->SetValue(field.Value());
    }
  }
  InlineParamValues(*InternalQuery);
  for (int i = 0; i < FieldCount(); ++i) {
    TField& field = Fields(i);
    if (!IsBlobType(field.DataType())) continue;
    if (TParam* param = queryParams.FindParam(std::u16string_view(field.FieldName()))) {
      param->SetDataType(ftBlob);
      param->SetValue(field.Value());
    }
  }
  ShareValuesOfRepeatedNames(queryParams);
}

// A dataset with a select of its own binds every parameter of the statement from the field of the
// same name.
void TMorvantaDataset::BindQueryParamsFromFields() {
  TParams& queryParams = InternalQuery->Params();
  for (int i = 0; i < queryParams.Count(); ++i) {
    TParam& param = queryParams[i];
    TField& field = FieldByName(std::u16string_view(param.Name()));
    const TFieldType type = field.DataType();
    if (IsDateType(type)) {
      if (field.IsNull()) param.Clear();
      else param.SetAsString(DateTimeToDBText(field.AsDateTime()));
    } else if (type == ftFloat || type == ftCurrency || type == ftFMTBcd) {
      param.SetValue(field.Value());
    } else if (field.IsNull() && ValueKindOf(type) != ValueKind::Text) {
      // The empty text is no value for a number, Boolean or time stamp column: the database
      // would refuse the row.
      param.Clear();
    } else {
      param.SetAsString(field.AsString());
    }
  }
}

void TMorvantaDataset::RunPostStatement(const char* operation) {
  RunWritesHeldBack(database_);
  try {
    TraceStatement();
    InternalQuery->ExecSQL(InternalQuery->Params().Count() == 0);
    const AnsiString code(operation);
    AnsiString table = ExtractTableName(code, ToAnsi(InternalQuery->SQL().Text()));
    LogRowChange(*this, code, table, OwnerName(), Name());
    RowChanged = false;
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& error) {
    if (ShowStatementError(*InternalQuery, error, OwnerName(), Name(), AnsiString())) Abort();
    if (ignorarErro_) error.RaiseWithMessage(error.Message());
    ShowMessage("Erro ao Inserir: " + error.Message() + " Em: " + QualifiedName());
    Abort();
  }
}

}  // namespace morvanta
