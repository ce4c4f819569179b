// Opening the dataset's select and loading its rows packet by packet into the record cache.

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/statement/OracleText.h"
#include "morvanta/components/statement/ParamReferences.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/components/hooks/StatementDiagnostics.h"
#include "morvanta/platform/framework/UserInteraction.h"

namespace morvanta {

namespace {

// The rows fetched at once when a dataset loads its whole result in one packet.
constexpr int kReadAheadOfAllRows = 1000;

bool IsStringType(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo || type == ftFmtMemo ||
         type == ftBlob || type == ftOraBlob || type == ftOraClob || type == ftGraphic || type == ftWideMemo;
}

}  // namespace

void TMorvantaDataset::OpenQuery() {
  if (MasterGuard()) return;
  internalInsert_ = false;
  if (Active()) {
    EmptyDataSet();
    ClearBuffers();
  }
  if (Active()) {
    AnsiString text = StatementSource();
    SetSQLInterno(text);
    DoBeforeOpen();
    RunQuery(database_, text);
  } else {
    if (database_ && !database_->PermiteConsultar())
      throw Exception(ExecErrorPrefix() + " Loja Sem Permissão para Consultar."_a);
    AnsiString text = StatementSource();
    SetSQLInterno(text);
    DoBeforeOpen();
    RunQuery(database_, text);
    if (FieldCount() == 0) {
      FieldDefs().Clear();
      for (int i = 0; i < InternalQuery->FieldCount(); ++i) {
        TSQLField& column = InternalQuery->Fields(i);
        AddFieldDefinition(*this, column.DataType(), column.Size(), column.FieldName());
      }
    }
    CreateDataSet();
    for (int i = 0; i < FieldCount(); ++i) Fields(i).SetRequired(false);
  }
  FetchPacket();
  Open();
  DoAfterOpen();
  if (ShowDataOnOpen) ShowDataBrowser();
}

void TMorvantaDataset::RunQuery(TMorvantaDatabase* connection, const AnsiString& statement) {
  RunWritesHeldBack(connection);
  try {
    if (!connection) throw Exception("Erro: " + QualifiedName() + " Sem Database");
    if (Trim(statement).empty()) throw Exception("Erro: " + QualifiedName() + " Sem SQL");
    PrepareStatement(statement);
    InternalQuery->Close();
    queryHoldsSelect_ = false;
    InternalQuery->SetPrepared(false);
    InternalQuery->SetSQLConnection(connection);
    InternalQuery->SQL().Clear();
    InternalQuery->SQL().Add(ToWide(sqlInterno_));
    TParams& queryParams = InternalQuery->Params();
    for (int i = 0; i < ParamCount(); ++i) {
      TParam& source = (*params_)[i];
      TParam& target = queryParams.ParamByName(std::u16string_view(source.Name()));
      if (RepeatsAnEarlierName(*params_, i)) continue;
      target.Clear();
      CopyParamType(target, source);
      switch (source.DataType()) {
        case ftDate:
        case ftDateTime:
          target.SetAsString(DateTimeToDBText(source.AsDateTime()));
          break;
        case ftString:
          target.SetAsString(source.AsString());
          break;
        case ftInteger:
          target.SetAsInteger(source.AsInteger());
          break;
        default:
          target.SetValue(source.Value());
          break;
      }
    }
    if (dataSource_ && dataSource_->DataSet()) {
      TDataSet* master = dataSource_->DataSet();
      for (int i = 0; i < ParamCount(); ++i) {
        const WideString& name = (*params_)[i].Name();
        if (TField* field = master->FindField(std::u16string_view(name))) {
          TVariant value = field->Value();
          queryParams.ParamByName(std::u16string_view(name)).SetValue(value);
          params_->ParamByName(std::u16string_view(name)).SetValue(value);
        }
      }
    }
    for (int i = 0; i < ParamCount(); ++i) {
      TParam& source = (*params_)[i];
      if (source.IsNull() && !RepeatsAnEarlierName(*params_, i))
        queryParams.ParamByName(std::u16string_view(source.Name())).SetAsString("0");
    }
    ShareValuesOfRepeatedNames(queryParams);
    TraceStatement();
    // The query fetches a packet's rows at once, so that their blobs arrive together.
    InternalQuery->SetReadAhead(pacoteRegistros_ > 0 ? pacoteRegistros_ : kReadAheadOfAllRows);
    InternalQuery->Open();
    queryHoldsSelect_ = true;
  } catch (const Exception& error) {
    ReportOpenError(error);
  }
}

// What others hold back runs before the select, outside its error report: a failure there is
// theirs, raised to the caller as they raise it.
void TMorvantaDataset::RunWritesHeldBack(TMorvantaDatabase* connection) {
  if (connection) connection->ApplyHeldBackWrites();
}

void TMorvantaDataset::ReportOpenError(const Exception& error) {
  AnsiString ownerName, unitName;
  if (Owner()) {
    ownerName = Owner()->Name();
    unitName = GetUnitName(Owner());
  }
  if (ShowStatementError(*InternalQuery, error, ownerName, Name(), unitName)) Abort();
  if (ignorarErro_) error.RaiseWithMessage(error.Message());
  ShowMessage("Erro: " + error.Message() + " No Dataset: " + ownerName + "." + Name());
  // The box said it all: the open ends here, silently, rather than going on to fail a second
  // time for want of columns.
  Abort();
}

// Column targets and defaults are the same for every row of a packet, so they are worked out once.
struct TMorvantaDataset::FetchPlan {
  std::vector<TField*> targets;  // one per query column; nullptr where the dataset has no such field
  bool oracle = false;           // fetched strings get their line feeds rendered
  bool hasStringDefault = false;
  bool hasIntegerDefault = false;
  bool hasFloatDefault = false;
  std::int64_t integerDefault = 0;
  double floatDefault = 0;
  AnsiString owner;  // owner name + "." + dataset name, for the messages
};

void TMorvantaDataset::FetchPacket() {
  if (Designing()) return;
  internalInsert_ = true;
  const bool suspended = !ControlsDisabled();
  if (suspended) DisableControls();
  try {
    const int returnPosition = RecNo();
    if (RecordCount() == 0 && queryHoldsSelect_) InternalQuery->First();
    if (!queryHoldsSelect_ || InternalQuery->Eof()) {
      internalInsert_ = false;
      if (suspended) EnableControls();
      return;
    }
    AppendPacket(PlanFetch());
    if (RecNo() != -1) SetRecNo(returnPosition > 0 ? returnPosition : 1);
    internalInsert_ = false;
    DataEvent(deDataSetScroll, 0);
    if (suspended) EnableControls();
  } catch (...) {
    // A failed fetch leaves no trace of itself: no half-built record, no suspended controls.
    internalInsert_ = false;
    if (State() == dsInsert || State() == dsEdit) Cancel();
    if (suspended && ControlsDisabled()) EnableControls();
    throw;
  }
}

TMorvantaDataset::FetchPlan TMorvantaDataset::PlanFetch() const {
  FetchPlan plan;
  const int columns = InternalQuery->FieldCount();
  plan.targets.resize(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c)
    plan.targets[static_cast<std::size_t>(c)] = FindField(std::u16string_view(InternalQuery->Fields(c).FieldName()));
  plan.oracle = Kind() == DatabaseKind::Oracle;
  plan.hasStringDefault = !Trim(defaultValueString_).empty();
  plan.hasIntegerDefault =
      !Trim(defaultValueInteger_).empty() && TryStrToInt(Trim(defaultValueInteger_), plan.integerDefault);
  plan.hasFloatDefault = !Trim(defaultValueFloat_).empty() &&
                         TryStrToFloat(Trim(defaultValueFloat_), plan.floatDefault, DecimalSeparator());
  plan.owner = QualifiedName();
  return plan;
}

// Appends up to PacoteRegistros rows (all of them when it is 0 or less) from the query's current
// row on, leaving the query on the first row not copied.
void TMorvantaDataset::AppendPacket(const FetchPlan& plan) {
  const std::size_t columns = plan.targets.size();
  int packetCount = 0;
  while (!InternalQuery->Eof()) {
    if (pacoteRegistros_ > 0 && packetCount >= pacoteRegistros_) break;
    ++packetCount;
    Append();
    for (std::size_t c = 0; c < columns; ++c)
      if (TField* target = plan.targets[c]) CopyColumn(*target, InternalQuery->Fields(static_cast<int>(c)), plan);
    Post();
    try {
      InternalQuery->Next();
    } catch (const Exception& error) {
      error.RaiseWithMessage(error.Message() + " Em: " + plan.owner);
    }
  }
}

// One column of the query's row into its field, then the default of a field left null. A failure
// is raised with IgnorarErro or FieldCopyFailure::Raise, otherwise shown, and the row goes on
// with its next column.
void TMorvantaDataset::CopyColumn(TField& target, TSQLField& column, const FetchPlan& plan) {
  try {
    if (column.IsNull()) {
      target.Clear();
    } else if (IsStringType(column.DataType()) && IsStringType(target.DataType())) {
      target.SetAsStringBytes(column.AsStringView());
    } else {
      target.SetValue(column.Value());
    }
    // A null has no line feeds to render; it stays null, so that the string default applies.
    if (column.DataType() == ftString && plan.oracle && !column.IsNull())
      target.SetAsString(OracleFetchedText(column.AsStringView()));
    if (target.IsNull()) {
      TFieldType type = target.DataType();
      if (plan.hasStringDefault && type == ftString) target.SetAsString(defaultValueString_);
      if (plan.hasIntegerDefault && type == ftInteger) target.SetAsInteger(plan.integerDefault);
      if (plan.hasFloatDefault && (type == ftFloat || type == ftCurrency || type == ftFMTBcd))
        target.SetAsFloat(plan.floatDefault);
    }
  } catch (const Exception& error) {
    if (ignorarErro_) error.RaiseWithMessage(error.Message());
    if (fieldCopyFailure_ == FieldCopyFailure::Raise) error.RaiseWithMessage(error.Message() + " Em: " + plan.owner);
    ShowMessage("Erro: " + error.Message() + " No Campo:" + ToAnsi(column.FieldName()) + " Em: " + plan.owner);
  }
}

void TMorvantaDataset::NextRecord() {
  if (RecNo() == RecordCount()) FetchPacket();
  Next();
}

void TMorvantaDataset::DoBeforeOpen() {
  if (!MasterGuard()) TClientDataSet::DoBeforeOpen();
}

void TMorvantaDataset::DoAfterOpen() {
  if (MasterGuard() || internalInsert_) return;
  TClientDataSet::DoAfterOpen();
  RefreshDetails();
}

void TMorvantaDataset::TraceStatement() {
  if (DiagnosticModeActive()) {
    try {
      WriteStatementTrace(*InternalQuery, Name(), database_ ? database_->DatabaseName() : AnsiString(), "O"_a,
                          OwnerName());
    } catch (...) {
      // Tracing never disturbs the statement it accompanies.
    }
  }
  LastSQL = ToWide(LastTracedStatement());
}

}  // namespace morvanta
