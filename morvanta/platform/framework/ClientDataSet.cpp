// TClientDataSet: the record set held in memory, in a compact row store.

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::CreateDataSet() {
  if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
  if (FieldDefs().Count() == 0) throw EDatabaseError("No fields defined.  Cannot create dataset");
  Open();
}

void TClientDataSet::EmptyDataSet() {
  CheckBrowseMode();
  if (store_) store_->Clear();
  ClearPosition();
  DataEvent(deDataSetChange, 0);
}

void TClientDataSet::ClearBuffers() {
  if (RecordBuffered()) return;  // a pending insert or edit is not thrown away
  buffer_.Release();
  if (Active() && GetRecordCount() == 0) ClearPosition();
}

// The rows live only in memory: opening builds an empty record set from the field definitions,
// closing drops the rows.
void TClientDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0) throw EDatabaseError("Missing data provider or data packet");
  CreateFields();
  kinds_.clear();
  for (int i = 0; i < FieldCount(); ++i) kinds_.push_back(ValueKindOf(Fields(i).DataType()));
  store_ = std::make_unique<RecordStore>(kinds_);
  buffer_.Reset(kinds_);
}

void TClientDataSet::InternalClose() {
  store_.reset();
  buffer_.Release();
  kinds_.clear();
}

int TClientDataSet::GetRecordCount() const { return store_ ? store_->Count() : 0; }

void TClientDataSet::InternalInitRecord() { buffer_.Reset(kinds_); }

void TClientDataSet::InternalEdit() { store_->Load(CurrentIndex(), buffer_); }

void TClientDataSet::InternalPost(bool inserting, int position) {
  if (inserting) store_->Insert(position, buffer_);
  else store_->Replace(CurrentIndex(), buffer_);
}

void TClientDataSet::InternalCancel() {}

void TClientDataSet::InternalDelete() { store_->Delete(CurrentIndex()); }

FieldValue TClientDataSet::ReadField(int index, bool old) const {
  if (RecordBuffered()) {
    if (!old) return buffer_.Read(index);
    if (Inserting()) return FieldValue::Null();
  }
  const int current = CurrentIndex();
  if (!store_ || current < 0 || current >= store_->Count()) return FieldValue::Null();
  return store_->Read(current, index);
}

FieldValue TClientDataSet::ReadStoredField(int row, int index) const {
  if (!store_ || row < 0 || row >= store_->Count()) return FieldValue::Null();
  return store_->Read(row, index);
}

void TClientDataSet::WriteField(int index, const FieldValue& value) { buffer_.Write(index, value); }

}  // namespace morvanta
