// Running the dataset's own statement (ExecSQL) and deleting its current row (DeleteRow).

#include "morvanta/components/ChangeLog.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"
#include "morvanta/components/statement/ParamReferences.h"
#include "morvanta/components/statement/Rounding.h"
#include "morvanta/components/hooks/StatementDiagnostics.h"

namespace morvanta {

namespace {

enum class StatementKind { Insert, Update, Delete, Other };

StatementKind ClassifyStatement(const AnsiString& text) {
  auto has = [&text](const char* keyword) {
    AnsiString k(keyword);
    return text.find(k + " ") != AnsiString::npos || text.find(k + "\r\n") != AnsiString::npos;
  };
  if (has("INSERT")) return StatementKind::Insert;
  if (has("UPDATE")) return StatementKind::Update;
  if (has("DELETE")) return StatementKind::Delete;
  return StatementKind::Other;
}

const char* OperationCode(StatementKind kind) {
  switch (kind) {
    case StatementKind::Insert:
      return "I";
    case StatementKind::Update:
      return "A";
    case StatementKind::Delete:
      return "E";
    default:
      return "";
  }
}

// The store's permission for the kind of statement; raises the refusal, which begins with `refusal`.
void CheckWritePermission(TMorvantaDatabase& database, StatementKind kind, const AnsiString& refusal) {
  if (kind == StatementKind::Insert && (!database.PermiteMovimentar() || !database.PermiteInserir()))
    throw Exception(refusal + " Loja Sem Permissão para Inserir/Movimentar."_a);
  if (kind == StatementKind::Update && (!database.PermiteMovimentar() || !database.PermiteAlterar()))
    throw Exception(refusal + " Loja Sem Permissão para Alterar/Movimentar."_a);
  if (kind == StatementKind::Delete && !database.PermiteExcluir())
    throw Exception(refusal + " Loja Sem Permissão para Excluir."_a);
}

}  // namespace

void TMorvantaDataset::LoadInternalQuery(const AnsiString& statement) {
  InternalQuery->Close();
  queryHoldsSelect_ = false;
  InternalQuery->SetSQLConnection(database_);
  InternalQuery->SetBatching(WriteBatching::Off);
  InternalQuery->SQL().Clear();
  InternalQuery->SQL().Add(ToWide(statement));
}

void TMorvantaDataset::ExecSQL() {
  RunWritesHeldByOthers();
  try {
    if (!transaction_) throw Exception("Sem Transaction");
    if (!transaction_->InTransaction()) transaction_->Start();
    PrepareStatement(StatementSource());

    const StatementKind kind = ClassifyStatement(sqlInterno_);
    if (!database_) throw Exception("Sem Database");
    CheckWritePermission(*database_, kind, ExecErrorPrefix());

    LoadInternalQuery(sqlInterno_);
    TParams& queryParams = InternalQuery->Params();
    BindExecValues(queryParams);
    InlineParamValues(*InternalQuery);
    RebindBlobValues(queryParams);
    ShareValuesOfRepeatedNames(queryParams);
    TraceStatement();
    const bool logged = !ignoreLog_ && kind != StatementKind::Other;
    InternalQuery->SetBatching(logged || DiagnosticModeActive() ? WriteBatching::Off : batching_);
    if (InternalQuery->Batching() != WriteBatching::Off) InternalQuery->SetHeldBackRaiser(HeldBackRaiser());
    InternalQuery->ExecSQL(queryParams.Count() == 0);

    if (logged) {
      const AnsiString code(OperationCode(kind));
      AnsiString table = ExtractTableName(code, ToAnsi(InternalQuery->SQL().Text()));
      LogStatementChange(*this, code, table, OwnerName(), Name());
    }
  } catch (const Exception& error) {
    RaiseExecError(error);
  }
}

void TMorvantaDataset::RaiseExecError(const Exception& error, bool ignorarErro, const AnsiString& qualifiedName) {
  if (ignorarErro) error.RaiseWithMessage(error.Message());
  error.RaiseWithMessage(ExecErrorPrefix(qualifiedName) + " " + error.Message());
}

void TMorvantaDataset::ApplyPendingWrites() {
  try {
    InternalQuery->ApplyWrites();
  } catch (const Exception& error) {
    RaiseExecError(error);
  }
}

// A held-back write that fails in someone else's call is raised as this dataset's ExecSQL raises
// it, with the names it has now: the raiser may outlive the dataset.
fb::HeldWriteRaiser TMorvantaDataset::HeldBackRaiser() const {
  return std::make_shared<const std::function<void(const EFirebirdError&)>>(
      [ignorarErro = ignorarErro_, name = QualifiedName()](const EFirebirdError& error) {
        RaiseExecError(error, ignorarErro, name);
      });
}

// Writes that other queries of the connection hold back run before this dataset's own statement,
// outside its error handling, so that their failure reaches the caller as theirs.
void TMorvantaDataset::RunWritesHeldByOthers() {
  if (database_) database_->ApplyHeldBackWrites(InternalQuery.get());
}

// Every dataset parameter onto the query's parameter of its name (the first entry of a repeated
// name only), typed for the database kind; dates as the kind's text, floats rounded.
void TMorvantaDataset::BindExecValues(TParams& queryParams) {
  for (int i = 0; i < params_->Count(); ++i) {
    const TParam& source = (*params_)[i];
    TParam& target = queryParams.ParamByName(std::u16string_view(source.Name()));
    if (RepeatsAnEarlierName(*params_, i)) continue;
    CopyParamType(target, source);
    switch (source.DataType()) {
      case ftDate:
      case ftDateTime:
      case ftTimeStamp:
        if (source.IsNull()) target.Clear();
        else target.SetAsString(DateTimeToDBText(source.AsDateTime()));
        break;
      case ftFloat:
      case ftCurrency:
      case ftFMTBcd:
        if (source.IsNull()) target.Clear();
        else target.SetAsFloat(static_cast<double>(RoundToPrecision(floatPrecision_, source.AsFloat())));
        break;
      default:
        target.SetValue(source.Value());
        break;
    }
  }
}

// Once the values are written into the text, only the blob markers remain as parameters; they
// take the dataset's blob values again, typed ftBlob.
void TMorvantaDataset::RebindBlobValues(TParams& queryParams) {
  for (int i = 0; i < params_->Count(); ++i) {
    const TParam& source = (*params_)[i];
    if (!IsBlobType(source.DataType()) || RepeatsAnEarlierName(*params_, i)) continue;
    if (TParam* target = queryParams.FindParam(std::u16string_view(source.Name()))) {
      target->SetDataType(ftBlob);
      target->SetValue(source.Value());
    }
  }
}

void TMorvantaDataset::DeleteRow() {
  if (internalInsert_) {
    Delete();
    RefreshDetails();
    return;
  }
  DoBeforeDelete();
  Deleting = true;
  struct DeletingGuard {
    bool& flag;
    ~DeletingGuard() { flag = false; }
  } guard{Deleting};

  AnsiString text = updateObject_ ? ToAnsi(updateObject_->DeleteSQL().Text()) : deleteSQL_->Text();
  if (!transaction_) throw Exception(ExecErrorPrefix() + " Sem Transaction");
  if (!transaction_->InTransaction()) transaction_->Start();
  SetSQLInterno(text);
  if (database_ && !database_->PermiteExcluir())
    throw Exception(ExecErrorPrefix() + " Loja Sem Permissão para Excluir."_a);
  SetSQLInterno(RemovePlanClause(sqlInterno_));
  LoadInternalQuery(sqlInterno_);
  RunWritesHeldBack(database_);
  TParams& queryParams = InternalQuery->Params();
  for (int i = 0; i < queryParams.Count(); ++i) {
    TParam& param = queryParams[i];
    TField& field = FieldByName(std::u16string_view(param.Name()));
    ParamTypeFromField(param, field);
    // Date-time values go as the text the database kind reads back as the same moment; a time
    // stamp's display text (day first, with slashes) would be read month first by the server
    // and match another row or none.
    if (field.DataType() == ftDate || field.DataType() == ftDateTime || field.DataType() == ftTimeStamp) {
      if (field.IsNull()) param.Clear();
      else param.SetAsString(DateTimeToDBText(field.AsDateTime()));
    } else {
      param.SetValue(TVariant(field.AsString()));
    }
  }
  try {
    TraceStatement();
    InternalQuery->ExecSQL(false);
    AnsiString table = ExtractTableName("E"_a, ToAnsi(InternalQuery->SQL().Text()));
    LogRowChange(*this, "E"_a, table, OwnerName(), Name());
  } catch (const Exception& error) {
    if (ShowStatementError(*InternalQuery, error, OwnerName(), Name(), AnsiString())) Abort();
    error.RaiseWithMessage(error.Message());
  }
  Delete();
  Deleting = false;
  RefreshDetails();
}

}  // namespace morvanta
