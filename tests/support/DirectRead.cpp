#include "tests/support/DirectRead.h"

#include <firebird/Interface.h>
#include <langinfo.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace morvanta;

namespace testdb {

namespace {

using Firebird::CheckStatusWrapper;
using Firebird::FbException;
using Firebird::IMaster;
using Firebird::IMessageMetadata;
using Firebird::IStatus;
using Firebird::ThrowStatusWrapper;

constexpr unsigned kUnicodeFss = 3;
constexpr unsigned kServerTextLength = 64;  // room for the server's text of any other type

IMaster* Master() {
  static IMaster* master = [] {
    // The client converts file and user names from the C locale's character set; ours are UTF-8.
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || (std::strcmp(codeset, "UTF-8") != 0 && std::strcmp(codeset, "utf8") != 0))
      if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "en_US.UTF-8");
    return Firebird::fb_get_master_interface();
  }();
  return master;
}

// A status that raises FbException on errors and gives its object back when it goes.
class Status : public ThrowStatusWrapper {
 public:
  Status() : ThrowStatusWrapper(Master()->getStatus()) {}
  ~Status() { dispose(); }
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;
};

// An interface of the client library, ended when it goes: by Finish (close, commit, detach, which
// release it on success) or else by `abandon` (rollback, detach...), and released when that fails.
template <class I>
class Owned {
 public:
  using Abandon = void (*)(CheckStatusWrapper*, I*);
  Owned(I* adopted, Abandon abandon) : p_(adopted), abandon_(abandon) {}
  ~Owned() {
    if (!p_) return;
    CheckStatusWrapper status(Master()->getStatus());
    if (abandon_) abandon_(&status, p_);
    if (!abandon_ || (status.getState() & IStatus::STATE_ERRORS)) p_->release();
    status.dispose();
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  I* operator->() const { return p_; }
  I* Get() const { return p_; }
  template <class End>
  void Finish(End end) {
    Status status;
    end(&status, p_);
    p_ = nullptr;
  }

 private:
  I* p_;
  Abandon abandon_;
};

template <class T>
T Load(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// An integer with its decimal scale, as exact text without trailing zeros in the fraction.
AnsiString ScaledText(std::int64_t value, int scale) {
  std::string digits = std::to_string(value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : value);
  if (scale > 0) digits.append(static_cast<std::size_t>(scale), '0');
  if (scale < 0) {
    const std::size_t decimals = static_cast<std::size_t>(-scale);
    if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
    std::string fraction = digits.substr(digits.size() - decimals);
    digits.erase(digits.size() - decimals);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) digits += "." + fraction;
  }
  return AnsiString((value < 0 ? "-" : "") + digits);
}

std::string ReadBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id) {
  Status status;
  Owned<Firebird::IBlob> blob(attachment->openBlob(&status, transaction, &id, 0, nullptr),
                              [](CheckStatusWrapper* s, Firebird::IBlob* b) { b->cancel(s); });
  std::string bytes;
  char buffer[32768];
  for (;;) {
    unsigned got = 0;
    const int result = blob->getSegment(&status, sizeof buffer, buffer, &got);
    if (result != IStatus::RESULT_OK && result != IStatus::RESULT_SEGMENT) break;
    bytes.append(buffer, got);
  }
  blob.Finish([](ThrowStatusWrapper* s, Firebird::IBlob* b) { b->close(s); });
  return bytes;
}

bool ReadHere(unsigned type) {
  return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64 || type == SQL_BOOLEAN || type == SQL_TEXT ||
         type == SQL_VARYING || type == SQL_BLOB;
}

// The statement's output message, with a first column of another type turned into text by the
// server.
IMessageMetadata* OutputOf(Firebird::IStatement* statement) {
  Status status;
  Owned<IMessageMetadata> metadata(statement->getOutputMetadata(&status), nullptr);
  if (metadata->getCount(&status) == 0 || ReadHere(metadata->getType(&status, 0) & ~1u)) {
    metadata->addRef();
    return metadata.Get();
  }
  Owned<Firebird::IMetadataBuilder> builder(metadata->getBuilder(&status), nullptr);
  builder->setType(&status, 0, SQL_VARYING + 1);
  builder->setLength(&status, 0, kServerTextLength);
  builder->setCharSet(&status, 0, 0);
  return builder->getMetadata(&status);
}

// The first column of a fetched row.
std::optional<AnsiString> FirstColumn(IMessageMetadata* metadata, const unsigned char* row,
                                      Firebird::IAttachment* attachment, Firebird::ITransaction* transaction) {
  Status status;
  if (Load<short>(row + metadata->getNullOffset(&status, 0)) != 0) return std::nullopt;
  const unsigned char* p = row + metadata->getOffset(&status, 0);
  const int scale = metadata->getScale(&status, 0);
  std::string text;
  switch (metadata->getType(&status, 0) & ~1u) {
    case SQL_SHORT:
      return ScaledText(Load<std::int16_t>(p), scale);
    case SQL_LONG:
      return ScaledText(Load<std::int32_t>(p), scale);
    case SQL_INT64:
      return ScaledText(Load<std::int64_t>(p), scale);
    case SQL_BOOLEAN:
      return AnsiString(*p ? "True" : "False");
    case SQL_TEXT:
      text.assign(reinterpret_cast<const char*>(p), metadata->getLength(&status, 0));
      break;
    case SQL_VARYING:
      text.assign(reinterpret_cast<const char*>(p) + 2, Load<std::uint16_t>(p));
      break;
    default:  // SQL_BLOB
      text = ReadBlob(attachment, transaction, Load<ISC_QUAD>(p));
      if (metadata->getSubType(&status, 0) != isc_blob_text) return AnsiString(text);
      break;
  }
  return metadata->getCharSet(&status, 0) == kUnicodeFss ? FromSystem(text) : AnsiString(text);
}

Firebird::IAttachment* Attach(const DirectLogin& login) {
  Status status;
  auto dispose = [](Firebird::IXpbBuilder* b) { b->dispose(); };
  std::unique_ptr<Firebird::IXpbBuilder, decltype(dispose)> dpb(
      Master()->getUtilInterface()->getXpbBuilder(&status, Firebird::IXpbBuilder::DPB, nullptr, 0), dispose);
  dpb->insertTag(&status, isc_dpb_utf8_filename);
  // Each path to its own provider, as the driver does.
  dpb->insertString(&status, isc_dpb_config, login.onServer ? "Providers=Remote" : "Providers=Engine12");
  if (!login.userName.empty()) dpb->insertString(&status, isc_dpb_user_name, login.userName.c_str());
  if (!login.password.empty()) dpb->insertString(&status, isc_dpb_password, login.password.c_str());
  dpb->insertInt(&status, isc_dpb_sql_dialect, static_cast<int>(login.dialect));
  Owned<Firebird::IProvider> provider(Master()->getDispatcher(), nullptr);
  return provider->attachDatabase(&status, login.database.c_str(), dpb->getBufferLength(&status),
                                  dpb->getBuffer(&status));
}

std::optional<AnsiString> Read(const DirectLogin& login, std::string_view sql) {
  Status status;
  Owned<Firebird::IAttachment> attachment(Attach(login),
                                          [](CheckStatusWrapper* s, Firebird::IAttachment* a) { a->detach(s); });
  Owned<Firebird::ITransaction> transaction(attachment->startTransaction(&status, 0, nullptr),
                                            [](CheckStatusWrapper* s, Firebird::ITransaction* t) { t->rollback(s); });
  std::optional<AnsiString> result;
  {
    Owned<Firebird::IStatement> statement(
        attachment->prepare(&status, transaction.Get(), static_cast<unsigned>(sql.size()), sql.data(), login.dialect,
                            Firebird::IStatement::PREPARE_PREFETCH_METADATA),
        [](CheckStatusWrapper* s, Firebird::IStatement* st) { st->free(s); });
    Owned<IMessageMetadata> metadata(OutputOf(statement.Get()), nullptr);
    std::vector<unsigned char> row(metadata->getMessageLength(&status));
    Owned<Firebird::IResultSet> rows(
        statement->openCursor(&status, transaction.Get(), nullptr, nullptr, metadata.Get(), 0),
        [](CheckStatusWrapper* s, Firebird::IResultSet* r) { r->close(s); });
    if (rows->fetchNext(&status, row.data()) == IStatus::RESULT_OK && metadata->getCount(&status) > 0)
      result = FirstColumn(metadata.Get(), row.data(), attachment.Get(), transaction.Get());
    rows.Finish([](ThrowStatusWrapper* s, Firebird::IResultSet* r) { r->close(s); });
    statement.Finish([](ThrowStatusWrapper* s, Firebird::IStatement* st) { st->free(s); });
  }
  transaction.Finish([](ThrowStatusWrapper* s, Firebird::ITransaction* t) { t->commit(s); });
  attachment.Finish([](ThrowStatusWrapper* s, Firebird::IAttachment* a) { a->detach(s); });
  return result;
}

}  // namespace

std::optional<AnsiString> ReadFirstValue(const DirectLogin& login, std::string_view sql) {
  try {
    return Read(login, sql);
  } catch (const FbException& error) {
    char message[4096];
    Master()->getUtilInterface()->formatStatus(message, sizeof message, error.getStatus());
    throw std::runtime_error(std::string("Firebird: ") + message);
  }
}

}  // namespace testdb
