#include "tests/support/TestDatabase.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "morvanta/platform/framework/SQLConnection.h"
#include "tests/support/DirectRead.h"
#include "morvanta/platform/firebird/ConnectionSettings.h"
#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/detail/SharedTransaction.h"

using namespace morvanta;

namespace fs = std::filesystem;

namespace testdb {

namespace {

constexpr const char* kServerPasswordFile = "/etc/firebird/3.0/SYSDBA.password";
constexpr const char* kEmbeddedUser = "SYSDBA";
constexpr const char* kEmbeddedPassword = "masterkey";  // the embedded engine does not check it

// A fresh folder under the system's temporary folder, open to the server's own user.
std::string MakeFolder(const char* prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  ::chmod(pattern.c_str(), 01777);
  return pattern;
}

fb::detail::Attachment Attach(const fb::ConnectionSettings& settings) {
  fb::detail::Status status;
  fb::detail::ProviderRef provider(fb::detail::Master()->getDispatcher());
  const std::vector<unsigned char> dpb = fb::BuildDpb(settings);
  return fb::detail::Attachment(
      provider->attachDatabase(&status, settings.database.c_str(), static_cast<unsigned>(dpb.size()), dpb.data()));
}

// Creates a template database with the embedded engine, owned by the test user, so that copies
// of it serve embedded tests (as SYSDBA) and server tests (as their owner) alike.
void CreateTemplate(const std::string& path, const DatabaseOptions& options) {
  fb::detail::Status status;
  fb::detail::XpbBuilder dpb(Firebird::IXpbBuilder::DPB);
  dpb->insertTag(&status, isc_dpb_utf8_filename);
  dpb->insertString(&status, isc_dpb_config, "Providers=Engine12");
  dpb->insertString(&status, isc_dpb_user_name, kTestUser);
  dpb->insertInt(&status, isc_dpb_page_size, 4096);
  dpb->insertInt(&status, isc_dpb_set_page_buffers, 256);
  dpb->insertInt(&status, isc_dpb_force_write, 0);  // asynchronous writes
  dpb->insertInt(&status, isc_dpb_sql_dialect, static_cast<int>(options.dialect));
  dpb->insertInt(&status, isc_dpb_set_db_sql_dialect, static_cast<int>(options.dialect));
  if (!options.charSet.empty()) dpb->insertString(&status, isc_dpb_set_db_charset, options.charSet.c_str());
  fb::detail::ProviderRef provider(fb::detail::Master()->getDispatcher());
  fb::detail::Attachment attachment(
      provider->createDatabase(&status, path.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status)));
  attachment.Detach();
}

// Templates, one per character set and dialect, kept in a folder of the temporary folder that
// every test process of this user shares (the test runner starts one process per test). A
// template is built under a name of its own and renamed into place, so that processes building
// the same one at once do not see each other's half-written files. The folder name carries a
// version: change it whenever the way templates are built changes.
std::string TemplatePath(const DatabaseOptions& options) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const fs::path folder = fs::temp_directory_path() / ("morvanta-fdb-templates-v1-" + std::to_string(::getuid()));
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const std::string key = (options.charSet.empty() ? AnsiString("NONE") : AnsiUpperCase(options.charSet)) + "-" +
                          AnsiString(std::to_string(options.dialect));
  const fs::path path = folder / (key + ".fdb");
  if (fs::exists(path)) return path.string();
  const fs::path building = folder / (key + "." + std::to_string(::getpid()) + ".building");
  fs::remove(building, ignored);
  CreateTemplate(building.string(), options);
  fs::rename(building, path);
  return path.string();
}

bool PortOpen(const char* address, int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<std::uint16_t>(port));
  ::inet_pton(AF_INET, address, &target.sin_addr);
  const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  ::close(fd);
  return open;
}

fb::ConnectionSettings SettingsOf(const TestDatabase& db) {
  fb::ConnectionSettings settings;
  settings.database = ToSystem(db.Database());
  settings.userName = ToSystem(db.UserName());
  settings.password = ToSystem(db.Password());
  settings.dialect = db.Dialect();
  return settings;
}

AnsiString QuotedIdentifier(const AnsiString& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }
AnsiString QuotedLiteral(const AnsiString& text) { return "'" + ReplaceAll(text, "'", "''") + "'"; }

// The first server database handed out checks that the test user can log in.
std::once_flag testUserOnce;

}  // namespace

bool InCi() {
  const char* ci = std::getenv("CI");
  return ci && SameText(ci, "true");
}

std::string SysdbaPassword() {
  std::ifstream file(kServerPasswordFile);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind("ISC_PASSWORD=", 0) != 0) continue;
    std::string value = line.substr(13);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  const char* env = std::getenv("ISC_PASSWORD");
  return env ? env : "";
}

bool ServerAvailable(std::string* why) {
  if (!PortOpen("127.0.0.1", 3050)) {
    if (why) *why = "no Firebird server answers on localhost:3050 (start it with tests/firebird-server.sh)";
    return false;
  }
  if (SysdbaPassword().empty()) {
    if (why)
      *why = std::string("the SYSDBA password is not readable (") + kServerPasswordFile +
             " or ISC_PASSWORD), so the test user cannot be created";
    return false;
  }
  return true;
}

void EnsureServerUser(const AnsiString& name, const AnsiString& password) {
  // Users are managed through the server only: the embedded engine must not touch the security
  // database while the server runs. Any database on the server serves for the statement.
  auto db = TestDatabase::Embedded();  // a file to attach to, opened here through the server
  fb::ConnectionSettings settings;
  settings.database = "localhost:" + db->FilePath();
  settings.userName = "SYSDBA";
  settings.password = SysdbaPassword();
  const std::string sql = ToSystem("CREATE OR ALTER USER " + QuotedIdentifier(name) + " PASSWORD " +
                                   QuotedLiteral(password) + " USING PLUGIN Srp");
  // Test processes running side by side may update the same user at once: the loser retries.
  for (int attempt = 1;; ++attempt) {
    try {
      fb::detail::Attachment attachment = Attach(settings);
      fb::detail::Status status;
      fb::detail::SharedTransaction transaction(attachment->startTransaction(&status, 0, nullptr),
                                                fb::detail::SharedTransaction::EndAction::Rollback);
      attachment->execute(&status, transaction.Get(), static_cast<unsigned>(sql.size()), sql.data(), 3, nullptr,
                          nullptr, nullptr, nullptr);
      transaction.Commit();
      attachment.Detach();
      return;
    } catch (const EFirebirdError&) {
      if (attempt == 10) throw;
      ::usleep(50000);
    }
  }
}

std::unique_ptr<TestDatabase> TestDatabase::Embedded(const DatabaseOptions& options) { return Create(options, false); }

std::unique_ptr<TestDatabase> TestDatabase::OnServer(const DatabaseOptions& options) {
  std::string why;
  if (!ServerAvailable(&why)) throw std::runtime_error("Firebird server not usable: " + why);
  auto db = Create(options, true);
  std::call_once(testUserOnce, [&] {
    try {
      Attach(SettingsOf(*db)).Detach();  // the user is there already
    } catch (const EFirebirdError&) {
      EnsureServerUser(AnsiString(kTestUser), AnsiString(kTestPassword));
    }
  });
  return db;
}

std::unique_ptr<TestDatabase> TestDatabase::Create(const DatabaseOptions& options, bool onServer) {
  std::unique_ptr<TestDatabase> db(new TestDatabase());
  db->folder_ = MakeFolder("morvanta-test");
  db->filePath_ = db->folder_ + "/" + ToSystem(options.fileName);
  fs::copy_file(TemplatePath(options), fs::path(db->filePath_));  // UTF-8 bytes, as the file system takes them
  ::chmod(db->filePath_.c_str(), 0666);                           // the server runs as its own user
  db->onServer_ = onServer;
  db->dialect_ = options.dialect;
  const AnsiString path = FromSystem(db->filePath_);
  db->database_ = onServer ? "localhost:" + path : path;
  db->userName_ = AnsiString(onServer ? kTestUser : kEmbeddedUser);
  db->password_ = AnsiString(onServer ? kTestPassword : kEmbeddedPassword);
  return db;
}

TestDatabase::~TestDatabase() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

AnsiString TestDatabase::ProfileParams() const {
  return "DriverName=Interbase\rDatabase=" + database_ + "\rRoleName=RoleName\rUser_Name=" + userName_ +
         "\rPassword=" + password_ +
         "\rServerCharSet=\rSQLDialect=3\rErrorResourceFile=\rLocaleCode=0000\rBlobSize=-1\rCommitRetain=False"
         "\rWaitOnLocks=True\rInterbase TransIsolation=ReadCommited\rTrim Char=False";
}

void TestDatabase::Configure(TSQLConnection& connection) const {
  connection.SetDriverName("Interbase"_a);
  connection.Params().SetText(ToWide(ProfileParams()));
  connection.SetLoginPrompt(false);
}

void TestDatabase::Execute(std::string_view sql) const {
  fb::detail::Attachment attachment = Attach(SettingsOf(*this));
  fb::detail::Status status;
  fb::detail::SharedTransaction transaction(attachment->startTransaction(&status, 0, nullptr),
                                            fb::detail::SharedTransaction::EndAction::Rollback);
  attachment->execute(&status, transaction.Get(), static_cast<unsigned>(sql.size()), sql.data(), dialect_, nullptr,
                      nullptr, nullptr, nullptr);
  transaction.Commit();
  attachment.Detach();
}

namespace {

class OpenChange : public PendingChange {
 public:
  OpenChange(fb::detail::Attachment attachment, Firebird::ITransaction* transaction)
      : attachment_(std::move(attachment)),
        transaction_(transaction, fb::detail::SharedTransaction::EndAction::Rollback) {}
  Firebird::ITransaction* Transaction() const { return transaction_.Get(); }
  Firebird::IAttachment* Attachment() const { return attachment_.Get(); }
  void Commit() override { transaction_.Commit(); }
  void Rollback() override { transaction_.Rollback(); }

 private:
  fb::detail::Attachment attachment_;
  fb::detail::SharedTransaction transaction_;
};

}  // namespace

std::unique_ptr<PendingChange> TestDatabase::BeginChange(std::string_view sql) const {
  fb::detail::Attachment attachment = Attach(SettingsOf(*this));
  fb::detail::Status status;
  Firebird::ITransaction* transaction = attachment->startTransaction(&status, 0, nullptr);
  auto change = std::make_unique<OpenChange>(std::move(attachment), transaction);
  change->Attachment()->execute(&status, change->Transaction(), static_cast<unsigned>(sql.size()), sql.data(), dialect_,
                                nullptr, nullptr, nullptr, nullptr);
  return change;
}

std::optional<AnsiString> TestDatabase::QueryValue(std::string_view sql) const {
  // Straight through the client library: the value checked must not come through the driver.
  return ReadFirstValue({ToSystem(database_), onServer_, ToSystem(userName_), ToSystem(password_), dialect_}, sql);
}

}  // namespace testdb
