#include "WritePipeline.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "InputMessage.h"
#include "StatementLiterals.h"

namespace fb {

namespace {

// The places of the '?' markers of a statement, outside quoted texts and comments; nothing when
// the statement has a ';' of its own or a RETURNING clause (it could not stand in a block).
struct Markers {
  bool usable = true;
  std::vector<std::size_t> at;
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

Markers FindMarkers(const std::string& text) {
  Markers markers;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\'' || c == '"') {
      const std::size_t end = text.find(c, i + 1);
      if (end == std::string::npos) return {false, {}};
      i = end;  // a doubled quote reopens at once: the scan goes on inside
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i = text.find("*/", i + 2);
      if (i == std::string::npos) return {false, {}};
      ++i;
    } else if (c == '?') {
      markers.at.push_back(i);
    } else if (c == ';') {
      return {false, {}};
    } else if (IsWordChar(c)) {
      std::size_t end = i;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      std::string word = text.substr(i, end - i);
      for (char& w : word) w = static_cast<char>(std::toupper(static_cast<unsigned char>(w)));
      if (word == "RETURNING") return {false, {}};
      i = end - 1;
    }
  }
  return markers;
}

std::string FirstWord(const std::string& text) {
  std::size_t i = text.find_first_not_of(" \t\r\n");
  std::string word;
  while (i < text.size() && IsWordChar(text[i]))
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
  return word;
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

// `text` with its markers replaced by the block parameters :P`first`, :P`first + 1`, ...
std::string Substituted(const std::string& text, unsigned first) {
  const Markers markers = FindMarkers(text);
  std::string out;
  std::size_t at = 0;
  for (unsigned i = 0; i < markers.at.size(); ++i) {
    out += text.substr(at, markers.at[i] - at) + ":P" + std::to_string(first + i);
    at = markers.at[i] + 1;
  }
  return out + text.substr(at);
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

}  // namespace

WritePipeline::WritePipeline(Firebird::IAttachment* attachment, unsigned dialect)
    : attachment_(attachment), dialect_(dialect) {}

WritePipeline::~WritePipeline() = default;

bool WritePipeline::Batchable(const std::string& text, const InputMessage& input) {
  const std::string word = FirstWord(text);
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

void WritePipeline::Queue(const void* owner, std::string text, InputMessage& input) {
  Entry entry{owner, std::move(text), {}, {}};
  if (Firebird::IMessageMetadata* metadata = input.Metadata()) {
    metadata->addRef();
    entry.metadata = MetadataRef(metadata);
    Status status;
    entry.buffer.assign(input.Buffer(), input.Buffer() + metadata->getMessageLength(&status));
  }
  entries_.push_back(std::move(entry));
}

std::size_t WritePipeline::BatchEnd() const {
  std::size_t text = 0, message = 0, end = 0;
  for (; end < entries_.size() && end < kMaxBatchStatements; ++end) {
    const Entry& e = entries_[end];
    // Each parameter adds its declaration to the block's text too, each statement its handler.
    const std::size_t addText = e.text.size() + 64 * FieldCount(e.metadata) + 64;
    if (end > 0 && (text + addText > kMaxBatchText || message + e.buffer.size() > kMaxBatchMessage)) break;
    text += addText;
    message += e.buffer.size();
  }
  return end;
}

bool WritePipeline::Full() const { return BatchEnd() < entries_.size() || entries_.size() >= kMaxBatchStatements; }

void WritePipeline::Flush(Firebird::ITransaction* transaction) {
  while (!entries_.empty()) {
    const std::size_t count = BatchEnd();
    RunBatch(transaction, 0, count);
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(count));
  }
}

std::int64_t WritePipeline::RunLastAlone(Firebird::ITransaction* transaction) {
  Entry last = std::move(entries_.back());
  entries_.pop_back();
  Flush(transaction);
  Status status;
  StatementHandle statement(attachment_->prepare(&status, transaction, static_cast<unsigned>(last.text.size()),
                                                 last.text.data(), dialect_, 0));
  statement->execute(&status, transaction, last.metadata.Get(), last.buffer.empty() ? nullptr : last.buffer.data(),
                     nullptr, nullptr);
  const auto count = static_cast<std::int64_t>(statement->getAffectedRecords(&status));
  statement.Free();
  return count;
}

void WritePipeline::RunOne(Firebird::ITransaction* transaction, const Entry& entry) {
  Status status;
  attachment_->execute(
      &status, transaction, static_cast<unsigned>(entry.text.size()), entry.text.data(), dialect_, entry.metadata.Get(),
      entry.buffer.empty() ? nullptr : const_cast<unsigned char*>(entry.buffer.data()), nullptr, nullptr);
}

void WritePipeline::Replay(Firebird::ITransaction* transaction, std::size_t from, std::size_t count) {
  for (std::size_t i = from; i < count; ++i) {
    try {
      RunOne(transaction, entries_[i]);
    } catch (...) {
      entries_.clear();
      throw;
    }
  }
}

// The block of entries [from, count): each statement in a block of its own whose handler returns
// the statement's place in F and leaves, so that the statements before it stay applied and its
// own savepoint undoes the failing one. F is -1 when every statement ran. A block with outputs is
// a select for the server: it returns its one row to an execution as a singleton select does.
WritePipeline::Block WritePipeline::DescribeBlock(std::size_t from, std::size_t count) const {
  Block block;
  std::string head, body;
  unsigned total = 0;
  for (std::size_t e = from; e < count; ++e) total += FieldCount(entries_[e].metadata);
  Status status;
  MetadataBuilderRef builder;
  if (total > 0) builder = MetadataBuilderRef(Master()->getMetadataBuilder(&status, total));
  unsigned k = 0;
  for (std::size_t e = from; e < count; ++e) {
    const Entry& entry = entries_[e];
    Firebird::IMessageMetadata* m = entry.metadata.Get();
    body += "  BEGIN\n    " + Substituted(entry.text, k) + ";\n    WHEN ANY DO BEGIN F = " + std::to_string(e - from) +
            "; SUSPEND; EXIT; END\n  END\n";
    for (unsigned i = 0; i < FieldCount(entry.metadata); ++i, ++k) {
      head += (k ? ", P" : "P") + std::to_string(k) + " " + Declaration(m, i) + " = ?";
      builder->setType(&status, k, m->getType(&status, i));
      builder->setLength(&status, k, m->getLength(&status, i));
      builder->setScale(&status, k, m->getScale(&status, i));
      builder->setSubType(&status, k, m->getSubType(&status, i));
      builder->setCharSet(&status, k, m->getCharSet(&status, i));
    }
  }
  block.text = (total > 0 ? "EXECUTE BLOCK (" + head + ")\n" : std::string("EXECUTE BLOCK\n")) +
               "RETURNS (F INTEGER)\nAS\nBEGIN\n  F = -1;\n" + body + "  SUSPEND;\nEND";
  if (total > 0) {
    block.metadata = MetadataRef(builder->getMetadata(&status));
    FillBlockMessage(block, from, count);
  }
  return block;
}

void WritePipeline::FillBlockMessage(Block& block, std::size_t from, std::size_t count) const {
  Status status;
  Firebird::IMessageMetadata* target = block.metadata.Get();
  block.buffer.assign(target->getMessageLength(&status), 0);
  unsigned k = 0;
  for (std::size_t e = from; e < count; ++e) {
    Firebird::IMessageMetadata* m = entries_[e].metadata.Get();
    const unsigned char* source = entries_[e].buffer.data();
    for (unsigned i = 0; i < FieldCount(entries_[e].metadata); ++i, ++k) {
      std::memcpy(block.buffer.data() + target->getNullOffset(&status, k), source + m->getNullOffset(&status, i),
                  sizeof(short));
      std::memcpy(block.buffer.data() + target->getOffset(&status, k), source + m->getOffset(&status, i),
                  m->getLength(&status, i) + ((m->getType(&status, i) & ~1u) == SQL_VARYING ? 2 : 0));
    }
  }
}

// The one INTEGER the block returns: the place of the statement that failed, or -1.
const MetadataRef& WritePipeline::ResultMetadata() {
  if (!result_) {
    Status status;
    MetadataBuilderRef builder(Master()->getMetadataBuilder(&status, 1));
    builder->setType(&status, 0, SQL_LONG + 1);
    builder->setLength(&status, 0, sizeof(std::int32_t));
    builder->setScale(&status, 0, 0);
    result_ = MetadataRef(builder->getMetadata(&status));
  }
  return result_;
}

void WritePipeline::RunBatch(Firebird::ITransaction* transaction, std::size_t from, std::size_t count) {
  if (from >= count) return;
  if (count - from == 1) return Replay(transaction, from, count);
  std::int64_t failed = -1;
  try {
    failed = RunTemplate(transaction, from, count);
  } catch (const Exception&) {
    // The block itself failed (it would not compile, the link dropped) and undid all of its work.
    return Replay(transaction, from, count);
  }
  if (failed < 0 || static_cast<std::size_t>(failed) >= count - from) return;
  // The statements before the failing one took effect; the failing one runs again by itself to
  // raise its own error. Should it pass this time, the rest of the batch follows.
  const std::size_t at = from + static_cast<std::size_t>(failed);
  Replay(transaction, at, at + 1);
  RunBatch(transaction, at + 1, count);
}

// Runs entries [from, count) in the prepared block of their statement when they are one, in a
// block of their own otherwise; the place of the one that failed, or -1.
std::int32_t WritePipeline::RunTemplate(Firebird::ITransaction* transaction, std::size_t from, std::size_t count) {
  Shape shape;
  if (!OneShape(transaction, from, count, shape)) return RunBlock(transaction, from, count);
  BatchTemplate& prepared = TemplateFor(transaction, shape);
  if (!prepared.Usable() || count - from > prepared.Capacity()) return RunBlock(transaction, from, count);
  return prepared.Run(transaction, count - from, shape.values, ResultMetadata().Get());
}

std::int32_t WritePipeline::RunBlock(Firebird::ITransaction* transaction, std::size_t from, std::size_t count) {
  Block block = DescribeBlock(from, count);
  Status status;
  const MetadataRef& result = ResultMetadata();
  std::vector<unsigned char> out(result->getMessageLength(&status), 0);
  attachment_->execute(&status, transaction, static_cast<unsigned>(block.text.size()), block.text.data(), dialect_,
                       block.metadata.Get(), block.buffer.empty() ? nullptr : block.buffer.data(), result.Get(),
                       out.data());
  short null = 0;
  std::int32_t place = -1;
  std::memcpy(&null, out.data() + result->getNullOffset(&status, 0), sizeof null);
  std::memcpy(&place, out.data() + result->getOffset(&status, 0), sizeof place);
  return null ? -1 : place;
}

bool WritePipeline::OneShape(Firebird::ITransaction* transaction, std::size_t from, std::size_t count, Shape& shape) {
  shape.text = SharedText(entries_[from].text).text;
  const std::vector<bool>& blobPlaces = BlobPlaces(transaction, shape.text);
  for (std::size_t e = from; e < count; ++e)
    if (!AddExecution(entries_[e], blobPlaces, shape)) return false;
  return true;
}

// Adds the values of `entry` to `shape`, when it is the shape's statement with the same
// declarations: a literal as a text of no character set (as the literal reads in the statement's
// text), a blob place given bytes as a binary blob (the server makes the blob of the bytes, as it
// does when the statement runs by itself), any other parameter as its message carries it.
bool WritePipeline::AddExecution(const Entry& entry, const std::vector<bool>& blobPlaces, Shape& shape) const {
  const LiteralParameters shared = SharedText(entry.text);
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
      const unsigned type = m->getType(&status, i) & ~1u;
      short null;
      std::memcpy(&null, entry.buffer.data() + m->getNullOffset(&status, i), sizeof null);
      value = {type,
               m->getLength(&status, i),
               m->getScale(&status, i),
               m->getSubType(&status, i),
               m->getCharSet(&status, i),
               null != 0,
               entry.buffer.data() + m->getOffset(&status, i)};
      const bool bytes = (type == SQL_VARYING && value.charSet == 0) || (type == SQL_BLOB && value.subType == 0);
      declaration = !blobPlaces.empty() && blobPlaces[place] && bytes ? "BLOB SUB_TYPE BINARY" : Declaration(m, i);
    }
    if (first) {
      shape.declarations.push_back(declaration);
      const bool blob = declaration.rfind("BLOB", 0) == 0;
      shape.declaredBytes += (blob ? sizeof(ISC_QUAD) : value.length + (value.type == SQL_VARYING ? 2 : 0)) + 2;
    } else if (shape.declarations[place] != declaration) return false;
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
// statement as fit the text of a batch, each but the last followed by a stop after N.
BatchTemplate& WritePipeline::TemplateFor(Firebird::ITransaction* transaction, const Shape& shape) {
  const auto fields = static_cast<unsigned>(shape.declarations.size());
  // As many copies as fit the text of a batch, and whose declared parameters fit its message.
  const std::size_t perStatement = shape.text.size() + 50 * fields + 115;
  const auto capacity =
      static_cast<unsigned>(std::min({kMaxBatchStatements, kMaxBatchText / perStatement,
                                      kMaxBatchMessage / std::max<std::size_t>(1, shape.declaredBytes)}));
  std::string head = "EXECUTE BLOCK (N INTEGER = ?", body;
  for (unsigned e = 0; e < capacity; ++e) {
    for (unsigned i = 0; i < fields; ++i)
      head += ", P" + std::to_string(e * fields + i) + " " + shape.declarations[i] + " = ?";
    body += "  BEGIN\n    " + Substituted(shape.text, e * fields) +
            ";\n    WHEN ANY DO BEGIN F = " + std::to_string(e) + "; SUSPEND; EXIT; END\n  END\n";
    if (e + 1 < capacity) body += "  IF (N = " + std::to_string(e + 1) + ") THEN BEGIN SUSPEND; EXIT; END\n";
  }
  const std::string text = head + ")\nRETURNS (F INTEGER)\nAS\nBEGIN\n  F = -1;\n" + body + "  SUSPEND;\nEND";
  for (auto t = templates_.begin(); t != templates_.end(); ++t)
    if (t->Text() == text) {
      templates_.splice(templates_.begin(), templates_, t);
      return templates_.front();
    }
  templates_.emplace_front(attachment_, transaction, dialect_, text, capacity, fields);
  if (templates_.size() > kTemplates) templates_.pop_back();
  return templates_.front();
}

}  // namespace fb
