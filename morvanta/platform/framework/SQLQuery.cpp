#include "morvanta/platform/framework/SQLQuery.h"

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/Session.h"

namespace morvanta {

// ---- TSQLField: reads the current row of its query's cursor.

bool TSQLField::IsNull() const { return cursor_->IsNull(index_); }
AnsiString TSQLField::AsString() const { return cursor_->AsString(index_); }
std::string_view TSQLField::AsStringView() const { return cursor_->Text(index_); }
std::int64_t TSQLField::AsInteger() const { return cursor_->AsInteger(index_); }
double TSQLField::AsFloat() const { return cursor_->AsFloat(index_); }
TDateTime TSQLField::AsDateTime() const { return cursor_->AsDateTime(index_); }
bool TSQLField::AsBoolean() const { return cursor_->AsBoolean(index_); }
TVariant TSQLField::Value() const { return cursor_->Value(index_); }

// ---- TSQLQuery

TSQLQuery::TSQLQuery(TComponent* owner) : TComponent(owner) {
  sql_.OnChange = [this](TWideStringList&) { SQLChanged(); };
}

TSQLQuery::~TSQLQuery() {
  Close();
  DropStatement();
  if (connection_) connection_->UnregisterClient(this);
}

void TSQLQuery::SetSQLConnection(TSQLConnection* connection) {
  if (connection == connection_) return;
  Close();
  DropStatement();
  TSQLConnection::Relink(*this, this, connection_, connection);
}

void TSQLQuery::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == connection_) {
    // The connection is going: it has closed our cursor and statement already.
    cursor_.reset();
    fields_.clear();
    statement_.reset();
    prepared_ = false;
    connection_ = nullptr;
  }
}

void TSQLQuery::ConnectionClosing() {
  Close();
  DropStatement();
}

void TSQLQuery::DropStatement() {
  statement_.reset();
  prepared_ = false;
  countable_ = false;
  onceText_.clear();
}

void TSQLQuery::SQLChanged() {
  Close();
  prepared_ = false;
  params_.Clear();
  positional_ = params_.ParseSQL(sql_.Text(), true);
}

fb::Session& TSQLQuery::OpenSession() {
  if (!connection_)
    throw EDatabaseError("No connection assigned to " + (Name().empty() ? AnsiString("query") : Name()));
  if (!connection_->Connected()) connection_->Open();
  return connection_->Session();
}

std::string TSQLQuery::StatementText(const fb::Session& session) const {
  AnsiString text = ToAnsi(positional_);
  return session.Settings().Utf8Text() ? ToSystem(text) : text;
}

fb::Statement& TSQLQuery::Statement(fb::Session& session) {
  return session.Prepared(statement_, StatementText(session));
}

void TSQLQuery::SetPrepared(bool value) {
  if (value == prepared_) return;
  if (value) {
    fb::Session& session = OpenSession();
    Statement(session);
    prepared_ = true;
  } else {
    // The statement stays cached: running the same text again needs no new prepare.
    Close();
    prepared_ = false;
  }
}

bool TSQLQuery::Active() const { return cursor_ != nullptr; }

void TSQLQuery::SetReadAhead(int rows) {
  readAhead_ = rows > 0 ? static_cast<unsigned>(rows) : 1;
  if (cursor_) cursor_->SetReadAhead(readAhead_);
}

void TSQLQuery::Open() {
  if (Active()) return;
  fb::Session& session = OpenSession();
  fb::Statement& statement = Statement(session);
  if (!statement.ReturnsRows()) throw EDatabaseError("The statement returns no rows: run it with ExecSQL");
  cursor_ = session.Open(statement, params_);
  cursor_->SetReadAhead(readAhead_);
  try {
    const auto& columns = cursor_->Columns();
    fields_.clear();
    fields_.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
      auto field = std::make_unique<TSQLField>();
      field->fieldName_ = columns[i].name;
      field->dataType_ = columns[i].fieldType;
      field->size_ = columns[i].size;
      field->index_ = static_cast<int>(i);
      field->cursor_ = cursor_.get();
      fields_.push_back(std::move(field));
    }
    movedPastFirst_ = false;
    cursor_->Next();
  } catch (...) {
    Close();
    throw;
  }
}

void TSQLQuery::Close() {
  fields_.clear();
  cursor_.reset();
}

void TSQLQuery::First() {
  if (!Active()) Open();
  else if (movedPastFirst_) throw EDatabaseError("Operation not allowed on a unidirectional dataset");
}

void TSQLQuery::Next() {
  if (!Active()) throw EDatabaseError("The query is not open");
  movedPastFirst_ = true;
  cursor_->Next();
}

bool TSQLQuery::Eof() const { return !cursor_ || cursor_->Eof(); }

TSQLField* TSQLQuery::FindField(std::u16string_view name) {
  for (auto& field : fields_)
    if (SameText(std::u16string_view(field->FieldName()), name)) return field.get();
  return nullptr;
}

TSQLField& TSQLQuery::FieldByName(std::u16string_view name) {
  if (TSQLField* field = FindField(name)) return *field;
  throw EDatabaseError("Field '" + ToAnsi(name) + "' not found");
}

int TSQLQuery::ExecSQL(bool directExecute) {
  fb::Session& session = OpenSession();
  Close();
  const std::string text = StatementText(session);
  const bool cached = statement_ && &statement_->Session() == &session && statement_->Text() == text;
  countable_ = false;
  heldCount_.reset();
  if (batching_ == WriteBatching::InTransaction && session.QueueWrite(this, heldRaiser_, text, params_)) {
    onceText_.clear();
    return -1;
  }
  if (!directExecute && (prepared_ || cached || text == onceText_)) {
    session.ExecutePrepared(statement_, text, params_);
    countable_ = true;
    onceText_.clear();
  } else {
    session.ExecuteText(statement_, text, params_);
    onceText_ = directExecute ? std::string() : text;
  }
  return -1;
}

void TSQLQuery::ApplyWrites() {
  if (connection_ && connection_->Connected()) connection_->Session().FlushWrites(this);
}

int TSQLQuery::RowsAffected() {
  if (connection_ && connection_->Connected()) {
    fb::Session& session = connection_->Session();
    if (auto count = session.RunHeldBackAlone(this)) heldCount_ = static_cast<int>(*count);
    else session.FlushWrites(this);
  }
  if (heldCount_) return *heldCount_;
  if (!countable_ || !statement_) return -1;
  return static_cast<int>(statement_->AffectedRecords());
}

}  // namespace morvanta
