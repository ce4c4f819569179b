#include "SQLQuery.h"

#include "Exceptions.h"
#include "firebird/FirebirdCursor.h"
#include "firebird/FirebirdSession.h"
#include "firebird/FirebirdStatement.h"
#include "firebird/InputMessage.h"
#include "firebird/SharedStatements.h"

// ---- TSQLField: reads the current row of its query's cursor.

bool TSQLField::IsNull() const { return cursor_->Row().IsNull(index_); }
AnsiString TSQLField::AsString() const { return cursor_->Row().AsString(index_); }
std::string_view TSQLField::AsStringView() const { return cursor_->Row().Text(index_); }
std::int64_t TSQLField::AsInteger() const { return cursor_->Row().AsInteger(index_); }
double TSQLField::AsFloat() const { return cursor_->Row().AsFloat(index_); }
TDateTime TSQLField::AsDateTime() const { return cursor_->Row().AsDateTime(index_); }
bool TSQLField::AsBoolean() const { return cursor_->Row().AsBoolean(index_); }
TVariant TSQLField::Value() const { return cursor_->Row().Value(index_); }

// ---- TSQLQuery

TSQLQuery::TSQLQuery(TComponent* owner) : TComponent(owner), input_(std::make_unique<fb::InputMessage>()) {
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

FirebirdSession& TSQLQuery::OpenSession() {
  if (!connection_)
    throw EDatabaseError("No connection assigned to " + (Name().empty() ? AnsiString("query") : Name()));
  if (!connection_->Connected()) connection_->Open();
  return connection_->Session();
}

std::string TSQLQuery::StatementText(const FirebirdSession& session) const {
  AnsiString text = ToAnsi(positional_);
  return session.Settings().Utf8Text() ? ToSystem(text) : text;
}

FirebirdStatement& TSQLQuery::Statement(FirebirdSession& session, Firebird::ITransaction* transaction) {
  std::string text = StatementText(session);
  if (!statement_ || &statement_->Session() != &session || statement_->Text() != text) {
    statement_.reset();
    statement_ = std::make_unique<FirebirdStatement>(session, transaction, std::move(text));
  }
  return *statement_;
}

void TSQLQuery::BuildInput(FirebirdSession& session, Firebird::ITransaction* transaction) {
  std::vector<const TParam*> values;
  values.reserve(static_cast<std::size_t>(params_.Count()));
  for (int i = 0; i < params_.Count(); ++i) values.push_back(&params_[i]);
  input_->Build(values, session.Attachment(), transaction, session.Settings().Utf8Text(),
                !session.Settings().charSet.empty());
}

void TSQLQuery::SetPrepared(bool value) {
  if (value == prepared_) return;
  if (value) {
    FirebirdSession& session = OpenSession();
    Statement(session, session.MetadataTransaction());
    prepared_ = true;
  } else {
    // The statement stays cached: running the same text again needs no new prepare.
    Close();
    prepared_ = false;
  }
}

bool TSQLQuery::Active() const { return cursor_ != nullptr; }

void TSQLQuery::Open() {
  if (Active()) return;
  FirebirdSession& session = OpenSession();
  FirebirdStatement& statement = Statement(session, session.MetadataTransaction());
  if (!statement.ReturnsRows()) throw EDatabaseError("The statement returns no rows: run it with ExecSQL");
  fb::TransactionPtr transaction = session.ExplicitTransaction();
  if (!transaction) transaction = session.StartCursorTransaction(statement.ForUpdate());
  BuildInput(session, transaction->Get());
  cursor_ = std::make_unique<FirebirdCursor>(session, statement, transaction, *input_);
  try {
    const auto& columns = cursor_->Row().Columns();
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
  FirebirdSession& session = OpenSession();
  Close();
  const std::string text = StatementText(session);
  const bool cached = statement_ && &statement_->Session() == &session && statement_->Text() == text;
  countable_ = false;
  if (!directExecute && (prepared_ || cached || text == onceText_)) {
    session.RunWriting([&](Firebird::ITransaction* transaction) { ExecutePrepared(session, transaction); });
    countable_ = true;
    onceText_.clear();
  } else {
    session.RunWriting([&](Firebird::ITransaction* transaction) { ExecuteOnce(session, text, transaction); });
    onceText_ = directExecute ? std::string() : text;
  }
  return -1;
}

void TSQLQuery::ExecuteOnce(FirebirdSession& session, const std::string& text, Firebird::ITransaction* transaction) {
  if (ExecuteShared(session, text, transaction)) return;
  BuildInput(session, transaction);
  fb::Status status;
  try {
    session.Attachment()->execute(&status, transaction, static_cast<unsigned>(text.size()), text.data(),
                                  session.Settings().dialect, input_->Metadata(), input_->Buffer(), nullptr, nullptr);
  } catch (const EFirebirdError&) {
    // A select has rows to put somewhere: run it through a prepared statement instead.
    if (!status.HasErrorCode(isc_dsql_sqlda_err)) throw;
    ExecutePrepared(session, transaction);
  }
}

// Runs a writing statement whose string literals the server can take as parameters on the
// statement prepared once for all the texts that differ only in those literals.
bool TSQLQuery::ExecuteShared(FirebirdSession& session, const std::string& text, Firebird::ITransaction* transaction) {
  fb::LiteralParameters literals = fb::ParameterizeLiterals(text);
  if (!literals.Usable()) return false;
  FirebirdStatement* statement = session.SharedStatements().Find(session, transaction, literals);
  if (!statement) return false;
  const bool utf8 = session.Settings().Utf8Text();
  std::vector<TParam> literalValues(literals.literals.size());
  for (std::size_t i = 0; i < literals.literals.size(); ++i)
    literalValues[i].SetAsString(utf8 ? FromSystem(literals.literals[i]) : literals.literals[i]);
  std::vector<const TParam*> values;
  values.reserve(literals.markers.size());
  int next = 0;
  for (int marker : literals.markers) {
    if (marker >= 0) values.push_back(&literalValues[static_cast<std::size_t>(marker)]);
    else if (next < params_.Count()) values.push_back(&params_[next++]);
    else return false;
  }
  if (next != params_.Count()) return false;
  input_->Build(values, session.Attachment(), transaction, utf8, !session.Settings().charSet.empty());
  statement->Execute(transaction, *input_);
  return true;
}

void TSQLQuery::ExecutePrepared(FirebirdSession& session, Firebird::ITransaction* transaction) {
  FirebirdStatement& statement = Statement(session, transaction);
  BuildInput(session, transaction);
  if (statement.ReturnsRows()) {
    // Executing a select opens it and closes it again.
    fb::Status status;
    fb::ResultSetHandle rows(statement.Handle()->openCursor(&status, transaction, input_->Metadata(), input_->Buffer(),
                                                            statement.OutputMetadata(), 0));
    rows.Close();
  } else {
    statement.Execute(transaction, *input_);
  }
}

int TSQLQuery::RowsAffected() const {
  if (!countable_ || !statement_) return -1;
  return static_cast<int>(statement_->AffectedRecords());
}
