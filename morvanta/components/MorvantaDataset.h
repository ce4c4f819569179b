#pragma once
// The system's dataset: an in-memory record cache that runs its own statements on a
// `TMorvantaDatabase` through a private query, loads select results packet by packet, prepares
// statement text (macros, upper-casing, plan clauses), binds values per database kind and checks
// the store's permissions before every read and write.
//
// Its public members are those the rest of the system uses (the merge run, the change log, the
// diagnostic windows, master and detail datasets); the framework notifications it overrides are
// protected, and the steps of its operations private.

#include <cstdint>
#include <memory>
#include <vector>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/components/DatabaseKind.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "morvanta/platform/core/Strings.h"
#include "morvanta/components/dataset/UnwrittenInserts.h"

namespace morvanta {

class TMorvantaDatabase;
class TMorvantaTransaction;
class TMorvantaStoredProc;
class TMorvantaUpDateObject;
class TActionList;

// What a failure to copy one field of a fetched row into the record cache does: show a message
// box and go on with the row's next field, or raise, ending the fetch (for a reader that must
// never go on with a row it could not read whole).
enum class FieldCopyFailure { ShowBox, Raise };

class TMorvantaDataset : public TClientDataSet {
 public:
  explicit TMorvantaDataset(TComponent* owner);
  ~TMorvantaDataset() override;

  static constexpr const char* kClassName = "TMorvantaDataset";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "MorvantaDataset"; }

  // The four operations the dataset adds, in this order.
  virtual void OpenQuery();
  virtual void NextRecord();
  virtual void ExecSQL();
  virtual void DeleteRow();

  // Published properties, in their stored order.
  int PacoteRegistros() const { return pacoteRegistros_; }
  void SetPacoteRegistros(int value) { pacoteRegistros_ = value; }
  TMorvantaDatabase* Database() const { return database_; }
  void SetDatabase(TMorvantaDatabase* database);  // none is ignored
  TMorvantaTransaction* Transaction() const { return transaction_; }
  void SetTransaction(TMorvantaTransaction* transaction);
  TStrings& SQL() { return *sql_; }
  void SetSQL(const TStrings& lines) { sql_->Assign(lines); }
  TStrings& SelectSQL() { return *selectSQL_; }
  void SetSelectSQL(const TStrings& lines) { selectSQL_->Assign(lines); }
  TStrings& DeleteSQL() { return *deleteSQL_; }
  void SetDeleteSQL(const TStrings& lines) { deleteSQL_->Assign(lines); }
  TStrings& ModifySQL() { return *modifySQL_; }
  void SetModifySQL(const TStrings& lines) { modifySQL_->Assign(lines); }
  TStrings& InsertSQL() { return *insertSQL_; }
  void SetInsertSQL(const TStrings& lines) { insertSQL_->Assign(lines); }
  bool ManterCase() const { return manterCase_; }
  void SetManterCase(bool value) { manterCase_ = value; }
  TParams& Params() { return *params_; }
  void SetParams(const TParams& values) { params_->AssignValues(values); }
  // Reading outside design state first registers every macro that SQLInterno references.
  TParams& Macros();
  void SetMacros(const TParams& values) { macros_->AssignValues(values); }
  char MacroChar() const { return macroChar_; }
  void SetMacroChar(char value) { macroChar_ = value; }
  const AnsiString& SQLInterno() const { return sqlInterno_; }
  void SetSQLInterno(const AnsiString& text);  // case-folds and scans for macros
  const AnsiString& GeneratorField() const { return generatorField_; }
  void SetGeneratorField(AnsiString value) { generatorField_ = std::move(value); }
  bool GeneratorField_Edit() const { return generatorFieldEdit_; }
  // In design state, true runs the installed generator picker and the switch goes back to false.
  void SetGeneratorField_Edit(bool value);
  bool CachedUpdates() const { return cachedUpdates_; }
  void SetCachedUpdates(bool value) { cachedUpdates_ = value; }
  TMorvantaUpDateObject* UpdateObject() const { return updateObject_; }
  void SetUpdateObject(TMorvantaUpDateObject* updateObject);
  const AnsiString& Text() const { return text_; }
  void SetText(AnsiString value) { text_ = std::move(value); }
  bool IgnorarErro() const { return ignorarErro_; }
  void SetIgnorarErro(bool value) { ignorarErro_ = value; }
  bool PermiteApostrofo() const { return permiteApostrofo_; }
  void SetPermiteApostrofo(bool value) { permiteApostrofo_ = value; }
  bool InternalInsert() const { return internalInsert_; }
  void SetInternalInsert(bool value) { internalInsert_ = value; }
  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* dataSource);
  bool IsControleLog() const { return isControleLog_; }
  void SetIsControleLog(bool value) { isControleLog_ = value; }
  const AnsiString& DefaultValue_Integer() const { return defaultValueInteger_; }
  void SetDefaultValue_Integer(AnsiString value) { defaultValueInteger_ = std::move(value); }
  const AnsiString& DefaultValue_Float() const { return defaultValueFloat_; }
  void SetDefaultValue_Float(AnsiString value) { defaultValueFloat_ = std::move(value); }
  const AnsiString& DefaultValue_String() const { return defaultValueString_; }
  void SetDefaultValue_String(AnsiString value) { defaultValueString_ = std::move(value); }
  bool IgnoreLog() const { return ignoreLog_; }
  void SetIgnoreLog(bool value) { ignoreLog_ = value; }

  // Off by default (THeldBackWrites, HeldBackWrites.h, sets it for a scope). With InTransaction,
  // the statements ExecSQL runs inside the dataset's transaction on a server connection may travel
  // in batches: ExecSQL can return before its statement ran, and the error of a failing one is
  // raised, with the message its own ExecSQL would give, by a later ExecSQL, by
  // ApplyPendingWrites, or by the next call of anyone on the connection, before that call runs
  // anything of its own. Not used while the change log records the dataset's statements or in
  // diagnostic mode, where every statement is traced and reported as it runs.
  WriteBatching Batching() const { return batching_; }
  void SetBatching(WriteBatching value) { batching_ = value; }
  // Runs the statements held back; raises like ExecSQL when one of them fails. (THeldBackWrites,
  // HeldBackWrites.h, holds a dataset's writes back for a scope.)
  void ApplyPendingWrites();
  // ShowBox by default; with IgnorarErro a failed field copy raises whatever this says.
  FieldCopyFailure OnFieldCopyFailure() const { return fieldCopyFailure_; }
  void SetOnFieldCopyFailure(FieldCopyFailure value) { fieldCopyFailure_ = value; }
  std::uint8_t FloatPrecision() const { return floatPrecision_; }
  void SetFloatPrecision(std::uint8_t value) { floatPrecision_ = value; }

  // Shared operations.
  std::uint16_t ParamCount() const { return static_cast<std::uint16_t>(params_->Count()); }
  TParam& ParamByName(std::string_view name) const { return params_->ParamByName(name); }
  void AddFieldDefinition(TMorvantaDataset& target, TFieldType dataType, int size, const WideString& name);
  static AnsiString GetUnitName(const TComponent* component);
  void RefreshDetails();

  // Statement text preparation.
  void SQLChanged(TStrings& changed);
  void ScanMacros();
  void ExpandMacros();
  // The text upper-cased, unless ManterCase is true: how SQLInterno holds what it is given.
  AnsiString CaseFolded(const AnsiString& text) const;
  AnsiString RemovePlanClause(const AnsiString& text);
  AnsiString StatementSource() const;
  void PrepareStatement(const AnsiString& text);
  AnsiString ExtractTableName(const AnsiString& operation, const AnsiString& statement) const;

  // Value binding for the connection's database kind.
  AnsiString DateTimeToDBText(TDateTime value) const;
  void CopyParamType(TParam& target, const TParam& source) const;
  void ParamTypeFromField(TParam& target, const TField& field) const;
  void InlineParamValues(TSQLQuery& query);

  // Reading.
  void RunQuery(TMorvantaDatabase* connection, const AnsiString& statement);
  void FetchPacket();

  // The windows: the query list viewer of the owner (the execute handler of the diagnostic-mode
  // shortcut) and the data browser on this dataset, shown modally; both show nothing unless a
  // graphical program installed them. The browser clears ShowDataOnOpen.
  void ShowQueryListForOwner();
  void ShowDataBrowser();

  // The statement trace: writes the internal query's statement in diagnostic mode and keeps the
  // last traced text in LastSQL.
  void TraceStatement();

  // Fields the rest of the system reads and writes.
  TMorvantaStoredProc* LogIdProc = nullptr;  // owned through the component model
  bool InsertPending = false;
  std::unique_ptr<TSQLQuery> InternalQuery;
  TMorvantaDataset* LogHeader = nullptr;  // owned through the component model
  TMorvantaDataset* LogDetail = nullptr;  // owned through the component model
  bool Deleting = false;
  bool ShowDataOnOpen = false;
  bool RowChanged = false;
  std::vector<TMorvantaDataset*> DetailList;  // not owned; destroyed details leave it
  WideString LastSQL;

 protected:
  // Framework notifications the dataset overrides.
  void DataEvent(TDataEvent event, std::intptr_t info) override;
  void DoOnCalcFields() override;
  void DoBeforeOpen() override;
  void DoAfterOpen() override;
  void DoBeforeInsert() override;
  void DoAfterInsert() override;
  void DoBeforeEdit() override;
  void DoAfterEdit() override;
  void DoBeforePost() override;
  void DoAfterPost() override;
  void DoBeforeDelete() override;
  void DoAfterDelete() override;
  void DoAfterClose() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // What a packet fetch copies each column into, and the defaults of null values.
  struct FetchPlan;
  bool MasterGuard() const;
  TMorvantaDataset* Master() const;
  AnsiString OwnerName() const;
  AnsiString QualifiedName() const { return OwnerName() + "." + Name(); }
  // "Erro de ExecSQL em " + owner name + "." + dataset name: the start of the dataset's refusals
  // and of the errors of its statements.
  static AnsiString ExecErrorPrefix(const AnsiString& qualifiedName) { return "Erro de ExecSQL em " + qualifiedName; }
  AnsiString ExecErrorPrefix() const { return ExecErrorPrefix(QualifiedName()); }
  // A failure of ExecSQL or of its held-back writes, raised as the caught error's own class:
  // its message alone with IgnorarErro, else behind the prefix and one blank. The static form
  // serves a held-back write that fails after its dataset is gone.
  [[noreturn]] static void RaiseExecError(const Exception& error, bool ignorarErro, const AnsiString& qualifiedName);
  [[noreturn]] void RaiseExecError(const Exception& error) const {
    RaiseExecError(error, ignorarErro_, QualifiedName());
  }
  // The database kind of the connection; DatabaseKind::Other without one.
  DatabaseKind Kind() const;
  void LoadInternalQuery(const AnsiString& statement);
  fb::HeldWriteRaiser HeldBackRaiser() const;
  void RunWritesHeldByOthers();
  void RunWritesHeldBack(TMorvantaDatabase* connection);
  // Reports a failed select as IgnorarErro and diagnostic mode say, and ends the open.
  [[noreturn]] void ReportOpenError(const Exception& error);
  // Posting: the generator value of a new row, and the write of a posted row.
  void FetchGeneratorValue();
  void WritePostedRow();
  void RefreshParamsFromRow();
  void CheckPostPermissions(bool newRow) const;
  void BindFieldsIntoText();
  void BindQueryParamsFromFields();
  void RunPostStatement(const char* operation);

  // The steps of a packet fetch.
  FetchPlan PlanFetch() const;
  void AppendPacket(const FetchPlan& plan);
  void CopyColumn(TField& target, TSQLField& column, const FetchPlan& plan);

  // The steps of ExecSQL between loading the internal query and running it.
  void BindExecValues(TParams& queryParams);
  void RebindBlobValues(TParams& queryParams);

  // In diagnostic mode gives the owner an action list whose "Teste" action (Ctrl+Shift+E) shows
  // the owner's query list; the list goes with this dataset.
  void AddQueryListAction();
  void RemoveQueryListAction();

  std::unique_ptr<TStrings> sql_, selectSQL_, modifySQL_, deleteSQL_, insertSQL_;
  std::unique_ptr<TParams> params_, macros_;
  int pacoteRegistros_ = 1000;
  TMorvantaDatabase* database_ = nullptr;
  TMorvantaTransaction* transaction_ = nullptr;
  bool manterCase_ = false;
  char macroChar_ = '%';
  AnsiString sqlInterno_;
  AnsiString generatorField_;
  bool generatorFieldEdit_ = false;
  bool cachedUpdates_ = false;
  TMorvantaUpDateObject* updateObject_ = nullptr;
  AnsiString text_;
  bool ignorarErro_ = false;
  bool permiteApostrofo_ = false;
  bool internalInsert_ = false;
  TDataSource* dataSource_ = nullptr;
  bool isControleLog_ = false;
  AnsiString defaultValueInteger_, defaultValueFloat_, defaultValueString_;
  bool ignoreLog_ = false;
  WriteBatching batching_ = WriteBatching::Off;
  FieldCopyFailure fieldCopyFailure_ = FieldCopyFailure::ShowBox;
  std::uint8_t floatPrecision_ = 5;
  // The internal query holds the select being loaded; false once another statement replaced it.
  bool queryHoldsSelect_ = false;
  // New rows posted into the cache whose insert has not reached the database yet.
  UnwrittenInserts unwrittenInserts_;
  int rowBeingDeleted_ = -1;  // index of the row the framework is deleting

  TActionList* queryListActions_ = nullptr;  // owned by the owner; freed with this dataset
};

}  // namespace morvanta
