#include "morvanta/platform/firebird/detail/BulkBlobReader.h"

#include <cstring>

namespace morvanta::fb::detail {

namespace {

// The longest piece of a blob one output row carries (a string of the block holds up to 32765
// bytes; longer rows mean fewer fetches for long blobs).
constexpr unsigned kPiece = 32000;
// Each blob in the stream: its length + 1 (0 for null) in this many digits, then its bytes.
constexpr unsigned kHeader = 11;

}  // namespace

std::string BulkBlobReader::BlockText(unsigned count) {
  std::string text = "EXECUTE BLOCK (";
  for (unsigned i = 0; i < count; ++i) text += (i ? ", B" : "B") + std::to_string(i) + " BLOB SUB_TYPE BINARY = ?";
  const std::string piece = std::to_string(kPiece), header = std::to_string(kHeader);
  text += ")\nRETURNS (D VARCHAR(" + piece +
          ") CHARACTER SET OCTETS)\nAS\n"
          "DECLARE I INTEGER = 0;\nDECLARE L INTEGER;\nDECLARE P INTEGER;\nDECLARE T INTEGER;\n"
          "DECLARE B BLOB SUB_TYPE BINARY;\nBEGIN\n  D = '';\n  WHILE (I < " +
          std::to_string(count) + ") DO\n  BEGIN\n    B = CASE I";
  for (unsigned i = 0; i < count; ++i) text += " WHEN " + std::to_string(i) + " THEN :B" + std::to_string(i);
  text +=
      " END;\n"
      "    L = CASE WHEN B IS NULL THEN -1 ELSE OCTET_LENGTH(B) END;\n"
      "    IF (OCTET_LENGTH(D) + " +
      header + " > " + piece +
      ") THEN BEGIN SUSPEND; D = ''; END\n"
      "    D = D || LPAD(L + 1, " +
      header +
      ", '0');\n"
      "    P = 1;\n"
      "    WHILE (P <= L) DO\n    BEGIN\n"
      "      T = " +
      piece +
      " - OCTET_LENGTH(D);\n"
      "      IF (T = 0) THEN BEGIN SUSPEND; D = ''; T = " +
      piece +
      "; END\n"
      "      IF (T > L - P + 1) THEN T = L - P + 1;\n"
      "      D = D || CAST(SUBSTRING(B FROM P FOR T) AS VARCHAR(" +
      piece +
      ") CHARACTER SET OCTETS);\n"
      "      P = P + T;\n    END\n    I = I + 1;\n  END\n"
      "  IF (OCTET_LENGTH(D) > 0) THEN SUSPEND;\nEND";
  return text;
}

BulkBlobReader::BulkBlobReader(FbRef<Firebird::IAttachment> attachment, unsigned dialect, DriverCounts& counts)
    : attachment_(std::move(attachment)), dialect_(dialect), counts_(counts) {}

BulkBlobReader::~BulkBlobReader() = default;

bool BulkBlobReader::Prepare(Firebird::ITransaction* transaction) {
  if (statement_) return true;
  if (refused_) return false;
  try {
    Status status;
    const std::string text = BlockText(kBatch);
    statement_ =
        StatementHandle(attachment_->prepare(&status, transaction, static_cast<unsigned>(text.size()), text.data(),
                                             dialect_, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    input_ = MetadataRef(statement_->getInputMetadata(&status));
    output_ = MetadataRef(statement_->getOutputMetadata(&status));
    inBuffer_.assign(input_->getMessageLength(&status), 0);
    outBuffer_.assign(output_->getMessageLength(&status), 0);
    return true;
  } catch (const Exception&) {
    statement_.Free();
    refused_ = true;
    return false;
  }
}

void BulkBlobReader::Read(Firebird::ITransaction* transaction, const std::vector<ISC_QUAD>& ids,
                          std::vector<std::optional<std::string>>& out) {
  out.assign(ids.size(), std::nullopt);
  if (ids.empty() || !Prepare(transaction)) return;
  for (std::size_t at = 0; at < ids.size(); at += kBatch) {
    const unsigned count = static_cast<unsigned>(std::min<std::size_t>(kBatch, ids.size() - at));
    // A batch that failed (a link that dropped) leaves its values to the one-by-one read, whose
    // errors then belong to each value.
    if (!ReadBatch(transaction, ids.data() + at, count, out.data() + at)) return;
  }
}

bool BulkBlobReader::ReadBatch(Firebird::ITransaction* transaction, const ISC_QUAD* ids, unsigned count,
                               std::optional<std::string>* out) {
  std::string stream;
  try {
    Status status;
    for (unsigned i = 0; i < kBatch; ++i) {
      const short null = i < count ? 0 : -1;
      std::memcpy(inBuffer_.data() + input_->getNullOffset(&status, i), &null, sizeof null);
      if (i < count) std::memcpy(inBuffer_.data() + input_->getOffset(&status, i), &ids[i], sizeof(ISC_QUAD));
    }
    const unsigned offset = output_->getOffset(&status, 0);
    ResultSetHandle rows(
        statement_->openCursor(&status, transaction, input_.Get(), inBuffer_.data(), output_.Get(), 0));
    while (rows->fetchNext(&status, outBuffer_.data()) == Firebird::IStatus::RESULT_OK) {
      std::uint16_t length;
      std::memcpy(&length, outBuffer_.data() + offset, sizeof length);
      stream.append(reinterpret_cast<const char*>(outBuffer_.data() + offset + sizeof length), length);
    }
    rows.Close();
  } catch (const Exception&) {
    return false;
  }
  // Parse: every blob of the batch, in order, each with its header.
  std::vector<std::optional<std::string>> values(count);
  std::size_t at = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (stream.size() - at < kHeader) return true;
    std::size_t length = 0;
    for (unsigned d = 0; d < kHeader; ++d) {
      const char c = stream[at + d];
      if (c < '0' || c > '9') return true;
      length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    at += kHeader;
    if (length == 0 || stream.size() - at < length - 1) return true;  // a null never comes from an id
    values[i] = stream.substr(at, length - 1);
    at += length - 1;
  }
  // The block runs over every place of a full batch: the places past `count` are nulls.
  if (stream.size() - at != std::size_t{kHeader} * (kBatch - count) ||
      stream.find_first_not_of('0', at) != std::string::npos)
    return true;
  for (unsigned i = 0; i < count; ++i) out[i] = std::move(values[i]);
  ++counts_.bulkReads;
  counts_.bulkBlobs += count;
  return true;
}

}  // namespace morvanta::fb::detail
