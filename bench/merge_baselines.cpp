// The observation merge written directly on the Firebird client library, as baselines for the
// merge program, and the helpers its benchmark script needs.
//
//   merge_baselines literal  DATABASE USER PASSWORD   one statement text per row, keys as literals
//   merge_baselines prepared DATABASE USER PASSWORD   one UPDATE prepared once, executed per row
//   merge_baselines setbased DATABASE USER PASSWORD   one UPDATE of all the rows
//   merge_baselines digest   DATABASE USER PASSWORD   hash of every observation row
//   merge_baselines count    DATABASE USER PASSWORD   rows the merge selects and their size in bytes
//   merge_baselines exec     DATABASE USER PASSWORD STATEMENT
//   merge_baselines wire     DATABASE USER PASSWORD   "compressed" or "plain": the connection's wire
//   merge_baselines generate DATABASE ROWS [selected] [SHAPE]
//                            creates the store with ROWS orders, or with as many as give ROWS
//                            selected rows; SHAPE (see Shapes() below) sets the length of its notes,
//                            its character set and the type of obs_temp (default: generated)
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

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

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
  bool IsBlob(unsigned i) { return (metadata_->getType(&status_, i) & ~1u) == SQL_BLOB; }
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
  // A CHAR column of one character: the letter, then blanks to the column's length in bytes.
  void SetLetter(unsigned i, char letter) {
    unsigned char* data = buffer_.data() + metadata_->getOffset(&status_, i);
    std::memset(data, ' ', metadata_->getLength(&status_, i));
    *data = static_cast<unsigned char>(letter);
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
  void Create(const std::string& database, const char* charSet) {
    Handle<IXpbBuilder> dpb(Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&status_, isc_dpb_user_name, "SYSDBA");
    dpb->insertInt(&status_, isc_dpb_page_size, 8192);
    dpb->insertInt(&status_, isc_dpb_sql_dialect, 3);
    dpb->insertString(&status_, isc_dpb_set_db_charset, charSet);
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

  // A text column of `row`, a VARCHAR or a text blob; a null reads as the empty text.
  std::string ReadText(ITransaction* transaction, Message& row, unsigned field) {
    if (row.IsNull(field)) return std::string();
    return row.IsBlob(field) ? ReadBlob(transaction, row.At<ISC_QUAD>(field)) : row.Varying(field);
  }

  void SetText(ITransaction* transaction, Message& row, unsigned field, const std::string& text) {
    if (!row.IsBlob(field)) return row.SetVarying(field, text);
    row.At<ISC_QUAD>(field) = WriteBlob(transaction, text);
    row.SetNull(field, false);
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
    std::string text = session.ReadText(reading.get(), row, observationField);
    text += ' ';
    text += session.ReadText(reading.get(), row, temporaryField);
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
    digest.AddText(row.IsNull(2), session.ReadText(reading.get(), row, 2));
    digest.AddText(row.IsNull(3), session.ReadText(reading.get(), row, 3));
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

// Texts of the generated store: words with accents, apostrophes, double quotes, colons (some
// followed by column names) and now and then a line break, in code page 1252 or in UTF-8.
class TextMaker {
 public:
  TextMaker(std::uint32_t seed, bool utf8) : random_(seed) {
    for (const char* word :
         {"Observação", "cliente",     "pediu",      "entrega", "às",        "14:30",       "não",        "'urgente'",
          "café",       "pão",         "São",        "Paulo",   "rua",       "nº",          "ação",       "mãe",
          "d'água",     "endereço:",   "referência", "ver",     ":obs_temp", ":lja_codigo", "\"frágil\"", "coração",
          "€",          "Único",       "«cuidado»",  "troca",   "Atenção:",  "O'Brien",     "pagamento",  "cartão",
          "crédito",    "ligar",       "antes",      "portão",  "fundos",    "apto.",       "bloco",      "C:",
          "horário",    "comercial",   "sábado",     "é",       "ª",         "Ñandú",       "Zoë",        "größe",
          "—",          "cpe_codigo:", "pedido",     "loja",    "devolução", "prazo"})
      words_.push_back(utf8 ? std::string(word) : std::string(FromSystem(word)));
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

// A store's shape: the lengths of its notes, its character set and the type of obs_temp. A
// length function gets the draw that chose a filled text (main: 600 to 9999; temporary: 130 to
// 999) and may draw more.
struct Shape {
  const char* name;
  const char* charSet;  // the database's default character set
  bool temporaryBlob;   // obs_temp a text blob instead of VARCHAR(4000)
  std::size_t (*mainLength)(TextMaker&, std::uint32_t draw);
  std::size_t (*temporaryLength)(TextMaker&, std::uint32_t draw);
};

std::size_t ShortNote(TextMaker& maker, std::uint32_t) { return 10 + maker.Next(51); }

const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> shapes = {
      // Mostly a few dozen to a few hundred bytes, a few of several KB, now and then one over 32 KB.
      {"generated", "WIN1252", false,
       [](TextMaker& m, std::uint32_t draw) -> std::size_t {
         return draw < 602 ? 33000 + m.Next(8000) : draw < 700 ? 2000 + m.Next(7000) : 20 + m.Next(400);
       },
       [](TextMaker& m, std::uint32_t draw) -> std::size_t { return draw < 135 ? 10 + m.Next(40) : 10 + m.Next(200); }},
      {"note250", "WIN1252", false, [](TextMaker& m, std::uint32_t) -> std::size_t { return 200 + m.Next(100); },
       [](TextMaker& m, std::uint32_t) -> std::size_t { return 200 + m.Next(100); }},
      {"short", "WIN1252", false, ShortNote, ShortNote},
      // obs_temp holds at most 4000 bytes.
      {"long", "WIN1252", false, [](TextMaker& m, std::uint32_t) -> std::size_t { return 2048 + m.Next(7169); },
       [](TextMaker& m, std::uint32_t) -> std::size_t { return 2048 + m.Next(1900); }},
      {"mixed", "WIN1252", false,
       [](TextMaker& m, std::uint32_t draw) -> std::size_t {
         return draw < 650    ? 33000 + m.Next(8000)
                : draw < 2000 ? 2048 + m.Next(7169)
                : draw < 4000 ? 200 + m.Next(100)
                              : 10 + m.Next(51);
       },
       [](TextMaker& m, std::uint32_t draw) -> std::size_t {
         return draw < 230 ? 2048 + m.Next(1900) : draw < 400 ? 200 + m.Next(100) : 10 + m.Next(51);
       }},
      {"utf8", "UTF8", false, ShortNote, ShortNote},
      {"blobtemp", "WIN1252", true, ShortNote, ShortNote},
  };
  return shapes;
}

const Shape* FindShape(const std::string& name) {
  for (const Shape& shape : Shapes())
    if (name == shape.name) return &shape;
  return nullptr;
}

void CreateTables(Session& session, const Shape& shape) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> transaction = session.Start();
  const std::string observations =
      std::string(
          "CREATE TABLE fatobservpedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, "
          "obs_observ BLOB SUB_TYPE TEXT, obs_temp ") +
      (shape.temporaryBlob ? "BLOB SUB_TYPE TEXT" : "VARCHAR(4000)") + ", PRIMARY KEY (lja_codigo, cpe_codigo))";
  for (const std::string& ddl :
       {std::string("CREATE TABLE fatcppedido (lja_codigo INTEGER NOT NULL, cpe_codigo INTEGER NOT NULL, "
                    "cpe_status CHAR(1), PRIMARY KEY (lja_codigo, cpe_codigo))"),
        observations})
    session.Attachment()->execute(&status, transaction.get(), 0, ddl.c_str(), 3, nullptr, nullptr, nullptr, nullptr);
  session.Commit(transaction);
}

// Creates the store: orders over five stores, 80% in status "W" and the others in "F", "w" or
// "C", each with one observation row whose texts have the lengths of `shape`; some are null,
// empty, one blank or end in a blank. `rows` counts the orders, or with `countSelected` the rows
// the merge will select.
void Generate(const std::string& database, long long rows, bool countSelected, const Shape& shape) {
  Session session;
  session.Create(database, shape.charSet);
  ThrowStatusWrapper& status = session.Status();
  CreateTables(session, shape);

  static const ISC_LONG kStores[] = {1, 2, 3, 7, 12};
  TextMaker maker(20240517, std::strcmp(shape.charSet, "UTF8") == 0);
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
    orderRow.SetLetter(2, statusLetter);
    for (unsigned f = 0; f < 3; ++f) orderRow.SetNull(f, false);
    order->execute(&status, transaction.get(), orderRow.Metadata(), orderRow.Buffer(), nullptr, nullptr);

    observationRow.At<ISC_LONG>(0) = store;
    observationRow.At<ISC_LONG>(1) = code;
    observationRow.SetNull(0, false);
    observationRow.SetNull(1, false);
    const std::uint32_t mainDraw = maker.Next(10000);
    if (mainDraw < 500) observationRow.SetNull(2, true);
    else
      session.SetText(transaction.get(), observationRow, 2,
                      mainDraw < 600 ? std::string() : maker.Text(shape.mainLength(maker, mainDraw)));
    const std::uint32_t temporaryDraw = maker.Next(1000);
    if (temporaryDraw < 70) observationRow.SetNull(3, true);
    else if (temporaryDraw < 120) session.SetText(transaction.get(), observationRow, 3, "");
    else if (temporaryDraw < 130) session.SetText(transaction.get(), observationRow, 3, " ");
    else if (temporaryDraw < 135)
      session.SetText(transaction.get(), observationRow, 3,
                      maker.Text(shape.temporaryLength(maker, temporaryDraw)) + " ");
    else session.SetText(transaction.get(), observationRow, 3, maker.Text(shape.temporaryLength(maker, temporaryDraw)));
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

// Whether the attachment's wire protocol is compressed (always "plain" for the embedded engine).
void PrintWire(Session& session) {
  ThrowStatusWrapper& status = session.Status();
  Handle<ITransaction> reading = session.Start(true);
  Handle<IStatement> select = session.Prepare(
      reading.get(), "select iif(rdb$get_context('SYSTEM', 'WIRE_COMPRESSED') = 'TRUE', 1, 0) from rdb$database");
  Message row(status, select->getOutputMetadata(&status));
  Handle<IResultSet> cursor(select->openCursor(&status, reading.get(), nullptr, nullptr, row.Metadata(), 0));
  const bool compressed = cursor->fetchNext(&status, row.Buffer()) == IStatus::RESULT_OK && row.At<ISC_LONG>(0) == 1;
  std::printf("%s\n", compressed ? "compressed" : "plain");
  cursor->close(&status);
  cursor.Closed();
  session.Free(select);
  session.Commit(reading);
}

int Usage() {
  std::fprintf(stderr,
               "usage: merge_baselines {literal|prepared|setbased|digest|count|wire} DATABASE USER PASSWORD\n"
               "       merge_baselines exec DATABASE USER PASSWORD STATEMENT\n"
               "       merge_baselines generate DATABASE ROWS [selected] [SHAPE]\n"
               "shapes:");
  for (const Shape& shape : Shapes()) std::fprintf(stderr, " %s", shape.name);
  std::fprintf(stderr, "\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string database = argv[2];
  try {
    if (command == "generate") {
      if (argc < 4) return Usage();
      bool countSelected = false;
      const Shape* shape = &Shapes().front();
      for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "selected") countSelected = true;
        else if (!(shape = FindShape(argv[i]))) return Usage();
      }
      Generate(database, std::atoll(argv[3]), countSelected, *shape);
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
    else if (command == "wire") PrintWire(session);
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
