#include "tests/support/StoreDatabase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "morvanta/platform/firebird/ConnectionSettings.h"
#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/detail/SharedTransaction.h"

using namespace morvanta;

namespace storedb {

namespace {

using testdb::TestDatabase;

constexpr unsigned kMaxSegment = 65535;
constexpr unsigned kMaxVarying = 32000;

// One attachment with one transaction, rolled back unless committed.
class Session {
 public:
  explicit Session(const TestDatabase& db) : dialect_(db.Dialect()) {
    fb::ConnectionSettings settings;
    settings.database = ToSystem(db.Database());
    settings.userName = ToSystem(db.UserName());
    settings.password = ToSystem(db.Password());
    settings.dialect = db.Dialect();
    const std::vector<unsigned char> dpb = fb::BuildDpb(settings);
    fb::detail::Status status;
    fb::detail::ProviderRef provider(fb::detail::Master()->getDispatcher());
    attachment_ = fb::detail::Attachment(
        provider->attachDatabase(&status, settings.database.c_str(), static_cast<unsigned>(dpb.size()), dpb.data()));
    transaction_ = std::make_unique<fb::detail::SharedTransaction>(attachment_->startTransaction(&status, 0, nullptr),
                                                                   fb::detail::SharedTransaction::EndAction::Rollback);
  }
  ~Session() {
    transaction_.reset();
    attachment_ = fb::detail::Attachment();
  }

  Firebird::IAttachment* Attachment() const { return attachment_.Get(); }
  Firebird::ITransaction* Transaction() const { return transaction_->Get(); }
  unsigned Dialect() const { return dialect_; }
  void Commit() { transaction_->Commit(); }

  fb::detail::StatementHandle Prepare(const std::string& sql) const {
    fb::detail::Status status;
    return fb::detail::StatementHandle(attachment_->prepare(&status, Transaction(), static_cast<unsigned>(sql.size()),
                                                            sql.data(), dialect_,
                                                            Firebird::IStatement::PREPARE_PREFETCH_METADATA));
  }

  ISC_QUAD WriteBlob(const std::string& data) const {
    fb::detail::Status status;
    ISC_QUAD id{};
    fb::detail::BlobHandle blob(attachment_->createBlob(&status, Transaction(), &id, 0, nullptr), true);
    for (std::size_t at = 0; at < data.size(); at += kMaxSegment) {
      const std::size_t length = std::min<std::size_t>(kMaxSegment, data.size() - at);
      blob->putSegment(&status, static_cast<unsigned>(length), data.data() + at);
    }
    blob.Close();
    return id;
  }

  std::string ReadBlob(ISC_QUAD id) const {
    fb::detail::Status status;
    fb::detail::BlobHandle blob(attachment_->openBlob(&status, Transaction(), &id, 0, nullptr), false);
    std::string out;
    std::vector<char> segment(kMaxSegment);
    for (;;) {
      unsigned got = 0;
      const int result = blob->getSegment(&status, kMaxSegment, segment.data(), &got);
      if (result != Firebird::IStatus::RESULT_OK && result != Firebird::IStatus::RESULT_SEGMENT) break;
      out.append(segment.data(), got);
    }
    blob.Close();
    return out;
  }

 private:
  unsigned dialect_;
  fb::detail::Attachment attachment_;
  std::unique_ptr<fb::detail::SharedTransaction> transaction_;
};

// An input message of nullable columns, laid out once, filled row by row.
class InputRow {
 public:
  struct Type {
    unsigned sqlType;
    unsigned length;
  };
  explicit InputRow(const std::vector<Type>& types) {
    fb::detail::Status status;
    fb::detail::MetadataBuilderRef builder(
        fb::detail::Master()->getMetadataBuilder(&status, static_cast<unsigned>(types.size())));
    for (unsigned i = 0; i < types.size(); ++i) {
      builder->setType(&status, i, types[i].sqlType | 1u);
      builder->setLength(&status, i, types[i].length);
      builder->setScale(&status, i, 0);
      if (types[i].sqlType == SQL_VARYING) builder->setCharSet(&status, i, 0);  // NONE: bytes as they are
      else builder->setSubType(&status, i, 0);
    }
    metadata_ = fb::detail::MetadataRef(builder->getMetadata(&status));
    buffer_.assign(metadata_->getMessageLength(&status), 0);
  }
  Firebird::IMessageMetadata* Metadata() const { return metadata_.Get(); }
  unsigned char* Buffer() { return buffer_.data(); }

  void SetNull(unsigned index) { SetNullFlag(index, true); }
  void SetInteger(unsigned index, std::int32_t value) {
    SetNullFlag(index, false);
    std::memcpy(At(index), &value, sizeof value);
  }
  void SetText(unsigned index, const OptionalText& text) {
    if (!text) return SetNull(index);
    if (text->size() > kMaxVarying) throw std::length_error("text too long for the test's input message");
    SetNullFlag(index, false);
    const auto length = static_cast<std::uint16_t>(text->size());
    std::memcpy(At(index), &length, sizeof length);
    std::memcpy(At(index) + sizeof length, text->data(), text->size());
  }
  void SetBlob(unsigned index, ISC_QUAD id) {
    SetNullFlag(index, false);
    std::memcpy(At(index), &id, sizeof id);
  }

 private:
  unsigned char* At(unsigned index) {
    fb::detail::Status status;
    return buffer_.data() + metadata_->getOffset(&status, index);
  }
  void SetNullFlag(unsigned index, bool null) {
    fb::detail::Status status;
    const short flag = null ? -1 : 0;
    std::memcpy(buffer_.data() + metadata_->getNullOffset(&status, index), &flag, sizeof flag);
  }

  fb::detail::MetadataRef metadata_;
  std::vector<unsigned char> buffer_;
};

// Runs a select and hands every row's columns, decoded as text or integer, to `visit`.
class ResultRows {
 public:
  ResultRows(const Session& session, const std::string& sql) : session_(session), statement_(session.Prepare(sql)) {
    fb::detail::Status status;
    metadata_ = fb::detail::MetadataRef(statement_->getOutputMetadata(&status));
    buffer_.assign(metadata_->getMessageLength(&status), 0);
    rows_ = fb::detail::ResultSetHandle(
        statement_->openCursor(&status, session.Transaction(), nullptr, nullptr, metadata_.Get(), 0));
  }
  ~ResultRows() { rows_.Close(); }

  bool Next() {
    fb::detail::Status status;
    return rows_->fetchNext(&status, buffer_.data()) == Firebird::IStatus::RESULT_OK;
  }
  std::int32_t Integer(unsigned index) const {
    fb::detail::Status status;
    if (metadata_->getType(&status, index) != SQL_LONG) throw std::logic_error("not an INTEGER column");
    std::int32_t value = 0;
    std::memcpy(&value, buffer_.data() + metadata_->getOffset(&status, index), sizeof value);
    return value;
  }
  OptionalText Text(unsigned index) const {
    fb::detail::Status status;
    short null = 0;
    std::memcpy(&null, buffer_.data() + metadata_->getNullOffset(&status, index), sizeof null);
    if (null) return std::nullopt;
    const unsigned char* at = buffer_.data() + metadata_->getOffset(&status, index);
    switch (metadata_->getType(&status, index)) {
      case SQL_TEXT:
        return AnsiString(reinterpret_cast<const char*>(at), metadata_->getLength(&status, index));
      case SQL_VARYING: {
        std::uint16_t length = 0;
        std::memcpy(&length, at, sizeof length);
        return AnsiString(reinterpret_cast<const char*>(at) + sizeof length, length);
      }
      case SQL_BLOB: {
        ISC_QUAD id{};
        std::memcpy(&id, at, sizeof id);
        return AnsiString(session_.ReadBlob(id));
      }
      default:
        throw std::logic_error("not a text column");
    }
  }

 private:
  const Session& session_;
  fb::detail::StatementHandle statement_;
  fb::detail::MetadataRef metadata_;
  std::vector<unsigned char> buffer_;
  fb::detail::ResultSetHandle rows_;
};

void Execute(const Session& session, const std::string& sql, InputRow& row) {
  fb::detail::Status status;
  fb::detail::StatementHandle statement = session.Prepare(sql);
  statement->execute(&status, session.Transaction(), row.Metadata(), row.Buffer(), nullptr, nullptr);
}

AnsiString Literal(const OptionalText& text) {
  return text ? "'" + ReplaceAll(*text, "'", "''") + "'" : AnsiString("NULL");
}

void PrintText(const OptionalText& text, std::ostream* out) {
  if (!text) {
    *out << "null";
    return;
  }
  constexpr std::size_t kShown = 60;
  *out << '"';
  for (std::size_t i = 0; i < std::min(text->size(), kShown); ++i) {
    const auto c = static_cast<unsigned char>((*text)[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      *out << static_cast<char>(c);
    } else {
      static const char* hex = "0123456789ABCDEF";
      *out << "\\x" << hex[c >> 4] << hex[c & 15];
    }
  }
  if (text->size() > kShown) *out << "...";
  *out << "\" (" << text->size() << " bytes)";
}

}  // namespace

void CreateStoreTables(const TestDatabase& db, TempColumn temp) {
  db.Execute(
      "CREATE TABLE fatcppedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, cpe_status CHAR(1), "
      "PRIMARY KEY (lja_codigo, cpe_codigo))");
  db.Execute(
      "CREATE TABLE fatobservpedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, "
      "obs_observ BLOB SUB_TYPE TEXT, obs_temp " +
      AnsiString(temp == TempColumn::TextBlob ? "BLOB SUB_TYPE TEXT" : "VARCHAR(4000)") +
      ", PRIMARY KEY (lja_codigo, cpe_codigo))");
}

void InsertOrders(const TestDatabase& db, const std::vector<Order>& orders) {
  Session session(db);
  InputRow row({{SQL_LONG, 4}, {SQL_LONG, 4}, {SQL_VARYING, 16}});
  for (const Order& order : orders) {
    row.SetInteger(0, order.lja);
    row.SetInteger(1, order.cpe);
    row.SetText(2, order.status);
    Execute(session, "INSERT INTO fatcppedido (lja_codigo, cpe_codigo, cpe_status) VALUES (?, ?, ?)", row);
  }
  session.Commit();
}

void InsertObservations(const TestDatabase& db, const std::vector<Observation>& observations) {
  Session session(db);
  InputRow row({{SQL_LONG, 4}, {SQL_LONG, 4}, {SQL_BLOB, sizeof(ISC_QUAD)}, {SQL_VARYING, kMaxVarying}});
  for (const Observation& observation : observations) {
    row.SetInteger(0, observation.lja);
    row.SetInteger(1, observation.cpe);
    if (observation.observ) row.SetBlob(2, session.WriteBlob(*observation.observ));
    else row.SetNull(2);
    row.SetText(3, observation.temp);
    Execute(session, "INSERT INTO fatobservpedido (lja_codigo, cpe_codigo, obs_observ, obs_temp) VALUES (?, ?, ?, ?)",
            row);
  }
  session.Commit();
}

void InsertBulk(const TestDatabase& db, int lja, int firstCpe, int count, const AnsiString& status,
                const OptionalText& observPrefix, const AnsiString& tempPrefix) {
  const AnsiString observ = observPrefix ? Literal(observPrefix) + " || :i" : AnsiString("NULL");
  db.Execute("EXECUTE BLOCK AS DECLARE i INTEGER; BEGIN i = " + std::to_string(firstCpe) + "; WHILE (i < " +
             std::to_string(firstCpe + count) + ") DO BEGIN " +
             "INSERT INTO fatcppedido (lja_codigo, cpe_codigo, cpe_status) VALUES (" + std::to_string(lja) + ", :i, " +
             Literal(status).Bytes() + "); " +
             "INSERT INTO fatobservpedido (lja_codigo, cpe_codigo, obs_observ, obs_temp) VALUES (" +
             std::to_string(lja) + ", :i, " + observ.Bytes() + ", " + Literal(tempPrefix).Bytes() + " || :i); " +
             "i = i + 1; END END");
}

std::vector<Order> ReadOrders(const TestDatabase& db) {
  Session session(db);
  std::vector<Order> orders;
  ResultRows rows(session, "SELECT lja_codigo, cpe_codigo, cpe_status FROM fatcppedido ORDER BY 1, 2");
  while (rows.Next()) orders.push_back({rows.Integer(0), rows.Integer(1), rows.Text(2)});
  return orders;
}

std::vector<Observation> ReadObservations(const TestDatabase& db) {
  Session session(db);
  std::vector<Observation> observations;
  ResultRows rows(session, "SELECT lja_codigo, cpe_codigo, obs_observ, obs_temp FROM fatobservpedido ORDER BY 1, 2");
  while (rows.Next()) observations.push_back({rows.Integer(0), rows.Integer(1), rows.Text(2), rows.Text(3)});
  return observations;
}

Snapshot ReadSnapshot(const TestDatabase& db) { return {ReadOrders(db), ReadObservations(db)}; }

void PrintTo(const Order& order, std::ostream* out) {
  *out << "(" << order.lja << ", " << order.cpe << ", ";
  PrintText(order.status, out);
  *out << ")";
}

void PrintTo(const Observation& observation, std::ostream* out) {
  *out << "(" << observation.lja << ", " << observation.cpe << ", ";
  PrintText(observation.observ, out);
  *out << ", ";
  PrintText(observation.temp, out);
  *out << ")";
}

void PrintTo(const Snapshot& snapshot, std::ostream* out) {
  *out << snapshot.orders.size() << " orders, " << snapshot.observations.size() << " observations";
}

}  // namespace storedb
