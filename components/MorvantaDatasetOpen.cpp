// Opening the dataset's select and loading its rows packet by packet into the record cache.

#include "Exceptions.h"
#include "MorvantaDatabase.h"
#include "MorvantaDataset.h"
#include "OracleText.h"
#include "ParamReferences.h"
#include "Runtime.h"
#include "StatementDiagnostics.h"
#include "UserInteraction.h"

namespace {

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
      throw Exception("Erro de ExecSQL em " + QualifiedName() + " Loja Sem Permissão para Consultar."_a);
    AnsiString text = StatementSource();
    SetSQLInterno(text);
    DoBeforeOpen();
    RunQuery(database_, text);
    if (FieldCount() == 0) {
      FieldDefs().Clear();
      // After a reported failure the query is closed and gives no columns, so the create below
      // fails and the caller sees an error instead of an open dataset without rows.
      if (queryHoldsSelect_)
        for (int i = 0; i < InternalQuery->FieldCount(); ++i) {
          TSQLField& column = InternalQuery->Fields(i);
          AddFieldDefinition(*this, column.DataType(), column.Size(), column.FieldName());
        }
    }
    if (!queryHoldsSelect_) FieldDefs().Clear();
    CreateDataSet();
    for (int i = 0; i < FieldCount(); ++i) Fields(i).SetRequired(false);
  }
  FetchPacket();
  Open();
  DoAfterOpen();
  if (ShowDataOnOpen) ShowDataBrowser();
}

void TMorvantaDataset::RunQuery(TMorvantaDatabase* connection, const AnsiString& statement) {
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
    InternalQuery->Open();
    queryHoldsSelect_ = true;
  } catch (const Exception& error) {
    ReportOpenError(error);
  }
}

void TMorvantaDataset::ReportOpenError(const Exception& error) {
  AnsiString ownerName, unitName;
  if (Owner()) {
    ownerName = Owner()->Name();
    unitName = GetUnitName(Owner());
  }
  if (ShowStatementError(*InternalQuery, error, ownerName, Name(), unitName)) Abort();
  if (ignorarErro_) throw Exception(error.Message());
  ShowMessage("Erro: " + error.Message() + " No Dataset: " + ownerName + "." + Name());
}

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

    // What each column copies into, and the defaults, are the same for every row of the packet.
    const int columns = InternalQuery->FieldCount();
    std::vector<TField*> targets(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
      targets[static_cast<std::size_t>(c)] = FindField(std::u16string_view(InternalQuery->Fields(c).FieldName()));
    const bool oracle = DriverName() == "Oracle";
    const bool hasStringDefault = !Trim(defaultValueString_).empty();
    std::int64_t integerDefault = 0;
    const bool hasIntegerDefault =
        !Trim(defaultValueInteger_).empty() && TryStrToInt(Trim(defaultValueInteger_), integerDefault);
    double floatDefault = 0;
    const bool hasFloatDefault =
        !Trim(defaultValueFloat_).empty() && TryStrToFloat(Trim(defaultValueFloat_), floatDefault, DecimalSeparator());
    const AnsiString owner = QualifiedName();

    int packetCount = 0;
    while (!InternalQuery->Eof()) {
      if (pacoteRegistros_ > 0 && packetCount >= pacoteRegistros_) break;
      ++packetCount;
      Append();
      for (int c = 0; c < columns; ++c) {
        TField* target = targets[static_cast<std::size_t>(c)];
        if (!target) continue;
        TSQLField& column = InternalQuery->Fields(c);
        try {
          if (column.IsNull()) {
            target->Clear();
          } else if (IsStringType(column.DataType()) && IsStringType(target->DataType())) {
            target->SetAsString(column.AsStringView());
          } else {
            target->SetValue(column.Value());
          }
          // A null has no line feeds to render; it stays null, so that the string default applies.
          if (column.DataType() == ftString && oracle && !column.IsNull())
            target->SetAsString(OracleFetchedText(column.AsStringView()));
          if (target->IsNull()) {
            TFieldType type = target->DataType();
            if (hasStringDefault && type == ftString) target->SetAsString(defaultValueString_);
            if (hasIntegerDefault && type == ftInteger) target->SetAsInteger(integerDefault);
            if (hasFloatDefault && (type == ftFloat || type == ftCurrency || type == ftFMTBcd))
              target->SetAsFloat(floatDefault);
          }
        } catch (const Exception& error) {
          if (ignorarErro_) throw Exception(error.Message());
          ShowMessage("Erro: " + error.Message() + " No Campo:" + ToAnsi(column.FieldName()) + " Em: " + owner);
        }
      }
      Post();
      try {
        InternalQuery->Next();
      } catch (const Exception& error) {
        throw Exception(error.Message() + " Em: " + owner);
      }
    }
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
      WriteStatementTrace(*InternalQuery, Name(), database_ ? database_->DatabaseName() : AnsiString(), "O",
                          OwnerName());
    } catch (...) {
      // Tracing never disturbs the statement it accompanies.
    }
  }
  LastSQL = ToWide(LastTracedStatement());
}
