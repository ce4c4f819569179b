#pragma once
// Throw-away Firebird databases for the tests: a database file in a temporary folder of its own,
// opened by the embedded engine or through the local server, removed with its folder when the
// object goes. Databases are copied from a template built once per character set (and kept for
// later test processes), with asynchronous writes and a small page cache, so that each test gets
// a fresh one quickly.
//
//   auto db = TestDatabase::Embedded();
//   db->Execute("CREATE TABLE T (ID INTEGER)");
//   TSQLConnection connection(nullptr);
//   db->Configure(connection);   // driver "Interbase", the profile's parameter lines
//   connection.SetConnected(true);
//   EXPECT_EQ(db->QueryScalar("SELECT COUNT(*) FROM T"), "0");
//
// Server tests start with FIREBIRD_SERVER_REQUIRED(): without a reachable server the test is
// skipped with the reason, except under CI=true, where that is a failure.

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace morvanta {
class TSQLConnection;
}  // namespace morvanta

namespace testdb {

// The user the server databases belong to, created through SYSDBA on first use.
inline constexpr const char* kTestUser = "MORVANTA_TEST";
inline constexpr const char* kTestPassword = "vornikate";

struct DatabaseOptions {
  AnsiString charSet;  // the database's default character set; empty: NONE
  unsigned dialect = 3;
  AnsiString fileName = "test.fdb"_a;  // code page 1252; accented letters are fine
};

// A change made by a connection of its own and left uncommitted, as another user of the database
// makes it: its transaction holds the locks of the rows it wrote until Commit or Rollback (or the
// object goes, which rolls back). Either may be called from another thread than the one that
// made the change.
class PendingChange {
 public:
  virtual ~PendingChange() = default;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
};

class TestDatabase {
 public:
  // A database file opened by the embedded engine; user "SYSDBA" (not checked by the engine).
  static std::unique_ptr<TestDatabase> Embedded(const DatabaseOptions& options = {});
  // A database on the local server ("localhost:" + path), owned by kTestUser with kTestPassword.
  // Call FIREBIRD_SERVER_REQUIRED() first; raises when the server cannot be used.
  static std::unique_ptr<TestDatabase> OnServer(const DatabaseOptions& options = {});
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  // The connection texts, in code page 1252.
  const AnsiString& Database() const { return database_; }  // the path, or "localhost:" + path
  const AnsiString& UserName() const { return userName_; }
  const AnsiString& Password() const { return password_; }
  bool IsOnServer() const { return onServer_; }
  unsigned Dialect() const { return dialect_; }
  const std::string& Folder() const { return folder_; }      // file system path (UTF-8)
  const std::string& FilePath() const { return filePath_; }  // file system path (UTF-8)

  // The parameter lines of the "Interbase" profile for this database (one line each).
  AnsiString ProfileParams() const;
  // Driver "Interbase", the profile's parameters, no login prompt. Does not connect.
  void Configure(TSQLConnection& connection) const;

  // Runs one statement (code page 1252 text) in a transaction of its own and commits it.
  void Execute(std::string_view sql) const;
  // Runs one statement on a connection of its own and leaves its transaction open.
  std::unique_ptr<PendingChange> BeginChange(std::string_view sql) const;
  // The first column of the first row as text; nullopt for null or no row. Read through the
  // client library alone (tests/support/DirectRead.h), never through the driver under test.
  std::optional<AnsiString> QueryValue(std::string_view sql) const;
  // The same, with null and no row as the empty text.
  AnsiString QueryScalar(std::string_view sql) const { return QueryValue(sql).value_or(AnsiString()); }

 private:
  TestDatabase() = default;
  static std::unique_ptr<TestDatabase> Create(const DatabaseOptions& options, bool onServer);

  std::string folder_, filePath_;
  AnsiString database_, userName_, password_;
  bool onServer_ = false;
  unsigned dialect_ = 3;
};

// The local server answers and the test user can be set up; otherwise `why` says what is missing.
bool ServerAvailable(std::string* why = nullptr);
// CI=true in the environment: missing servers are failures there.
bool InCi();
// The SYSDBA password of the local server (ISC_PASSWORD of its password file, or of the
// environment); empty when neither is readable.
std::string SysdbaPassword();
// Creates or updates a server user through SYSDBA (name and password in code page 1252; the name
// is taken exactly as given, case included).
void EnsureServerUser(const AnsiString& name, const AnsiString& password);

}  // namespace testdb

#define FIREBIRD_SERVER_REQUIRED()                                                                 \
  do {                                                                                             \
    std::string firebirdWhyNot_;                                                                   \
    if (!::testdb::ServerAvailable(&firebirdWhyNot_)) {                                            \
      if (::testdb::InCi()) FAIL() << "Firebird server needed under CI=true: " << firebirdWhyNot_; \
      GTEST_SKIP() << "Firebird server tests skipped: " << firebirdWhyNot_;                        \
    }                                                                                              \
  } while (false)
