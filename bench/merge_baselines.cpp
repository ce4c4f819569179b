// The observation merge written directly on the Firebird client library, as baselines for the
// merge program, and the helpers its benchmark script needs.
//
//   merge_baselines literal  DATABASE USER PASSWORD   one statement text per row, keys as literals
//   merge_baselines prepared DATABASE USER PASSWORD   one UPDATE prepared once, executed per row
//   merge_baselines setbased DATABASE USER PASSWORD   one UPDATE of all the rows
//   merge_baselines digest   DATABASE USER PASSWORD   hash of every observation row
//   merge_baselines count    DATABASE USER PASSWORD   rows the merge selects and their size in bytes
//   merge_baselines exec     DATABASE USER PASSWORD STATEMENT
//   merge_baselines generate DATABASE ROWS [selected] creates the store with ROWS orders, or
//                                                     with as many as give ROWS selected rows
//
// The merges print the number of rows merged on the standard output. DATABASE is a file path
// (embedded engine) or "host:path" (server); the connection character set is NONE, dialect 3,
// so the texts travel as the code page 1252 bytes they are stored as.

#include <firebird/Interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Text.h"

using namespace Firebird;

namespace {

IMaster* Master() {
  static IMaster* master = fb_get_master_interface();
  return master;
}

// Holds a client interface and releases (or disposes of) it, unless a closing call (commit, free, close, detach)
// has already released it: after such a call succeeds, the holder is told with Closed().
template <class T>
class Handle {
 public:
  Handle() = default;
  explicit Handle(T* pointer) : pointer_(pointer) {}
  Handle(Handle&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    Reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ~Handle() { Reset(); }
  void Reset(T* pointer = nullptr) {
    if (pointer_) {
      if constexpr (requires(T * t) { t->release(); }) pointer_->release();
      else pointer_->dispose();
    }
    pointer_ = pointer;
  }
  void Closed() { pointer_ = nullptr; }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }

 private:
  T* pointer_ = nullptr;
};

class Session;

// A message buffer laid out by a statement's metadata.
class Message {
 public:
  Message(ThrowStatusWrapper& status, IMessageMetadata* metadata) : status_(status), metadata_(metadata) {
    buffer_.assign(metadata_->getMessageLength(&status_), 0);
  }
  IMessageMetadata* Metadata() const { return metadata_.get(); }
  unsigned char* Buffer() { return buffer_.data(); }

  unsigned Index(const char* field) {
    const unsigned count = metadata_->getCount(&status_);
    for (unsigned i = 0; i < count; ++i)
      if (std::strcmp(metadata_->getField(&status_, i), field) == 0) return i;
    std::fprintf(stderr, "merge_baselines: the result has no column %s\n", field);
    std::exit(1);
  }
  bool IsNull(unsigned i) {
    return *reinterpret_cast<short*>(buffer_.data() + metadata_->getNullOffset(&status_, i)) != 0;
  }
  void SetNull(unsigned i, bool null) {
    *reinterpret_cast<short*>(buffer_.data() + metadata_->getNullOffset(&status_, i)) = null ? -1 : 0;
  }
  template <class V>
  V& At(unsigned i) {
    return *reinterpret_cast<V*>(buffer_.data() + metadata_->getOffset(&status_, i));
  }
  std::string Varying(unsigned i) {
    const unsigned char* data = buffer_.data() + metadata_->getOffset(&status_, i);
    const ISC_USHORT length = *reinterpret_cast<const ISC_USHORT*>(data);
    return std::string(reinterpret_cast<const char*>(data + sizeof(ISC_USHORT)), length);
  }
  void SetVarying(unsigned i, const std::string& text) {
    unsigned char* data = buffer_.data() + metadata_->getOffset(&status_, i);
    const ISC_USHORT length = static_cast<ISC_USHORT>(text.size());
    std::memcpy(data, &length, sizeof length);
    std::memcpy(data + sizeof length, text.data(), text.size());
    SetNull(i, false);
  }

 private:
  ThrowStatusWrapper& status_;
  Handle<IMessageMetadata> metadata_;
  std::vector<unsigned char> buffer_;
};

// One attachment with its status object.
class Session {
 public:
  Session() : status_(Master()->getStatus()) {}
  ~Session() {
    attachment_.Reset();
    status_.dispose();
  }

  void Attach(const std::string& database, const std::string& user, const std::string& password) {
    Handle<IXpbBuilder> dpb(Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&status_, isc_dpb_user_name, user.c_str());
    dpb->insertString(&status_, isc_dpb_password, password.c_str());
    attachment_.Reset(Master()->getDispatcher()->attachDatabase(
        &status_, database.c_str(), dpb->getBufferLength(&status_), dpb->getBuffer(&status_)));
  }

  // A new database, owned by SYSDBA; forced writes are off so that generating a large store does
  // not wait for the disk at every page.
  void Create(const std::string& database) {
    Handle<IXpbBuilder> dpb(Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&status_, isc_dpb_user_name, "SYSDBA");
    dpb->insertInt(&status_, isc_dpb_page_size, 8192);
    dpb->insertInt(&status_, isc_dpb_sql_dialect, 3);
    dpb->insertString(&status_, isc_dpb_set_db_charset, "WIN1252");
    dpb->insertInt(&status_, isc_dpb_force_write, 0);
    attachment_.Reset(Master()->getDispatcher()->createDatabase(
        &status_, database.c_str(), dpb->getBufferLength(&status_), dpb->getBuffer(&status_)));
  }

  void Detach() {
    attachment_->detach(&status_);
    attachment_.Closed();
  }

  ThrowStatusWrapper& Status() { return status_; }
  IAttachment* Attachment() { return attachment_.get(); }

  Handle<ITransaction> Start(bool readOnly = false) {
    Handle<IXpbBuilder> tpb(Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&status_, isc_tpb_concurrency);
    tpb->insertTag(&status_, isc_tpb_wait);
    tpb->insertTag(&status_, readOnly ? isc_tpb_read : isc_tpb_write);
    return Handle<ITransaction>(
        attachment_->startTransaction(&status_, tpb->getBufferLength(&status_), tpb->getBuffer(&status_)));
  }

  void Commit(Handle<ITransaction>& transaction) {
    transaction->commit(&status_);
    transaction.Closed();
  }

  Handle<IStatement> Prepare(ITransaction* transaction, const std::string& sql) {
    return Handle<IStatement>(attachment_->prepare(&status_, transaction, static_cast<unsigned>(sql.size()),
                                                   sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA));
  }

  void Free(Handle<IStatement>& statement) {
    statement->free(&status_);
    statement.Closed();
  }

  std::string ReadBlob(ITransaction* transaction, ISC_QUAD id) {
    Handle<IBlob> blob(attachment_->openBlob(&status_, transaction, &id, 0, nullptr));
    std::string text;
    char chunk[32768];
    for (;;) {
      unsigned length = 0;
      const int result = blob->getSegment(&status_, sizeof chunk, chunk, &length);
      if (result == IStatus::RESULT_NO_DATA) break;
      text.append(chunk, length);
    }
    blob->close(&status_);
    blob.Closed();
    return text;
  }

  ISC_QUAD WriteBlob(ITransaction* transaction, const std::string& text) {
    ISC_QUAD id{};
    Handle<IBlob> blob(attachment_->createBlob(&status_, transaction, &id, 0, nullptr));
    for (std::size_t at = 0; at < text.size(); at += 32768) {
      const std::size_t length = std::min<std::size_t>(32768, text.size() - at);
      blob->putSegment(&status_, static_cast<unsigned>(length), text.data() + at);
    }
    blob->close(&status_);
    blob.Closed();
    return id;
  }

 private:
  ThrowStatusWrapper status_;
  Handle<IAttachment> attachment_;
};

// The merge program's select statement, character for character.
std::string SelectStatement() {
  return " select fatobservpedido.* \r from \r    fatobservpedido \r    join fatcppedido on \r"
         "        fatcppedido.lja_codigo = fatobservpedido.lja_codigo and \r"
         "        fatcppedido.cpe_codigo = fatobservpedido.cpe_codigo \r where \r"
         "    fatcppedido.cpe_status = 'W' and \r"
         "    (fatobservpedido.obs_temp is not null and fatobservpedido.obs_temp <> '')";
}

// The merge program's update statement with the two keys written in as literals.
std::string LiteralUpdate(ISC_LONG store, ISC_LONG order) {
  return "update fatobservpedido set \r    obs_temp = null, \r    obs_observ = ? \rwhere \r    lja_codigo = " +
         std::to_string(store) + " and \r    cpe_codigo = " + std::to_string(order) + " ";
}

// Walks the selected rows (in a read-only transaction of their own, as the merge program's
// select runs outside its update transaction) and hands each row's keys and merged observation
// to `write`, inside one write transaction committed at the end.
template <class Write>
long long MergeRowByRow(Session& session, Write write) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> reading = session.Start(true);
  Handle<ITransaction> writing = session.Start();
  Handle<IStatement> select = session.Prepare(reading.get(), SelectStatement());
  Message row(status, select->getOutputMetadata(&status));
  const unsigned storeField = row.Index("LJA_CODIGO");
  const unsigned orderField = row.Index("CPE_CODIGO");
  const unsigned observationField = row.Index("OBS_OBSERV");
  const unsigned temporaryField = row.Index("OBS_TEMP");
  Handle<IResultSet> cursor(select->openCursor(&status, reading.get(), nullptr, nullptr, row.Metadata(), 0));
  long long merged = 0;
  while (cursor->fetchNext(&status, row.Buffer()) == IStatus::RESULT_OK) {
    // A null reads as the empty text, as in the merge program.
    std::string text;
    if (!row.IsNull(observationField)) text = session.ReadBlob(reading.get(), row.At<ISC_QUAD>(observationField));
    text += ' ';
    if (!row.IsNull(temporaryField)) text += row.Varying(temporaryField);
    const ISC_QUAD blob = session.WriteBlob(writing.get(), text);
    write(writing.get(), row.At<ISC_LONG>(storeField), row.At<ISC_LONG>(orderField), blob);
    ++merged;
  }
  cursor->close(&status);
  cursor.Closed();
  session.Free(select);
  session.Commit(writing);
  session.Commit(reading);
  return merged;
}

long long MergeWithLiterals(Session& session) {
  ThrowStatusWrapper& status = session.Status();
  return MergeRowByRow(session, [&](ITransaction* transaction, ISC_LONG store, ISC_LONG order, ISC_QUAD blob) {
    Handle<IStatement> update = session.Prepare(transaction, LiteralUpdate(store, order));
    Message parameters(status, update->getInputMetadata(&status));
    parameters.At<ISC_QUAD>(0) = blob;
    parameters.SetNull(0, false);
    update->execute(&status, transaction, parameters.Metadata(), parameters.Buffer(), nullptr, nullptr);
    session.Free(update);
  });
}

long long MergePrepared(Session& session) {
  ThrowStatusWrapper& status = session.Status();
  Handle<IStatement> update;
  std::unique_ptr<Message> parameters;
  const long long merged =
      MergeRowByRow(session, [&](ITransaction* transaction, ISC_LONG store, ISC_LONG order, ISC_QUAD blob) {
        if (!update.get()) {
          update = session.Prepare(transaction,
                                   "update fatobservpedido set obs_temp = null, obs_observ = ? "
                                   "where lja_codigo = ? and cpe_codigo = ?");
          parameters = std::make_unique<Message>(status, update->getInputMetadata(&status));
          for (unsigned i = 0; i < 3; ++i) parameters->SetNull(i, false);
        }
        parameters->At<ISC_QUAD>(0) = blob;
        parameters->At<ISC_LONG>(1) = store;
        parameters->At<ISC_LONG>(2) = order;
        update->execute(&status, transaction, parameters->Metadata(), parameters->Buffer(), nullptr, nullptr);
      });
  parameters.reset();
  if (update.get()) session.Free(update);
  return merged;
}

long long Execute(Session& session, const std::string& sql) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> transaction = session.Start();
  Handle<IStatement> statement = session.Prepare(transaction.get(), sql);
  statement->execute(&status, transaction.get(), nullptr, nullptr, nullptr, nullptr);
  const long long affected = static_cast<long long>(statement->getAffectedRecords(&status));
  session.Free(statement);
  session.Commit(transaction);
  return affected;
}

long long MergeSetBased(Session& session) {
  return Execute(session,
                 "update fatobservpedido o set o.obs_observ = coalesce(o.obs_observ, '') || ' ' || o.obs_temp, "
                 "o.obs_temp = null "
                 "where exists (select 1 from fatcppedido p where p.lja_codigo = o.lja_codigo and "
                 "p.cpe_codigo = o.cpe_codigo and p.cpe_status = 'W') "
                 "and o.obs_temp is not null and o.obs_temp <> ''");
}

// FNV-1a, 64 bits, over the bytes of every row in key order; a null is told apart from the
// empty text, and every text carries its length.
class Digest {
 public:
  void Add(const void* data, std::size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ULL;
  }
  void AddInteger(std::int64_t value) { Add(&value, sizeof value); }
  void AddText(bool null, const std::string& text) {
    AddInteger(null ? -1 : static_cast<std::int64_t>(text.size()));
    Add(text.data(), text.size());
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

void PrintDigest(Session& session) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> reading = session.Start(true);
  Handle<IStatement> select = session.Prepare(
      reading.get(), "select lja_codigo, cpe_codigo, obs_observ, obs_temp from fatobservpedido order by 1, 2");
  Message row(status, select->getOutputMetadata(&status));
  Handle<IResultSet> cursor(select->openCursor(&status, reading.get(), nullptr, nullptr, row.Metadata(), 0));
  Digest digest;
  long long rows = 0;
  while (cursor->fetchNext(&status, row.Buffer()) == IStatus::RESULT_OK) {
    digest.AddInteger(row.At<ISC_LONG>(0));
    digest.AddInteger(row.At<ISC_LONG>(1));
    const bool observationNull = row.IsNull(2);
    digest.AddText(observationNull,
                   observationNull ? std::string() : session.ReadBlob(reading.get(), row.At<ISC_QUAD>(2)));
    const bool temporaryNull = row.IsNull(3);
    digest.AddText(temporaryNull, temporaryNull ? std::string() : row.Varying(3));
    ++rows;
  }
  cursor->close(&status);
  cursor.Closed();
  session.Free(select);
  session.Commit(reading);
  std::printf("%016llx %lld\n", static_cast<unsigned long long>(digest.Value()), rows);
}

// The rows the merge selects and the size of their values: 4 bytes for each integer key plus
// the bytes of the two texts.
void PrintSelection(Session& session) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> reading = session.Start(true);
  Handle<IStatement> select =
      session.Prepare(reading.get(),
                      "select count(*), coalesce(sum(8 + coalesce(octet_length(s.obs_observ), 0) + "
                      "coalesce(octet_length(s.obs_temp), 0)), 0) from (" +
                          SelectStatement() + ") s");
  Message row(status, select->getOutputMetadata(&status));
  Handle<IResultSet> cursor(select->openCursor(&status, reading.get(), nullptr, nullptr, row.Metadata(), 0));
  cursor->fetchNext(&status, row.Buffer());
  std::printf("%lld %lld\n", static_cast<long long>(row.At<ISC_INT64>(0)),
              static_cast<long long>(row.At<ISC_INT64>(1)));
  cursor->close(&status);
  cursor.Closed();
  session.Free(select);
  session.Commit(reading);
}

// Texts of the generated store: code page 1252 words with accents, apostrophes, double quotes,
// colons (some followed by column names) and now and then a line break.
class TextMaker {
 public:
  explicit TextMaker(std::uint32_t seed) : random_(seed) {
    for (const char* word :
         {"Observação", "cliente",     "pediu",      "entrega", "às",        "14:30",       "não",        "'urgente'",
          "café",       "pão",         "São",        "Paulo",   "rua",       "nº",          "ação",       "mãe",
          "d'água",     "endereço:",   "referência", "ver",     ":obs_temp", ":lja_codigo", "\"frágil\"", "coração",
          "€",          "Único",       "«cuidado»",  "troca",   "Atenção:",  "O'Brien",     "pagamento",  "cartão",
          "crédito",    "ligar",       "antes",      "portão",  "fundos",    "apto.",       "bloco",      "C:",
          "horário",    "comercial",   "sábado",     "é",       "ª",         "Ñandú",       "Zoë",        "größe",
          "—",          "cpe_codigo:", "pedido",     "loja",    "devolução", "prazo"})
      words_.push_back(FromSystem(word));
  }

  std::uint32_t Next(std::uint32_t bound) { return static_cast<std::uint32_t>(random_() % bound); }

  std::string Text(std::size_t length) {
    std::string text;
    while (text.size() < length) {
      if (!text.empty()) text += Next(40) == 0 ? "\r\n" : " ";
      text += words_[Next(static_cast<std::uint32_t>(words_.size()))];
    }
    return text;
  }

 private:
  std::mt19937 random_;
  std::vector<std::string> words_;
};

// Creates the store: orders over five stores, 80% in status "W" and the others in "F", "w" or
// "C", each with one observation row of assorted texts. `rows` counts the orders, or with
// `countSelected` the rows the merge will select.
void Generate(const std::string& database, long long rows, bool countSelected) {
  Session session;
  session.Create(database);
  ThrowStatusWrapper& status = session.Status();
  {
    Handle<ITransaction> transaction = session.Start();
    for (const char* ddl :
         {"CREATE TABLE fatcppedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, cpe_status CHAR(1), "
          "PRIMARY KEY (lja_codigo, cpe_codigo))",
          "CREATE TABLE fatobservpedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, "
          "obs_observ BLOB SUB_TYPE TEXT, obs_temp VARCHAR(4000), PRIMARY KEY (lja_codigo, cpe_codigo))"})
      session.Attachment()->execute(&status, transaction.get(), 0, ddl, 3, nullptr, nullptr, nullptr, nullptr);
    session.Commit(transaction);
  }

  static const ISC_LONG kStores[] = {1, 2, 3, 7, 12};
  TextMaker maker(20240517);
  Handle<ITransaction> transaction = session.Start();
  Handle<IStatement> order = session.Prepare(
      transaction.get(), "insert into fatcppedido (lja_codigo, cpe_codigo, cpe_status) values (?, ?, ?)");
  Handle<IStatement> observation =
      session.Prepare(transaction.get(),
                      "insert into fatobservpedido (lja_codigo, cpe_codigo, obs_observ, obs_temp) values (?, ?, ?, ?)");
  Message orderRow(status, order->getInputMetadata(&status));
  Message observationRow(status, observation->getInputMetadata(&status));
  long long selected = 0;
  for (long long i = 0; (countSelected ? selected : i) < rows; ++i) {
    const ISC_LONG store = kStores[i % 5];
    const ISC_LONG code = static_cast<ISC_LONG>(1000 + i / 5);

    const std::uint32_t statusDraw = maker.Next(100);
    const char statusLetter = statusDraw < 80 ? 'W' : statusDraw < 90 ? 'F' : statusDraw < 95 ? 'w' : 'C';
    orderRow.At<ISC_LONG>(0) = store;
    orderRow.At<ISC_LONG>(1) = code;
    orderRow.At<char>(2) = statusLetter;
    for (unsigned f = 0; f < 3; ++f) orderRow.SetNull(f, false);
    order->execute(&status, transaction.get(), orderRow.Metadata(), orderRow.Buffer(), nullptr, nullptr);

    observationRow.At<ISC_LONG>(0) = store;
    observationRow.At<ISC_LONG>(1) = code;
    observationRow.SetNull(0, false);
    observationRow.SetNull(1, false);
    // Main text: mostly a few dozen to a few hundred bytes; some null or empty, a few of several
    // KB, and now and then one longer than 32 KB.
    const std::uint32_t mainDraw = maker.Next(10000);
    if (mainDraw < 500) {
      observationRow.SetNull(2, true);
    } else {
      std::string text;
      if (mainDraw < 600) text.clear();
      else if (mainDraw < 602) text = maker.Text(33000 + maker.Next(8000));
      else if (mainDraw < 700) text = maker.Text(2000 + maker.Next(7000));
      else text = maker.Text(20 + maker.Next(400));
      observationRow.At<ISC_QUAD>(2) = session.WriteBlob(transaction.get(), text);
      observationRow.SetNull(2, false);
    }
    // Temporary text: mostly filled; some null, empty, one blank, or ending in a blank.
    const std::uint32_t temporaryDraw = maker.Next(1000);
    if (temporaryDraw < 70) observationRow.SetNull(3, true);
    else if (temporaryDraw < 120) observationRow.SetVarying(3, "");
    else if (temporaryDraw < 130) observationRow.SetVarying(3, " ");
    else if (temporaryDraw < 135) observationRow.SetVarying(3, maker.Text(10 + maker.Next(40)) + " ");
    else observationRow.SetVarying(3, maker.Text(10 + maker.Next(200)));
    // Null, empty and one blank (equal to the empty text for Firebird) are not selected.
    if (statusLetter == 'W' && temporaryDraw >= 130) ++selected;
    observation->execute(&status, transaction.get(), observationRow.Metadata(), observationRow.Buffer(), nullptr,
                         nullptr);

    if ((i + 1) % 50000 == 0) transaction->commitRetaining(&status);
  }
  session.Free(order);
  session.Free(observation);
  session.Commit(transaction);
  session.Detach();
}

int Usage() {
  std::fprintf(stderr,
               "usage: merge_baselines {literal|prepared|setbased|digest|count} DATABASE USER PASSWORD\n"
               "       merge_baselines exec DATABASE USER PASSWORD STATEMENT\n"
               "       merge_baselines generate DATABASE ROWS [selected]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string database = argv[2];
  try {
    if (command == "generate") {
      if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "selected")) return Usage();
      Generate(database, std::atoll(argv[3]), argc == 5);
      return 0;
    }
    if (argc < 5) return Usage();
    Session session;
    session.Attach(database, argv[3], argv[4]);
    if (command == "literal") std::printf("%lld\n", MergeWithLiterals(session));
    else if (command == "prepared") std::printf("%lld\n", MergePrepared(session));
    else if (command == "setbased") std::printf("%lld\n", MergeSetBased(session));
    else if (command == "digest") PrintDigest(session);
    else if (command == "count") PrintSelection(session);
    else if (command == "exec" && argc == 6) std::printf("%lld\n", Execute(session, argv[5]));
    else return Usage();
    session.Detach();
    return 0;
  } catch (const FbException& error) {
    char message[2048];
    Master()->getUtilInterface()->formatStatus(message, sizeof message, error.getStatus());
    std::fprintf(stderr, "merge_baselines %s: %s\n", command.c_str(), message);
    return 1;
  }
}
