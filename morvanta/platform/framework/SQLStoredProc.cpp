#include "morvanta/platform/framework/SQLStoredProc.h"

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/Session.h"

namespace morvanta {

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

}  // namespace

TSQLStoredProc::TSQLStoredProc(TComponent* owner) : TComponent(owner) {}

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

void TSQLStoredProc::Prepare(fb::Session& session) {
  const AnsiString name = Trim(ToAnsi(storedProcName_));
  const bool regular = IsRegularIdentifier(name);
  std::vector<WideString> inputs = session.ProcedureInputNames(regular ? AnsiUpperCase(name) : name);
  AnsiString call = "EXECUTE PROCEDURE " + (regular ? name : Quoted(name, '"'));
  for (std::size_t i = 0; i < inputs.size(); ++i) call += i == 0 ? AnsiString("(?") : AnsiString(", ?");
  if (!inputs.empty()) call += ")";
  statement_.reset();
  statement_ = session.Prepare(ToSystem(call));

  // Rebuild the list from the procedure's description; inputs keep the values already given.
  TParams previous;
  previous.Assign(params_);
  params_.Clear();
  const std::vector<TFieldType> inputTypes = statement_->InputTypes();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    TParam& param = params_.CreateParam(inputTypes.at(i), inputs[i], ptInput);
    if (TParam* old = previous.FindParam(std::u16string_view(inputs[i])); old && old->ParamType() != ptOutput) {
      param.SetValue(old->Value());
      if (old->DataType() != ftUnknown) param.SetDataType(old->DataType());
    }
  }
  for (const fb::Column& column : statement_->OutputColumns())
    params_.CreateParam(column.fieldType, column.name, ptOutput);
  prepared_ = true;
}

void TSQLStoredProc::ExecProc() {
  if (!connection_)
    throw EDatabaseError("No connection assigned to " + (Name().empty() ? AnsiString("stored procedure") : Name()));
  if (!connection_->Connected()) connection_->Open();
  fb::Session& session = connection_->Session();
  if (!prepared_ || !statement_) Prepare(session);  // raises what the server says

  std::vector<const TParam*> inputs;
  std::vector<TParam*> outputs;
  for (int i = 0; i < params_.Count(); ++i) {
    TParam& p = params_[i];
    if (p.ParamType() == ptOutput || p.ParamType() == ptResult) outputs.push_back(&p);
    else inputs.push_back(&p);
  }
  session.ExecuteProcedure(*statement_, inputs, outputs);
}

}  // namespace morvanta
