#include "SQLStoredProc.h"

#include "Exceptions.h"
#include "SqlScanner.h"
#include "firebird/FbBlob.h"
#include "firebird/FirebirdSession.h"
#include "firebird/FirebirdStatement.h"
#include "firebird/InputMessage.h"
#include "firebird/RowValues.h"

namespace {

bool IsRegularIdentifier(std::string_view name) {
  if (name.empty() || !((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$'))
      return false;
  return true;
}

AnsiString Quoted(std::string_view text, char quote) {
  AnsiString out(1, quote);
  for (char c : text) {
    out.push_back(c);
    if (c == quote) out.push_back(quote);
  }
  out.push_back(quote);
  return out;
}

// Names of the procedure's input parameters, in order, as its catalogue lists them.
std::vector<WideString> InputNames(FirebirdSession& session, const AnsiString& storedName) {
  Firebird::ITransaction* transaction = session.MetadataTransaction();
  // Metadata is UTF-8 whatever the connection's character set.
  FirebirdStatement lookup(
      session, transaction,
      ToSystem("SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = " +
               SqlStringLiteral(storedName) +
               " AND RDB$PACKAGE_NAME IS NULL AND RDB$PARAMETER_TYPE = 0 "
               "ORDER BY RDB$PARAMETER_NUMBER"));
  fb::Status status;
  fb::ResultSetHandle rows(
      lookup.Handle()->openCursor(&status, transaction, nullptr, nullptr, lookup.OutputMetadata(), 0));
  fb::RowValues row(fb::DescribeColumns(lookup.OutputMetadata(), true),
                    lookup.OutputMetadata()->getMessageLength(&status), true, nullptr);
  std::vector<WideString> names;
  while (rows->fetchNext(&status, row.Buffer()) == Firebird::IStatus::RESULT_OK) {
    row.NewRow();
    names.push_back(ToWide(Trim(row.Text(0))));
  }
  rows.Close();
  return names;
}

}  // namespace

TSQLStoredProc::TSQLStoredProc(TComponent* owner) : TComponent(owner), input_(std::make_unique<fb::InputMessage>()) {}

TSQLStoredProc::~TSQLStoredProc() {
  statement_.reset();
  if (connection_) connection_->UnregisterClient(this);
}

void TSQLStoredProc::SetSQLConnection(TSQLConnection* connection) {
  if (connection == connection_) return;
  ConnectionClosing();
  TSQLConnection::Relink(*this, this, connection_, connection);
}

void TSQLStoredProc::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == connection_) {
    statement_.reset();
    prepared_ = false;
    connection_ = nullptr;
  }
}

void TSQLStoredProc::ConnectionClosing() {
  statement_.reset();
  prepared_ = false;
}

void TSQLStoredProc::SetStoredProcName(WideString name) {
  if (name == storedProcName_) return;
  ConnectionClosing();
  storedProcName_ = std::move(name);
}

void TSQLStoredProc::SetPrepared(bool value) {
  if (!value) {
    prepared_ = false;
    return;
  }
  if (prepared_) return;
  if (!connection_)
    throw EDatabaseError("No connection assigned to " + (Name().empty() ? AnsiString("stored procedure") : Name()));
  if (!connection_->Connected()) connection_->Open();
  try {
    Prepare(connection_->Session());
  } catch (const EFirebirdError&) {
    // The server refused the call (no such procedure, no rights): stay unprepared.
  }
}

void TSQLStoredProc::Prepare(FirebirdSession& session) {
  const AnsiString name = Trim(ToAnsi(storedProcName_));
  const bool regular = IsRegularIdentifier(name);
  std::vector<WideString> inputs = InputNames(session, regular ? AnsiUpperCase(name) : name);
  AnsiString call = "EXECUTE PROCEDURE " + (regular ? name : Quoted(name, '"'));
  for (std::size_t i = 0; i < inputs.size(); ++i) call += i == 0 ? "(?" : ", ?";
  if (!inputs.empty()) call += ")";
  statement_.reset();
  statement_ = std::make_unique<FirebirdStatement>(session, session.MetadataTransaction(), ToSystem(call));

  // Rebuild the list from the procedure's description; inputs keep the values already given.
  TParams previous;
  previous.Assign(params_);
  params_.Clear();
  fb::Status status;
  fb::MetadataRef inputMetadata(statement_->Handle()->getInputMetadata(&status));
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const auto index = static_cast<unsigned>(i);
    TFieldType type =
        fb::FieldTypeOf(inputMetadata->getType(&status, index) & ~1u, inputMetadata->getSubType(&status, index),
                        inputMetadata->getScale(&status, index));
    TParam& param = params_.CreateParam(type, inputs[i], ptInput);
    if (TParam* old = previous.FindParam(std::u16string_view(inputs[i])); old && old->ParamType() != ptOutput) {
      param.SetValue(old->Value());
      if (old->DataType() != ftUnknown) param.SetDataType(old->DataType());
    }
  }
  for (const fb::Column& column : fb::DescribeColumns(statement_->OutputMetadata(), true))
    params_.CreateParam(column.fieldType, column.name, ptOutput);
  prepared_ = true;
}

void TSQLStoredProc::ExecProc() {
  if (!connection_)
    throw EDatabaseError("No connection assigned to " + (Name().empty() ? AnsiString("stored procedure") : Name()));
  if (!connection_->Connected()) connection_->Open();
  FirebirdSession& session = connection_->Session();
  if (!prepared_ || !statement_) Prepare(session);  // raises what the server says

  std::vector<const TParam*> inputs;
  std::vector<TParam*> outputs;
  for (int i = 0; i < params_.Count(); ++i) {
    TParam& p = params_[i];
    if (p.ParamType() == ptOutput || p.ParamType() == ptResult) outputs.push_back(&p);
    else inputs.push_back(&p);
  }
  Firebird::IMessageMetadata* outputMetadata = statement_->OutputMetadata();
  fb::Status status;
  const unsigned outputLength = outputMetadata->getMessageLength(&status);
  session.RunWriting([&](Firebird::ITransaction* transaction) {
    fb::RowValues results(
        fb::DescribeColumns(outputMetadata, session.Settings().Utf8Text()), outputLength, session.Settings().trimChar,
        [&](ISC_QUAD id, std::string& out) { fb::ReadBlob(session.Attachment(), transaction, id, out); });
    input_->Build(inputs, session.Attachment(), transaction, session.Settings().Utf8Text(),
                  !session.Settings().charSet.empty());
    statement_->Execute(transaction, *input_, results.Count() > 0 ? results.Buffer() : nullptr);
    // Blob outputs are read while the transaction is still there.
    for (int i = 0; i < results.Count() && i < static_cast<int>(outputs.size()); ++i) {
      TParam& output = *outputs[static_cast<std::size_t>(i)];
      if (results.IsNull(i)) output.Clear();
      else output.SetValue(results.Value(i));
    }
  });
}
