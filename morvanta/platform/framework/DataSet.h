#pragma once
// The in-memory record set: `TDataSet` with its fields, field definitions, states and
// notifications, `TClientDataSet` that holds the rows in memory, and `TDataSource` that presents a
// dataset to others (a detail's link to its master).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/framework/RecordStore.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta {

class TDataSet;
class TDataSource;

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening
};

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange
};

// The definition of one field: name, type, size and whether a value is required.
class TFieldDef {
 public:
  const WideString& Name() const { return name_; }
  void SetName(WideString name) { name_ = std::move(name); }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType type) { dataType_ = type; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }

 private:
  WideString name_;
  TFieldType dataType_ = ftUnknown;
  int size_ = 0;
  bool required_ = false;
};

// The field definitions a record set is created from, in field order.
class TFieldDefs {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TFieldDef& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  TFieldDef& AddFieldDef();
  void Add(WideString name, TFieldType type, int size = 0, bool required = false);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TFieldDef>> items_;
};

// A column of the dataset's current record (the edit buffer while inserting or editing).
class TField {
 public:
  TField(TDataSet& dataSet, int index, WideString name, TFieldType type, int size);

  TDataSet& DataSet() const { return dataSet_; }
  int Index() const { return index_; }
  const WideString& FieldName() const { return name_; }
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }

  bool IsNull() const;
  AnsiString AsString() const;
  // A stored value of this field as AsString would show it.
  AnsiString TextOf(const FieldValue& value) const;
  // The bytes of a text field without a copy; valid until the record or the value changes. Empty
  // for fields of other types.
  std::string_view AsStringView() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;
  TVariant Value() const;
  TVariant OldValue() const;  // the value as posted, before the pending edit
  TVariant NewValue() const;  // the value in the edit buffer

  // Writing needs the dataset in edit or insert state (EDatabaseError otherwise). Values are
  // converted to the field's type; a text that does not convert raises EConvertError.
  void SetAsString(const AnsiString& value) { SetAsStringBytes(value); }
  void SetAsString(AsciiLiteral value) { SetAsStringBytes(value); }
  // The same for bytes known to be code page 1252 (a column's, another field's), without a copy.
  void SetAsStringBytes(std::string_view cp1252Bytes);
  void SetAsInteger(std::int64_t value);
  void SetAsFloat(double value);
  void SetAsDateTime(TDateTime value);
  void SetAsBoolean(bool value);
  void SetValue(const TVariant& value);
  void Clear();

 private:
  TVariant ToVariant(const FieldValue& value) const;
  void Write(const FieldValue& value);

  TDataSet& dataSet_;
  int index_;
  WideString name_;
  TFieldType dataType_;
  ValueKind kind_;
  int size_;
  bool required_ = false;
};

// A record set: its fields, its state, the current record and the insert/edit/post cycle, with a
// virtual notification at each step. The rows are kept by a storage class such as TClientDataSet.
class TDataSet : public TComponent {
 public:
  using DataSetEvent = std::function<void(TDataSet&)>;

  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  static constexpr const char* kClassName = "TDataSet";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "DB"; }

  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != dsInactive; }
  // Both tell the linked sources (deUpdateState) once the state changed.
  void Open();  // no effect when already active
  void Close();
  void SetActive(bool value) { value ? Open() : Close(); }

  TFieldDefs& FieldDefs() { return fieldDefs_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField& Fields(int index) const { return *fields_.at(static_cast<std::size_t>(index)); }
  TField& FieldByName(std::u16string_view name) const;  // ignores case; EDatabaseError when missing
  TField& FieldByName(std::string_view name) const;
  TField* FindField(std::u16string_view name) const;  // ignores case; nullptr when missing
  TField* FindField(std::string_view name) const;

  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();  // raises EDatabaseError on an empty set
  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return RecordCount() == 0; }
  // 1-based number of the current record; -1 when there is none (inactive, empty, inserting).
  int RecNo() const;
  void SetRecNo(int recNo);
  int RecordCount() const;  // 0 when inactive
  // The text of a field of the stored record `recNo` (1-based) without moving the current record
  // (the edit buffer's value for the record being edited); empty when there is no such record.
  AnsiString RecordText(int recNo, int fieldIndex) const;
  // True once a field of the record being inserted or edited was written (values written by
  // OnNewRecord do not count).
  bool Modified() const { return modified_; }

  // Control updates, counted: each DisableControls needs its EnableControls. While disabled, the
  // data sources linked to the dataset are not told of data events; the last EnableControls tells
  // them once (deDataSetChange) when something happened meanwhile.
  void DisableControls() { ++disableCount_; }
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  DataSetEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit, AfterEdit,
      BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll,
      OnNewRecord, OnCalcFields;
  // Raised with every data event (the scroll event whenever the current record moves).
  std::function<void(TDataSet&, TDataEvent, std::intptr_t)> OnDataEvent;

 protected:
  // Notifications: each base version raises the event of the same name. Derived datasets
  // override them; the base calls them at the points the names give.
  virtual void DoBeforeOpen();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoAfterClose();
  virtual void DoBeforeInsert();
  virtual void DoAfterInsert();  // in insert state, after OnNewRecord
  virtual void DoBeforeEdit();
  virtual void DoAfterEdit();
  virtual void DoBeforePost();
  virtual void DoAfterPost();  // once the row is in the set; an error here reaches the poster
  virtual void DoBeforeCancel();
  virtual void DoAfterCancel();
  virtual void DoBeforeDelete();
  virtual void DoAfterDelete();
  virtual void DoBeforeScroll();
  virtual void DoAfterScroll();
  virtual void DoOnNewRecord();
  virtual void DoOnCalcFields();
  // The data-event notification; deDataSetScroll is raised whenever the current record moves.
  virtual void DataEvent(TDataEvent event, std::intptr_t info);
  // The calculated-fields notification: runs with the state dsCalcFields (or dsInternalCalc).
  virtual void CalculateFields();

  // Storage hooks that TClientDataSet implements; the base dataset holds no rows.
  virtual void InternalOpen();
  virtual void InternalClose();
  virtual int GetRecordCount() const;
  virtual void InternalInitRecord();  // a new, all-null record in the edit buffer
  virtual void InternalEdit();        // the current row copied into the edit buffer
  // Stores the edit buffer: as a new row at `position` (inserting) or over the current row.
  virtual void InternalPost(bool inserting, int position);
  virtual void InternalCancel();
  virtual void InternalDelete();  // removes the current row
  // A field's value: the edit buffer's while a record is inserted or edited, the current row's
  // otherwise; with `old`, always the stored row's (null for a record being inserted).
  virtual FieldValue ReadField(int index, bool old) const;
  virtual void WriteField(int index, const FieldValue& value);
  virtual FieldValue ReadStoredField(int row, int index) const;  // row 0-based

  void SetState(TDataSetState state) { state_ = state; }
  void CreateFields();  // builds the field objects from FieldDefs
  void DestroyFields();
  // The record being inserted or edited lives in the edit buffer (also while the state is
  // switched to a calculation state during a post).
  bool RecordBuffered() const { return bufferState_ != dsBrowse; }
  bool Inserting() const { return bufferState_ == dsInsert; }
  void CheckActive() const;
  // Ends a pending insert or edit: posted when a field was written, cancelled otherwise.
  void CheckBrowseMode();
  // The current position in the rows (0-based), -1 when there is none.
  int CurrentIndex() const { return current_; }
  // No current record: at both ends of the rows.
  void ClearPosition();

  friend class TField;
  friend class TDataSource;

 private:
  // Writes a value into the edit buffer (edit or insert state only).
  void SetFieldData(int index, const FieldValue& value);
  void CheckRequiredFields();
  // Runs CalculateFields in the given calculation state, then restores the state.
  void RunCalcFields(TDataSetState calcState);
  // A stored record became current: calculated fields, then the scroll event.
  void RecordBecameCurrent();
  // Enters a state: the edit buffer is in use in dsInsert and dsEdit only, and nothing of the record
  // counts as modified yet.
  void EnterState(TDataSetState state);
  void BeginInsert(bool append);
  void MoveTo(int index, bool atBof, bool atEof);

  TDataSetState state_ = dsInactive;
  TDataSetState bufferState_ = dsBrowse;  // dsInsert or dsEdit while a record is buffered
  TFieldDefs fieldDefs_;
  std::vector<std::unique_ptr<TField>> fields_;
  std::vector<TDataSource*> dataSources_;  // linked sources, told of data events
  int disableCount_ = 0;
  bool eventsHeld_ = false;  // a data event happened while controls were disabled
  bool modified_ = false;
  bool eof_ = true;
  bool bof_ = true;
  int insertPosition_ = 0;                  // where the record being inserted will be stored
  bool savedEof_ = true, savedBof_ = true;  // position flags to restore when an insert is cancelled
  int current_ = -1;                        // position in the rows (0-based), -1 when there is none
};

// The record set held in memory: created from its field definitions, filled by appending.
class TClientDataSet : public TDataSet {
 public:
  explicit TClientDataSet(TComponent* owner);
  ~TClientDataSet() override;

  static constexpr const char* kClassName = "TClientDataSet";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "DBClient"; }

  // Builds the record set from FieldDefs and opens it; "No fields defined.  Cannot create
  // dataset" when there are none.
  void CreateDataSet();
  // Ends a pending edit (posting it), then removes every record.
  void EmptyDataSet();
  // Forgets the record buffers: gives back the edit buffer's memory and settles the position
  // flags. A pending insert or edit is kept.
  void ClearBuffers();

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  int GetRecordCount() const override;
  void InternalInitRecord() override;
  void InternalEdit() override;
  void InternalPost(bool inserting, int position) override;
  void InternalCancel() override;
  void InternalDelete() override;
  FieldValue ReadField(int index, bool old) const override;
  void WriteField(int index, const FieldValue& value) override;
  FieldValue ReadStoredField(int row, int index) const override;

 private:
  std::unique_ptr<RecordStore> store_;
  std::vector<ValueKind> kinds_;
  RecordBuffer buffer_;
};

// Presents a dataset to others (a detail's link to its master) and passes its data events on.
class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;
  static constexpr const char* kClassName = "TDataSource";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "DB"; }

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);  // the link clears itself when the dataset is destroyed

  using DataChangeHandler = std::function<void(TDataSource&, TDataEvent, std::intptr_t)>;
  // Raised with the dataset's data events while its controls are enabled: the application's
  // handler, raised first.
  DataChangeHandler OnDataChange;

  // Further listeners (the controls on the source), told after OnDataChange in the order they
  // were added. `key` identifies the listener for RemoveDataListener; adding a key again replaces
  // its handler. A listener may remove itself or another while it is told.
  void AddDataListener(const void* key, DataChangeHandler handler);
  void RemoveDataListener(const void* key);
  bool HasDataListener(const void* key) const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataSet;
  // Tells OnDataChange and every listener of the event.
  void DataChanged(TDataEvent event, std::intptr_t info);

  struct Listener {
    const void* key;
    std::shared_ptr<DataChangeHandler> handler;
  };
  std::vector<Listener> listeners_;
  TDataSet* dataSet_ = nullptr;
  TComponent* linked_ = nullptr;  // the dataset as a component, compared when it is destroyed
};

}  // namespace morvanta
