#include "morvanta/components/MorvantaDataset.h"

#include <algorithm>

#include "morvanta/platform/framework/ActionList.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/components/MorvantaUpDateObject.h"

namespace morvanta {

TMorvantaDataset::TMorvantaDataset(TComponent* owner) : TClientDataSet(owner) {
  sql_ = std::make_unique<TStrings>();
  selectSQL_ = std::make_unique<TStrings>();
  modifySQL_ = std::make_unique<TStrings>();
  deleteSQL_ = std::make_unique<TStrings>();
  insertSQL_ = std::make_unique<TStrings>();
  params_ = std::make_unique<TParams>();
  macros_ = std::make_unique<TParams>();
  macroChar_ = '%';
  ignorarErro_ = false;
  permiteApostrofo_ = false;
  Deleting = false;
  sql_->OnChange = [this](TStrings& changed) { SQLChanged(changed); };
  selectSQL_->OnChange = [this](TStrings& changed) { SQLChanged(changed); };
  internalInsert_ = false;
  pacoteRegistros_ = 1000;
  DetailList.clear();
  InternalQuery = std::make_unique<TSQLQuery>(nullptr);
  RowChanged = false;
  floatPrecision_ = 5;
  AddQueryListAction();
}

TMorvantaDataset::~TMorvantaDataset() {
  RemoveQueryListAction();
  sql_.reset();
  selectSQL_.reset();
  modifySQL_.reset();
  deleteSQL_.reset();
  insertSQL_.reset();
  try {
    InternalQuery->Close();
  } catch (...) {
    // A cursor that cannot be closed any more is released with the query.
  }
  InternalQuery->SQL().Clear();
  InternalQuery.reset();
  params_.reset();
  macros_.reset();
  DetailList.clear();
  // The change-log objects are components this dataset owns: the component model frees them.
}

TParams& TMorvantaDataset::Macros() {
  if (!Designing()) ScanMacros();
  return *macros_;
}

void TMorvantaDataset::SetDatabase(TMorvantaDatabase* database) {
  if (!database) return;  // once set, the connection cannot be cleared
  if (database_ && database_ != database) RemoveFreeNotification(database_);
  database_ = database;
  FreeNotification(database_);
}

void TMorvantaDataset::SetTransaction(TMorvantaTransaction* transaction) {
  if (transaction_ && transaction_ != transaction) RemoveFreeNotification(transaction_);
  transaction_ = transaction;
  if (!transaction_) return;
  FreeNotification(transaction_);
  if (!database_ && transaction_->Database()) SetDatabase(transaction_->Database());
}

void TMorvantaDataset::SetUpdateObject(TMorvantaUpDateObject* updateObject) {
  if (updateObject_ && updateObject_ != updateObject) RemoveFreeNotification(updateObject_);
  updateObject_ = updateObject;
  if (updateObject_) FreeNotification(updateObject_);
}

void TMorvantaDataset::SetDataSource(TDataSource* dataSource) {
  if (dataSource_ && dataSource_ != dataSource) RemoveFreeNotification(dataSource_);
  dataSource_ = dataSource;
  if (!dataSource_) return;
  FreeNotification(dataSource_);
  if (Designing() || !dataSource_->DataSet()) return;
  auto* master = dynamic_cast<TMorvantaDataset*>(dataSource_->DataSet());
  if (!master || master == this) return;
  if (std::find(master->DetailList.begin(), master->DetailList.end(), this) == master->DetailList.end()) {
    master->DetailList.push_back(this);
    // The master forgets this detail when it is destroyed, and this one hears of the master's end.
    FreeNotification(master);
  }
}

void TMorvantaDataset::Notification(TComponent* component, TOperation operation) {
  TClientDataSet::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == database_) database_ = nullptr;
  if (component == transaction_) transaction_ = nullptr;
  if (component == updateObject_) updateObject_ = nullptr;
  if (component == dataSource_) dataSource_ = nullptr;
  if (component == queryListActions_) queryListActions_ = nullptr;
  DetailList.erase(std::remove(DetailList.begin(), DetailList.end(), component), DetailList.end());
}

TMorvantaDataset* TMorvantaDataset::Master() const {
  if (!dataSource_ || !dataSource_->DataSet()) return nullptr;
  return dynamic_cast<TMorvantaDataset*>(dataSource_->DataSet());
}

bool TMorvantaDataset::MasterGuard() const {
  TMorvantaDataset* master = Master();
  return master && master->InternalInsert();
}

AnsiString TMorvantaDataset::OwnerName() const { return Owner() ? Owner()->Name() : AnsiString(); }

void TMorvantaDataset::AddFieldDefinition(TMorvantaDataset& target, TFieldType dataType, int size,
                                          const WideString& name) {
  TFieldDef& def = target.FieldDefs().AddFieldDef();
  def.SetDataType(dataType);
  def.SetName(name);
  if (size > 0) def.SetSize(size);
  if (def.DataType() == ftBCD || def.DataType() == ftFMTBcd) def.SetDataType(ftFloat);
  def.SetRequired(false);
}

AnsiString TMorvantaDataset::GetUnitName(const TComponent* component) {
  if (!component) return AnsiString();
  const char* unit = component->UnitName();
  return unit ? AnsiString(unit) : AnsiString();
}

void TMorvantaDataset::RefreshDetails() {
  if (internalInsert_ || DetailList.empty()) return;
  const std::vector<TMorvantaDataset*> details = DetailList;
  for (TMorvantaDataset* detail : details) {
    // A detail destroyed meanwhile has left the list.
    if (std::find(DetailList.begin(), DetailList.end(), detail) == DetailList.end()) continue;
    try {
      if (!detail->DataSource() || !detail->DataSource()->DataSet() || Trim(detail->Name()).empty()) continue;
    } catch (...) {
      continue;
    }
    bool changed = false;
    TParams& params = detail->Params();
    for (int i = 0; i < params.Count(); ++i) {
      try {
        TParam& param = params[i];
        if (param.Value() != FieldByName(std::u16string_view(param.Name())).Value()) changed = true;
      } catch (...) {
        // A parameter without a field of the same name in the master is passed over.
      }
    }
    if (changed) {
      detail->Close();
      detail->OpenQuery();
    }
  }
}

void TMorvantaDataset::DataEvent(TDataEvent event, std::intptr_t info) {
  TClientDataSet::DataEvent(event, info);
  if (event == deDataSetChange) unwrittenInserts_.Clear();  // the rows were emptied or reloaded
  if (event == deDataSetScroll) RefreshDetails();
}

void TMorvantaDataset::DoOnCalcFields() {
  if (State() == dsCalcFields) TClientDataSet::DoOnCalcFields();
}

}  // namespace morvanta
