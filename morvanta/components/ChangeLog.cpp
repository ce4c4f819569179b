#include "morvanta/components/ChangeLog.h"

#include "morvanta/components/FieldTypeName.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "morvanta/components/MorvantaTransaction.h"

namespace morvanta {

namespace {

constexpr std::size_t kMaxLoggedValueLength = 500;

constexpr AsciiLiteral kHeaderLines[] = {
    "INSERT INTO CONTROLLOG",
    "(CTL_ID,DBA_CODIGO,CTL_TABLE,CTL_USUARIO,CTL_DATAHORA,CTL_TPOPER, CTL_FORM, CTL_QUERY)",
    "VALUES",
    "(:CTL_ID,:DBA_CODIGO,:CTL_TABLE,:CTL_USUARIO,:CTL_DATAHORA,:CTL_TPOPER, :CTL_FORM, :CTL_QUERY)",
};
constexpr AsciiLiteral kDetailLines[] = {
    "INSERT INTO CONTROLLOGDET (CLD_ID,CTL_ID,CLD_FIELDNAME,CLD_FIELDTYPE,CLD_FIELDVALUE)",
    "VALUES (:CLD_ID,:CTL_ID,:CLD_FIELDNAME,:CLD_FIELDTYPE,:CLD_FIELDVALUE)",
};

struct LoggedValue {
  WideString name;
  TFieldType type;
  AnsiString text;
};

template <std::size_t N>
TMorvantaDataset* CreateLogDataset(TMorvantaDataset& owner, TMorvantaTransaction& log, const AsciiLiteral (&lines)[N]) {
  auto* dataset = new TMorvantaDataset(&owner);  // owned and freed by the logged dataset
  dataset->SetDatabase(log.Database());
  dataset->SetTransaction(owner.Transaction());
  dataset->SetIsControleLog(true);
  dataset->SQL().Clear();
  for (AsciiLiteral line : lines) dataset->SQL().Add(line);
  return dataset;
}

void RunIdProcedure(TMorvantaStoredProc& proc) {
  proc.Close();
  proc.PrepareProc();
  proc.ExecProc();
}

// The writer both change-log operations share; `values` gives the detail rows.
template <class ValueSource>
void WriteChange(TMorvantaDataset& dataset, bool rowChange, const AnsiString& operation, const AnsiString& table,
                 const AnsiString& formName, const AnsiString& queryName, ValueSource values) {
  if (dataset.InternalInsert() || dataset.IsControleLog()) return;
  if (rowChange && !dataset.RowChanged) return;
  if (dataset.IgnoreLog()) return;
  try {
    TMorvantaTransaction* transaction = dataset.Transaction();
    TMorvantaTransaction* log = transaction ? transaction->TransactionLOG() : nullptr;
    if (!log || log->Tag() <= 0) return;
    if (!log->Database() || !log->Database()->Connected()) return;

    if (!dataset.LogIdProc) {
      dataset.LogIdProc = new TMorvantaStoredProc(&dataset);
      dataset.LogIdProc->SetSQLConnection(log->Database());
      dataset.LogIdProc->SetStoredProcName(u"ID_LOG");
    }
    RunIdProcedure(*dataset.LogIdProc);
    if (!dataset.LogHeader) dataset.LogHeader = CreateLogDataset(dataset, *log, kHeaderLines);
    if (!dataset.LogDetail) dataset.LogDetail = CreateLogDataset(dataset, *log, kDetailLines);
    RunIdProcedure(*dataset.LogIdProc);

    TMorvantaDataset& header = *dataset.LogHeader;
    header.Close();
    header.ParamByName("CTL_ID").SetAsInteger(dataset.LogIdProc->Params().ParamByName("NID").AsInteger());
    header.ParamByName("DBA_CODIGO").SetAsInteger(log->Tag());
    header.ParamByName("CTL_TABLE").SetAsString(table);
    header.ParamByName("CTL_USUARIO").SetAsString(dataset.Database() ? dataset.Database()->cLogin() : AnsiString());
    header.ParamByName("CTL_DATAHORA").SetAsDateTime(Now());
    header.ParamByName("CTL_TPOPER").SetAsString(operation.substr(0, 1));
    header.ParamByName("CTL_FORM").SetAsString(formName);
    header.ParamByName("CTL_QUERY").SetAsString(queryName);
    header.ExecSQL();

    TMorvantaDataset& detail = *dataset.LogDetail;
    std::vector<LoggedValue> logged = values();
    for (std::size_t i = 0; i < logged.size(); ++i) {
      detail.Close();
      detail.ParamByName("CLD_ID").SetAsInteger(static_cast<std::int64_t>(i));
      detail.ParamByName("CTL_ID").SetAsInteger(header.ParamByName("CTL_ID").AsInteger());
      detail.ParamByName("CLD_FIELDNAME").SetAsString(AnsiUpperCase(ToAnsi(logged[i].name)));
      detail.ParamByName("CLD_FIELDTYPE").SetAsString(FieldTypeName(logged[i].type));
      detail.ParamByName("CLD_FIELDVALUE").SetAsString(logged[i].text.substr(0, kMaxLoggedValueLength));
      detail.ExecSQL();
    }
    log->StartAndCommit();
  } catch (...) {
    // The change log never disturbs the change it records.
  }
}

}  // namespace

void LogStatementChange(TMorvantaDataset& dataset, const AnsiString& operation, const AnsiString& table,
                        const AnsiString& formName, const AnsiString& queryName) {
  WriteChange(dataset, false, operation, table, formName, queryName, [&dataset] {
    std::vector<LoggedValue> values;
    TParams& params = dataset.Params();
    for (int i = 0; i < params.Count(); ++i)
      values.push_back({params[i].Name(), params[i].DataType(), params[i].AsString()});
    return values;
  });
}

void LogRowChange(TMorvantaDataset& dataset, const AnsiString& operation, const AnsiString& table,
                  const AnsiString& formName, const AnsiString& queryName) {
  WriteChange(dataset, true, operation, table, formName, queryName, [&dataset] {
    std::vector<LoggedValue> values;
    for (int i = 0; i < dataset.FieldCount(); ++i) {
      TField& field = dataset.Fields(i);
      values.push_back({field.FieldName(), field.DataType(), field.AsString()});
    }
    return values;
  });
}

}  // namespace morvanta
