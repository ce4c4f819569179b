#include "morvanta/platform/firebird/detail/WritePipeline.h"

#include <algorithm>
#include <cstring>

#include "morvanta/platform/firebird/detail/InputMessage.h"
#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/firebird/StatementLiterals.h"

namespace morvanta::fb::detail {

namespace {

// What one block may hold. Firebird 3 takes 32767 parameters a request, and texts of a few
// megabytes and messages of several were taken in trials; contexts (256 a request) do not add up,
// since each statement is compiled in a sub-procedure of its own. But the server's preparation of
// a block grows with its parameters times their references (8 ms for 360, 31 ms for 1500, 394 ms
// for 6000 on the local server), and its run beyond a thousand statements faster than their
// number: blocks stay where both grow in step with their size. A message of a megabyte crosses a
// store's link in about a second, against the 40 ms of a round trip: larger ones gain nothing.
constexpr std::size_t kMaxStatements = 250;
constexpr std::size_t kMaxParameters = 750;
constexpr std::size_t kMaxText = 1024 * 1024;
constexpr std::size_t kMaxMessage = 1024 * 1024;
// What each statement and each parameter add to the block's text beyond the statement itself
// (its call, its row, its declarations in the block and in its sub-procedure).
constexpr std::size_t kTextPerStatement = 96;
constexpr std::size_t kTextPerParameter = 64;

// The places of the '?' markers of a statement, outside quoted texts and comments; not usable when
// the statement has a ';' of its own, a RETURNING clause or an unclosed quote or comment (it
// could not stand in a block).
struct Markers {
  bool usable = true;
  std::vector<std::size_t> at;
};

Markers FindMarkers(const std::string& text) {
  Markers markers;
  const std::string_view view(text);
  for (std::size_t i = 0; i < view.size();) {
    const SqlSpan span = SqlSpanAt(view, i);
    if (!span.closed) return {false, {}};
    if (span.kind == SqlSpanKind::Plain) {
      const char c = view[i];
      if (c == '?') markers.at.push_back(i);
      if (c == ';') return {false, {}};
      if (SqlIsWordChar(c)) {
        const AnsiString word = SqlUpperWordAt(view, i);
        if (word == "RETURNING") return {false, {}};
        i += word.size();
        continue;
      }
    }
    i = span.end;
  }
  return markers;
}

// The declaration of a block parameter that takes field `i` of the message unchanged; empty for
// a type the pipeline does not carry.
std::string Declaration(Firebird::IMessageMetadata* metadata, unsigned i) {
  Status status;
  switch (metadata->getType(&status, i) & ~1u) {
    case SQL_VARYING:
      if (metadata->getCharSet(&status, i) != 0) return {};  // NONE only: bytes pass as they are
      return "VARCHAR(" + std::to_string(std::max(1u, metadata->getLength(&status, i))) + ") CHARACTER SET NONE";
    case SQL_INT64:
      return metadata->getScale(&status, i) == 0 ? "BIGINT" : std::string();
    case SQL_DOUBLE:
      return "DOUBLE PRECISION";
    case SQL_TIMESTAMP:
      return "TIMESTAMP";
    case SQL_BOOLEAN:
      return "BOOLEAN";
    case SQL_BLOB:
      return metadata->getSubType(&status, i) == 0 ? "BLOB SUB_TYPE BINARY" : std::string();
    default:
      return {};
  }
}

// The statement with its string literals as markers; a statement with none to take out (or whose
// literals must stay in it) as it is, each marker one of its own parameters.
LiteralParameters SharedText(const std::string& text) {
  LiteralParameters shared = ParameterizeLiterals(text);
  if (shared.Usable()) return shared;
  shared.text = text;
  shared.markers.assign(FindMarkers(text).at.size(), -1);
  return shared;
}

unsigned FieldCount(const MetadataRef& metadata) {
  if (!metadata) return 0;
  Status status;
  return metadata->getCount(&status);
}

BatchTemplate::Value ValueOf(Firebird::IMessageMetadata* m, unsigned i, const unsigned char* buffer) {
  Status status;
  short null;
  std::memcpy(&null, buffer + m->getNullOffset(&status, i), sizeof null);
  return {m->getType(&status, i) & ~1u,     m->getLength(&status, i),  m->getScale(&status, i),
          m->getSubType(&status, i),        m->getCharSet(&status, i), null != 0,
          buffer + m->getOffset(&status, i)};
}

}  // namespace

WritePipeline::WritePipeline(Firebird::IAttachment* attachment, unsigned dialect, DriverCounts& counts)
    : attachment_(attachment), dialect_(dialect), counts_(counts) {}

WritePipeline::~WritePipeline() = default;

bool WritePipeline::Batchable(const std::string& text, const InputMessage& input) {
  const AnsiString word = SqlUpperWordAt(text, SqlSkipBlanksAndComments(text, 0));
  if (word != "INSERT" && word != "UPDATE" && word != "DELETE") return false;
  const Markers markers = FindMarkers(text);
  Firebird::IMessageMetadata* metadata = input.Metadata();
  Status status;
  const unsigned count = metadata ? metadata->getCount(&status) : 0;
  if (!markers.usable || markers.at.size() != count) return false;
  for (unsigned i = 0; i < count; ++i)
    if (Declaration(metadata, i).empty()) return false;
  return true;
}

void WritePipeline::Queue(const void* owner, HeldWriteRaiser raise, std::string text, InputMessage& input) {
  Entry entry{owner, std::move(raise), std::move(text), {}, {}, {}, {}};
  if (Firebird::IMessageMetadata* metadata = input.Metadata()) {
    metadata->addRef();
    entry.metadata = MetadataRef(metadata);
    Status status;
    entry.buffer.assign(input.Buffer(), input.Buffer() + metadata->getMessageLength(&status));
  }
  entry.shared = SharedText(entry.text);
  entry.cost = CostOf(entry);
  entries_.push_back(std::move(entry));
}

bool WritePipeline::HoldsOthersThan(const void* owner) const {
  return std::any_of(entries_.begin(), entries_.end(), [owner](const Entry& e) { return e.owner != owner; });
}

WritePipeline::Cost WritePipeline::CostOf(const std::string& text, std::size_t parameters, std::size_t messageBytes) {
  return {parameters, text.size() + kTextPerStatement + kTextPerParameter * parameters, messageBytes + 8 * parameters};
}

// An entry's literals become parameters of the block: they count as parameters, and their bytes
// travel in the message.
WritePipeline::Cost WritePipeline::CostOf(const Entry& entry) {
  std::size_t literalBytes = 0;
  for (const std::string& literal : entry.shared.literals) literalBytes += literal.size() + 2;
  return CostOf(entry.shared.text, entry.shared.markers.size(), entry.buffer.size() + literalBytes);
}

// The end of the batch that starts at `from`: as many entries as the limits of one block take.
std::size_t WritePipeline::BatchEnd(std::size_t from) const {
  Cost total;
  std::size_t end = from;
  for (; end < entries_.size() && end - from < kMaxStatements; ++end) {
    const Cost& c = entries_[end].cost;
    const bool fits = total.parameters + c.parameters <= kMaxParameters && total.text + c.text <= kMaxText &&
                      total.message + c.message <= kMaxMessage;
    if (end > from && !fits) break;
    total = {total.parameters + c.parameters, total.text + c.text, total.message + c.message};
  }
  return end;
}

bool WritePipeline::Full() const { return BatchEnd(0) < entries_.size(); }

void WritePipeline::FlushFull(Firebird::ITransaction* transaction, const void* caller) {
  for (std::size_t end = BatchEnd(0); end < entries_.size(); end = BatchEnd(0)) {
    RunBatch(transaction, 0, end, caller);
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(end));
  }
}

void WritePipeline::Flush(Firebird::ITransaction* transaction, const void* caller) {
  while (!entries_.empty()) {
    const std::size_t end = BatchEnd(0);
    RunBatch(transaction, 0, end, caller);
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(end));
  }
}

std::optional<std::int64_t> WritePipeline::RunLastAlone(Firebird::ITransaction* transaction, const void* owner) {
  auto last = std::find_if(entries_.rbegin(), entries_.rend(), [owner](const Entry& e) { return e.owner == owner; });
  if (last == entries_.rend()) return std::nullopt;
  const auto at = static_cast<std::ptrdiff_t>(entries_.size()) - 1 - (last - entries_.rbegin());
  std::vector<Entry> after(std::make_move_iterator(entries_.begin() + at + 1), std::make_move_iterator(entries_.end()));
  Entry alone = std::move(entries_[static_cast<std::size_t>(at)]);
  entries_.resize(static_cast<std::size_t>(at));
  Flush(transaction, owner);  // a failure drops `after` with everything else
  Status status;
  StatementHandle statement(attachment_->prepare(&status, transaction, static_cast<unsigned>(alone.text.size()),
                                                 alone.text.data(), dialect_, 0));
  statement->execute(&status, transaction, alone.metadata.Get(), alone.buffer.empty() ? nullptr : alone.buffer.data(),
                     nullptr, nullptr);
  const auto count = static_cast<std::int64_t>(statement->getAffectedRecords(&status));
  ++counts_.writesAloneCounted;
  entries_ = std::move(after);
  return count;
}

void WritePipeline::RunOne(Firebird::ITransaction* transaction, const Entry& entry) {
  Status status;
  attachment_->execute(
      &status, transaction, static_cast<unsigned>(entry.text.size()), entry.text.data(), dialect_, entry.metadata.Get(),
      entry.buffer.empty() ? nullptr : const_cast<unsigned char*>(entry.buffer.data()), nullptr, nullptr);
}

void WritePipeline::Fail(std::size_t at, const EFirebirdError& error, const void* caller) {
  const void* owner = entries_[at].owner;
  const HeldWriteRaiser raise = entries_[at].raise;
  entries_.clear();
  if (raise && owner != caller) (*raise)(error);
  throw error;
}

void WritePipeline::RunBatch(Firebird::ITransaction* transaction, std::size_t from, std::size_t end,
                             const void* caller) {
  if (end - from == 1) {
    ++counts_.writesAloneSingle;
    try {
      RunOne(transaction, entries_[from]);
    } catch (const EFirebirdError& error) {
      Fail(from, error, caller);
    }
    return;
  }
  const std::optional<BatchTemplate::Outcome> outcome = RunBlock(transaction, from, end);
  if (!outcome) {
    // Nothing ran: the halves go as blocks of their own.
    const std::size_t middle = from + (end - from) / 2;
    RunBatch(transaction, from, middle, caller);
    RunBatch(transaction, middle, end, caller);
    return;
  }
  ++counts_.writeBatches;
  counts_.batchedStatements += static_cast<std::int64_t>(outcome->ran);
  if (outcome->error) Fail(from + outcome->ran, *outcome->error, caller);
  if (outcome->ran != end - from)
    Fail(from + outcome->ran, EFirebirdError("A batch of writes ended before its last statement"), caller);
}

std::optional<BatchTemplate::Outcome> WritePipeline::RunBlock(Firebird::ITransaction* transaction, std::size_t from,
                                                              std::size_t end) {
  const std::size_t count = end - from;
  Shape shape;
  if (OneShape(transaction, from, end, shape)) {
    BatchTemplate* prepared = TemplateFor(transaction, shape, count);
    if (!prepared) return std::nullopt;
    return prepared->Run(transaction, count, shape.values);
  }
  std::vector<std::string> statements, declarations;
  std::vector<BatchTemplate::Value> values;
  for (std::size_t e = from; e < end; ++e) {
    statements.push_back(entries_[e].text);
    AddValues(entries_[e], declarations, values);
  }
  std::optional<BatchTemplate> block;
  try {
    block.emplace(attachment_, transaction, dialect_, BatchTemplate::BlockText(statements, declarations, false),
                  static_cast<unsigned>(count), 0, false);
  } catch (const EFirebirdError&) {
    ++counts_.blockRefusals;
    return std::nullopt;
  }
  return block->Run(transaction, count, values);
}

void WritePipeline::AddValues(const Entry& entry, std::vector<std::string>& declarations,
                              std::vector<BatchTemplate::Value>& values) const {
  Firebird::IMessageMetadata* m = entry.metadata.Get();
  for (unsigned i = 0; i < FieldCount(entry.metadata); ++i) {
    declarations.push_back(Declaration(m, i));
    values.push_back(ValueOf(m, i, entry.buffer.data()));
  }
}

bool WritePipeline::OneShape(Firebird::ITransaction* transaction, std::size_t from, std::size_t end, Shape& shape) {
  shape.text = entries_[from].shared.text;
  const std::vector<bool>& blobPlaces = BlobPlaces(transaction, shape.text);
  for (std::size_t e = from; e < end; ++e)
    if (!AddExecution(entries_[e], blobPlaces, shape)) return false;
  return true;
}

// Adds the values of `entry` to `shape`, when it is the shape's statement with the same
// declarations: a literal as a text of no character set (as the literal reads in the statement's
// text), a blob place given bytes as a binary blob (the server makes the blob of the bytes, as it
// does when the statement runs by itself), any other parameter as its message carries it.
bool WritePipeline::AddExecution(const Entry& entry, const std::vector<bool>& blobPlaces, Shape& shape) const {
  const LiteralParameters& shared = entry.shared;
  if (shared.text != shape.text || (!blobPlaces.empty() && blobPlaces.size() != shared.markers.size())) return false;
  const bool first = shape.declarations.empty() && shape.values.empty();
  Firebird::IMessageMetadata* m = entry.metadata.Get();
  Status status;
  unsigned field = 0;
  for (std::size_t place = 0; place < shared.markers.size(); ++place) {
    std::string declaration;
    BatchTemplate::Value value{};
    if (shared.markers[place] >= 0) {
      const std::string& literal = shared.literals[static_cast<std::size_t>(shared.markers[place])];
      if (literal.size() > kMaxInlineBlob) return false;
      const unsigned slot = TextSlotLength(literal.size());
      std::string& bytes = shape.literals.emplace_back(slot + 2, '\0');
      const auto length = static_cast<std::uint16_t>(literal.size());
      std::memcpy(bytes.data(), &length, sizeof length);
      std::memcpy(bytes.data() + 2, literal.data(), literal.size());
      value = {SQL_VARYING, slot, 0, 0, 0, false, reinterpret_cast<const unsigned char*>(bytes.data())};
      declaration = "VARCHAR(" + std::to_string(slot) + ") CHARACTER SET NONE";
    } else {
      if (!m || field >= m->getCount(&status)) return false;
      const unsigned i = field++;
      value = ValueOf(m, i, entry.buffer.data());
      const bool bytes =
          (value.type == SQL_VARYING && value.charSet == 0) || (value.type == SQL_BLOB && value.subType == 0);
      declaration = !blobPlaces.empty() && blobPlaces[place] && bytes ? "BLOB SUB_TYPE BINARY" : Declaration(m, i);
    }
    if (first) shape.declarations.push_back(declaration);
    else if (shape.declarations[place] != declaration) return false;
    shape.values.push_back(value);
  }
  return !m || field == m->getCount(&status);
}

const std::vector<bool>& WritePipeline::BlobPlaces(Firebird::ITransaction* transaction, const std::string& text) {
  if (auto found = blobPlaces_.find(text); found != blobPlaces_.end()) return found->second;
  if (blobPlaces_.size() >= kBlobPlaceTexts) blobPlaces_.clear();
  std::vector<bool>& places = blobPlaces_[text];
  try {
    Status status;
    StatementHandle statement(attachment_->prepare(&status, transaction, static_cast<unsigned>(text.size()),
                                                   text.data(), dialect_,
                                                   Firebird::IStatement::PREPARE_PREFETCH_INPUT_PARAMETERS));
    MetadataRef input(statement->getInputMetadata(&status));
    for (unsigned i = 0; i < input->getCount(&status); ++i)
      places.push_back((input->getType(&status, i) & ~1u) == SQL_BLOB);
  } catch (const Exception&) {
    places.clear();  // the statement's own run will tell what is wrong with it
  }
  return places;
}

// The prepared block for batches of `shape`'s statement and declarations: as many copies of the
// statement as one block takes (fewer once the server refused that many), or nullptr when the
// server will not take `executions` of them.
BatchTemplate* WritePipeline::TemplateFor(Firebird::ITransaction* transaction, const Shape& shape,
                                          std::size_t executions) {
  const Cost c = CostOf(shape.text, shape.declarations.size(), 0);
  std::size_t capacity =
      std::min({kMaxStatements, kMaxParameters / std::max<std::size_t>(1, c.parameters), kMaxText / c.text});
  if (auto refused = refusedCapacity_.find(shape.text); refused != refusedCapacity_.end())
    capacity = std::min<std::size_t>(capacity, refused->second - 1);
  if (executions > capacity) return nullptr;
  const auto fields = static_cast<unsigned>(shape.declarations.size());
  std::vector<std::string> declarations;
  declarations.reserve(capacity * fields);
  for (std::size_t e = 0; e < capacity; ++e)
    declarations.insert(declarations.end(), shape.declarations.begin(), shape.declarations.end());
  const std::string text = BatchTemplate::BlockText(std::vector<std::string>(capacity, shape.text), declarations, true);
  for (auto t = templates_.begin(); t != templates_.end(); ++t)
    if (t->Text() == text) {
      templates_.splice(templates_.begin(), templates_, t);
      return &templates_.front();
    }
  try {
    templates_.emplace_front(attachment_, transaction, dialect_, text, static_cast<unsigned>(capacity), fields, true);
  } catch (const EFirebirdError&) {
    ++counts_.blockRefusals;
    refusedCapacity_[shape.text] = static_cast<unsigned>(capacity);
    return nullptr;
  }
  if (templates_.size() > kTemplates) templates_.pop_back();
  return &templates_.front();
}

}  // namespace morvanta::fb::detail
