// TDataSet: states, navigation, the insert/edit/post cycle and the notifications around it. The
// rows themselves are kept by the storage hooks (TClientDataSet).

#include "morvanta/platform/framework/DataSet.h"

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

namespace {

constexpr AsciiLiteral kClosedDataSet = "Cannot perform this operation on a closed dataset";
constexpr AsciiLiteral kEmptyDataSet = "Cannot perform this operation on an empty dataset";
constexpr AsciiLiteral kNotEditing = "Dataset not in edit or insert mode";
constexpr AsciiLiteral kNotSupported = "Operation not supported";

void Raise(const TDataSet::DataSetEvent& event, TDataSet& dataSet) {
  if (event) event(dataSet);
}

bool IsEditState(TDataSetState state) { return state == dsEdit || state == dsInsert; }

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

// The derived parts are gone by now, so the dataset closes without notifications. Linked data
// sources are let go here, whatever order the component model then frees things in.
TDataSet::~TDataSet() {
  EnterState(dsInactive);
  fields_.clear();
  const std::vector<TDataSource*> sources = std::move(dataSources_);
  dataSources_.clear();
  for (TDataSource* source : sources) {
    source->dataSet_ = nullptr;
    source->linked_ = nullptr;
    RemoveFreeNotification(source);
  }
  // Controls on the sources let go of the dataset.
  for (TDataSource* source : sources) source->DataChanged(deLayoutChange, 0);
}

// ---- Fields ----

void TDataSet::CreateFields() {
  fields_.clear();
  fields_.reserve(static_cast<std::size_t>(fieldDefs_.Count()));
  for (int i = 0; i < fieldDefs_.Count(); ++i) {
    const TFieldDef& def = fieldDefs_.Items(i);
    auto field = std::make_unique<TField>(*this, i, def.Name(), def.DataType(), def.Size());
    field->SetRequired(def.Required());
    fields_.push_back(std::move(field));
  }
}

void TDataSet::DestroyFields() { fields_.clear(); }

TField* TDataSet::FindField(std::u16string_view name) const {
  // Callers mostly pass the name as the field carries it, so the exact match is tried first.
  for (const auto& f : fields_)
    if (std::u16string_view(f->FieldName()) == name) return f.get();
  for (const auto& f : fields_)
    if (SameText(std::u16string_view(f->FieldName()), name)) return f.get();
  return nullptr;
}

TField* TDataSet::FindField(std::string_view name) const { return FindField(ToWide(name)); }

TField& TDataSet::FieldByName(std::u16string_view name) const {
  if (TField* f = FindField(name)) return *f;
  throw EDatabaseError("Field '" + ToAnsi(name) + "' not found");
}

TField& TDataSet::FieldByName(std::string_view name) const { return FieldByName(ToWide(name)); }

void TDataSet::SetFieldData(int index, const FieldValue& value) {
  if (!IsEditState(state_)) throw EDatabaseError(kNotEditing);
  WriteField(index, value);
  modified_ = true;
  DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(fields_[static_cast<std::size_t>(index)].get()));
}

void TDataSet::CheckRequiredFields() {
  for (const auto& f : fields_)
    if (f->Required() && f->IsNull()) throw EDatabaseError("Field '" + ToAnsi(f->FieldName()) + "' must have a value");
}

// ---- Open and close ----

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError(kClosedDataSet);
}

void TDataSet::Open() {
  if (Active()) return;
  DoBeforeOpen();
  state_ = dsOpening;
  try {
    InternalOpen();
  } catch (...) {
    state_ = dsInactive;
    DestroyFields();
    throw;
  }
  EnterState(dsBrowse);
  const bool empty = GetRecordCount() == 0;
  current_ = empty ? -1 : 0;
  bof_ = true;
  eof_ = empty;
  if (!empty) RecordBecameCurrent();
  // Controls on the dataset learn that it is open, also when it has no rows.
  DataEvent(deUpdateState, 0);
  DoAfterOpen();
}

void TDataSet::Close() {
  if (!Active()) return;
  DoBeforeClose();
  // A pending insert or edit is dropped, as closing always has.
  EnterState(dsInactive);
  InternalClose();
  DestroyFields();
  ClearPosition();
  DataEvent(deUpdateState, 0);
  DoAfterClose();
}

// ---- State and position ----

void TDataSet::EnterState(TDataSetState state) {
  state_ = state;
  bufferState_ = state == dsInsert || state == dsEdit ? state : dsBrowse;
  modified_ = false;
}

void TDataSet::ClearPosition() {
  current_ = -1;
  bof_ = eof_ = true;
}

int TDataSet::RecordCount() const { return Active() ? GetRecordCount() : 0; }

int TDataSet::RecNo() const {
  if (!Active() || Inserting() || current_ < 0) return -1;
  return current_ + 1;
}

void TDataSet::RunCalcFields(TDataSetState calcState) {
  const TDataSetState saved = state_;
  state_ = calcState;
  try {
    CalculateFields();
  } catch (...) {
    state_ = saved;
    throw;
  }
  state_ = saved;
}

void TDataSet::RecordBecameCurrent() {
  RunCalcFields(dsCalcFields);
  DataEvent(deDataSetScroll, 0);
}

void TDataSet::MoveTo(int index, bool atBof, bool atEof) {
  current_ = index;
  bof_ = atBof;
  eof_ = atEof;
  RecordBecameCurrent();
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  if (GetRecordCount() == 0) ClearPosition();
  else MoveTo(0, true, false);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  const int count = GetRecordCount();
  if (count == 0) ClearPosition();
  else MoveTo(count - 1, false, true);
  DoAfterScroll();
}

void TDataSet::Next() {
  CheckBrowseMode();
  DoBeforeScroll();
  if (!eof_) {
    if (current_ >= 0 && current_ + 1 < GetRecordCount()) MoveTo(current_ + 1, false, false);
    else eof_ = true;
    if (current_ >= 0) bof_ = false;
  }
  DoAfterScroll();
}

void TDataSet::Prior() {
  CheckBrowseMode();
  DoBeforeScroll();
  if (!bof_) {
    if (current_ > 0) MoveTo(current_ - 1, false, false);
    else bof_ = true;
    if (current_ >= 0) eof_ = false;
  }
  DoAfterScroll();
}

void TDataSet::SetRecNo(int recNo) {
  CheckBrowseMode();
  const int count = GetRecordCount();
  if (count == 0) return;
  const int target = recNo < 1 ? 0 : (recNo > count ? count - 1 : recNo - 1);
  if (target == current_) return;
  DoBeforeScroll();
  MoveTo(target, false, false);
  DoAfterScroll();
}

// ---- Insert, edit, post, cancel, delete ----

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (IsEditState(state_)) {
    if (modified_) Post();
    else Cancel();
  }
}

void TDataSet::BeginInsert(bool append) {
  CheckBrowseMode();
  DoBeforeInsert();
  DoBeforeScroll();
  savedBof_ = bof_;
  savedEof_ = eof_;
  insertPosition_ = append || current_ < 0 ? GetRecordCount() : current_;
  InternalInitRecord();
  EnterState(dsInsert);
  bof_ = eof_ = false;
  try {
    DoOnNewRecord();
  } catch (...) {
    // The new record is abandoned without the cancel notifications.
    InternalCancel();
    EnterState(dsBrowse);
    bof_ = savedBof_;
    eof_ = savedEof_;
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetScroll, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::Append() { BeginInsert(true); }

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Edit() {
  CheckActive();
  if (IsEditState(state_)) return;
  if (GetRecordCount() == 0) return Insert();  // editing an empty set starts a new record
  DoBeforeEdit();
  InternalEdit();
  EnterState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::Post() {
  if (!IsEditState(state_)) return;
  DoBeforePost();
  if (!IsEditState(state_)) return;  // the handler ended the edit itself
  CheckRequiredFields();
  RunCalcFields(dsInternalCalc);
  const bool inserting = Inserting();
  InternalPost(inserting, insertPosition_);
  if (inserting) current_ = insertPosition_;
  EnterState(dsBrowse);
  bof_ = eof_ = false;
  RecordBecameCurrent();
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (!IsEditState(state_)) return;
  DoBeforeCancel();
  const bool inserting = Inserting();
  InternalCancel();
  EnterState(dsBrowse);
  if (inserting) {
    bof_ = savedBof_;
    eof_ = savedEof_;
    if (current_ >= 0) RecordBecameCurrent();  // back on the record that was current before
    else DataEvent(deDataSetChange, 0);
  } else {
    DataEvent(deRecordChange, 0);
  }
  DoAfterCancel();
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) return Cancel();
  if (GetRecordCount() == 0 || current_ < 0) throw EDatabaseError(kEmptyDataSet);
  DoBeforeDelete();
  DoBeforeScroll();
  InternalDelete();
  EnterState(dsBrowse);
  const int count = GetRecordCount();
  if (count == 0) {
    ClearPosition();
  } else {
    // The following record becomes current; after the last one, the new last (at the end).
    eof_ = current_ >= count;
    bof_ = false;
    if (current_ >= count) current_ = count - 1;
    RunCalcFields(dsCalcFields);
  }
  DataEvent(deDataSetScroll, 0);
  DoAfterDelete();
  DoAfterScroll();
}

// ---- Controls and data events ----

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0 || !eventsHeld_) return;
  eventsHeld_ = false;
  for (std::size_t i = 0; i < dataSources_.size(); ++i) {
    dataSources_[i]->DataChanged(deDataSetChange, 0);
  }
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  if (OnDataEvent) OnDataEvent(*this, event, info);
  if (disableCount_ > 0) {
    eventsHeld_ = true;
    return;
  }
  // By index: a handler may unlink its source while the list is walked.
  for (std::size_t i = 0; i < dataSources_.size(); ++i) {
    dataSources_[i]->DataChanged(event, info);
  }
}

void TDataSet::CalculateFields() { DoOnCalcFields(); }

// ---- Notifications ----

void TDataSet::DoBeforeOpen() { Raise(BeforeOpen, *this); }
void TDataSet::DoAfterOpen() { Raise(AfterOpen, *this); }
void TDataSet::DoBeforeClose() { Raise(BeforeClose, *this); }
void TDataSet::DoAfterClose() { Raise(AfterClose, *this); }
void TDataSet::DoBeforeInsert() { Raise(BeforeInsert, *this); }
void TDataSet::DoAfterInsert() { Raise(AfterInsert, *this); }
void TDataSet::DoBeforeEdit() { Raise(BeforeEdit, *this); }
void TDataSet::DoAfterEdit() { Raise(AfterEdit, *this); }
void TDataSet::DoBeforePost() { Raise(BeforePost, *this); }
void TDataSet::DoAfterPost() { Raise(AfterPost, *this); }
void TDataSet::DoBeforeCancel() { Raise(BeforeCancel, *this); }
void TDataSet::DoAfterCancel() { Raise(AfterCancel, *this); }
void TDataSet::DoBeforeDelete() { Raise(BeforeDelete, *this); }
void TDataSet::DoAfterDelete() { Raise(AfterDelete, *this); }
void TDataSet::DoBeforeScroll() { Raise(BeforeScroll, *this); }
void TDataSet::DoAfterScroll() { Raise(AfterScroll, *this); }
void TDataSet::DoOnNewRecord() { Raise(OnNewRecord, *this); }
void TDataSet::DoOnCalcFields() { Raise(OnCalcFields, *this); }

// ---- Storage hooks of a dataset without rows ----

void TDataSet::InternalOpen() { CreateFields(); }
void TDataSet::InternalClose() {}
int TDataSet::GetRecordCount() const { return 0; }
void TDataSet::InternalInitRecord() {}
void TDataSet::InternalEdit() {}
void TDataSet::InternalPost(bool, int) { throw EDatabaseError(kNotSupported); }
void TDataSet::InternalCancel() {}
void TDataSet::InternalDelete() { throw EDatabaseError(kNotSupported); }
FieldValue TDataSet::ReadField(int, bool) const { return FieldValue::Null(); }

FieldValue TDataSet::ReadStoredField(int, int) const { return FieldValue::Null(); }

AnsiString TDataSet::RecordText(int recNo, int fieldIndex) const {
  if (!Active() || fieldIndex < 0 || fieldIndex >= FieldCount()) return AnsiString();
  const int row = recNo - 1;
  if (row < 0 || row >= GetRecordCount()) return AnsiString();
  const TField& field = Fields(fieldIndex);
  if (row == current_ && RecordBuffered() && !Inserting()) return field.AsString();
  return field.TextOf(ReadStoredField(row, fieldIndex));
}
void TDataSet::WriteField(int, const FieldValue&) { throw EDatabaseError(kNotSupported); }

}  // namespace morvanta
