#include "morvanta/platform/firebird/detail/BatchTemplate.h"

#include <cstring>
#include <map>
#include <utility>

#include "morvanta/platform/core/SqlScanner.h"

namespace morvanta::fb::detail {

namespace {

// `text` with its markers replaced by the parameters :`prefix``first`, :`prefix``first + 1`, ...
std::string Substituted(const std::string& text, const char* prefix, std::size_t first) {
  std::string out;
  out.reserve(text.size() + 16);
  const std::string_view view(text);
  for (std::size_t i = 0; i < view.size();) {
    const SqlSpan span = SqlSpanAt(view, i);
    if (span.kind == SqlSpanKind::Plain && view[i] == '?') out += std::string(":") + prefix + std::to_string(first++);
    else out.append(view.substr(i, span.end - i));
    i = span.end;
  }
  return out;
}

std::size_t MarkerCount(const std::string& text) {
  std::size_t count = 0;
  const std::string_view view(text);
  for (std::size_t i = 0; i < view.size();) {
    const SqlSpan span = SqlSpanAt(view, i);
    if (span.kind == SqlSpanKind::Plain && view[i] == '?') ++count;
    i = span.end;
  }
  return count;
}

// The block returns F, the statements run so far, after each of them.
MetadataRef ResultMetadata() {
  Status status;
  MetadataBuilderRef builder(Master()->getMetadataBuilder(&status, 1));
  builder->setType(&status, 0, SQL_LONG + 1);
  builder->setLength(&status, 0, sizeof(std::int32_t));
  builder->setScale(&status, 0, 0);
  return MetadataRef(builder->getMetadata(&status));
}

// The block runs each of its statements in a sub-procedure of its own, named after this prefix:
// every statement is compiled once and by itself, so that a block takes as many statements as its
// parameters and its text allow, whatever contexts each of them takes.
constexpr std::string_view kRoutinePrefix = "MORVANTA$WRITE";

std::string RoutineName(std::size_t index) { return std::string(kRoutinePrefix) + std::to_string(index); }

bool IsBlockLocation(std::string_view line) {
  if (!line.empty() && line.front() == '-') line.remove_prefix(1);
  if (line.rfind("At block line: ", 0) == 0) return true;
  constexpr std::string_view routine = "At sub procedure '";
  return line.rfind(routine, 0) == 0 && line.substr(routine.size()).rfind(kRoutinePrefix, 0) == 0;
}

// The sub-procedure that runs `statement`, whose markers `declarations` declare.
std::string RoutineText(const std::string& name, const std::string& statement,
                        const std::vector<std::string>& declarations) {
  std::string head;
  for (std::size_t k = 0; k < declarations.size(); ++k)
    head += (k == 0 ? "Q" : ", Q") + std::to_string(k) + " " + declarations[k];
  return "DECLARE PROCEDURE " + name + (head.empty() ? std::string() : " (" + head + ")") + "\nAS\nBEGIN\n  " +
         Substituted(statement, "Q", 0) + ";\nEND\n";
}

// The call of routine `name` with the block parameters :P`first` ... for its `count` markers.
std::string CallText(const std::string& name, std::size_t first, std::size_t count) {
  std::string call = "EXECUTE PROCEDURE " + name;
  for (std::size_t k = 0; k < count; ++k) call += (k == 0 ? "(:P" : ", :P") + std::to_string(first + k);
  return call + (count > 0 ? ")" : "");
}

}  // namespace

std::string BatchTemplate::BlockText(const std::vector<std::string>& statements,
                                     const std::vector<std::string>& declarations, bool counted) {
  std::string head = counted ? "N INTEGER = ?" : "", routines, body;
  for (std::size_t k = 0; k < declarations.size(); ++k)
    head += (head.empty() ? "P" : ", P") + std::to_string(k) + " " + declarations[k] + " = ?";
  // One routine for each statement text with its declarations, however often it runs.
  std::map<std::pair<std::string, std::vector<std::string>>, std::string> names;
  std::size_t marker = 0;
  for (std::size_t e = 0; e < statements.size(); ++e) {
    const std::size_t count = MarkerCount(statements[e]);
    const auto first = declarations.begin() + static_cast<std::ptrdiff_t>(marker);
    std::pair<std::string, std::vector<std::string>> key{statements[e],
                                                         {first, first + static_cast<std::ptrdiff_t>(count)}};
    auto found = names.find(key);
    if (found == names.end()) {
      const std::string name = RoutineName(names.size());
      routines += RoutineText(name, key.first, key.second);
      found = names.emplace(std::move(key), name).first;
    }
    body += "  " + CallText(found->second, marker, count) + ";\n  F = " + std::to_string(e + 1) + ";\n  SUSPEND;\n";
    marker += count;
    if (counted && e + 1 < statements.size()) body += "  IF (N = " + std::to_string(e + 1) + ") THEN EXIT;\n";
  }
  return "EXECUTE BLOCK" + (head.empty() ? std::string() : " (" + head + ")") + "\nRETURNS (F INTEGER)\nAS\n" +
         routines + "BEGIN\n" + body + "END";
}

BatchTemplate::BatchTemplate(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, unsigned dialect,
                             std::string text, unsigned capacity, unsigned fields, bool counted)
    : text_(std::move(text)), capacity_(capacity), fields_(fields), counted_(counted), result_(ResultMetadata()) {
  Status status;
  statement_ = StatementHandle(
      attachment->prepare(&status, transaction, static_cast<unsigned>(text_.size()), text_.data(), dialect, 0));
}

// The message of a run: N when counted, then the values of each execution, then the places no
// execution fills, as nulls of the first execution's types (texts one byte long).
MetadataRef BatchTemplate::Describe(std::size_t filled, const std::vector<Value>& values) const {
  Status status;
  const unsigned first = counted_ ? 1 : 0;
  const std::size_t places = counted_ ? std::size_t{capacity_} * fields_ : values.size();
  MetadataBuilderRef builder(Master()->getMetadataBuilder(&status, static_cast<unsigned>(first + places)));
  if (counted_) {
    builder->setType(&status, 0, SQL_LONG + 1);
    builder->setLength(&status, 0, sizeof(std::int32_t));
    builder->setScale(&status, 0, 0);
  }
  for (std::size_t p = 0; p < places; ++p) {
    const bool isFilled = p < filled;
    const Value& v = values[isFilled ? p : p % fields_];
    const auto k = static_cast<unsigned>(first + p);
    builder->setType(&status, k, v.type | 1u);
    builder->setLength(&status, k, isFilled || v.type != SQL_VARYING ? v.length : 1);
    builder->setScale(&status, k, v.scale);
    builder->setSubType(&status, k, v.subType);
    builder->setCharSet(&status, k, v.charSet);
  }
  return MetadataRef(builder->getMetadata(&status));
}

BatchTemplate::Outcome BatchTemplate::Run(Firebird::ITransaction* transaction, std::size_t executions,
                                          const std::vector<Value>& values) {
  if (executions == 0 || executions > capacity_ || (!counted_ && executions != capacity_) ||
      (counted_ && values.size() != executions * fields_))
    throw EDatabaseError("A batch does not fit its prepared block");
  Status status;
  const MetadataRef message = Describe(values.size(), values);
  std::vector<unsigned char> buffer(message->getMessageLength(&status), 0);
  const unsigned first = counted_ ? 1 : 0;
  if (counted_) {
    const auto count = static_cast<std::int32_t>(executions);
    std::memcpy(buffer.data() + message->getOffset(&status, 0), &count, sizeof count);
  }
  for (unsigned k = first; k < message->getCount(&status); ++k) {
    const std::size_t index = k - first;
    const short null = index >= values.size() || values[index].null ? -1 : 0;
    std::memcpy(buffer.data() + message->getNullOffset(&status, k), &null, sizeof null);
    if (null) continue;
    const Value& v = values[index];
    std::memcpy(buffer.data() + message->getOffset(&status, k), v.bytes, v.length + (v.type == SQL_VARYING ? 2 : 0));
  }
  Outcome outcome;
  std::vector<unsigned char> row(result_->getMessageLength(&status), 0);
  try {
    ResultSetHandle rows(statement_->openCursor(&status, transaction, message.Get(), buffer.data(), result_.Get(), 0));
    while (rows->fetchNext(&status, row.data()) == Firebird::IStatus::RESULT_OK) ++outcome.ran;
    rows.Close();
  } catch (const EFirebirdError& error) {
    outcome.error = WithoutBlockLocation(error);
  }
  return outcome;
}

EFirebirdError WithoutBlockLocation(const EFirebirdError& error) {
  const std::string& message = error.Message();
  std::string kept;
  bool traceGone = false;
  for (std::size_t at = 0; at <= message.size();) {
    std::size_t end = message.find('\n', at);
    if (end == std::string::npos) end = message.size();
    const std::string_view line(message.data() + at, end - at);
    if (IsBlockLocation(line)) {
      // The trace begins with a dash: a trace of block lines only goes with its code.
      traceGone = traceGone || line.front() == '-';
    } else {
      if (!kept.empty()) kept += '\n';
      kept.append(line);
    }
    at = end + 1;
  }
  std::vector<std::int64_t> codes = error.ErrorCodes();
  if (traceGone)
    for (auto c = codes.begin(); c != codes.end(); ++c)
      if (*c == isc_stack_trace) {
        codes.erase(c);
        break;
      }
  return EFirebirdError(AnsiString(std::move(kept)), std::move(codes), error.SqlState());
}

}  // namespace morvanta::fb::detail
