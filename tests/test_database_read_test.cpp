// What the tests read back from their databases: TestDatabase::QueryValue goes through the client
// library alone and must give the texts the tests compare against.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Text.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

TEST(TestDatabaseRead, ValuesOfEachKindComeAsText) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER, NOME VARCHAR(20), FIXO CHAR(4), PRECO NUMERIC(15,4), B BLOB SUB_TYPE TEXT)");
  db->Execute("INSERT INTO T VALUES (-7, 'd''Ávila', 'ab', -0.0500, 'um texto longo')"_a);
  EXPECT_EQ(db->QueryValue("SELECT ID FROM T"), "-7");
  EXPECT_EQ(db->QueryValue("SELECT COUNT(*) FROM T"), "1");
  EXPECT_EQ(db->QueryValue("SELECT GEN_ID(RDB$SECURITY_CLASS, 0) * 0 + 9223372036854775807 FROM RDB$DATABASE"),
            "9223372036854775807");
  EXPECT_EQ(db->QueryValue("SELECT NOME FROM T"), "d'Ávila"_a);  // bytes unchanged
  EXPECT_EQ(db->QueryValue("SELECT FIXO FROM T"), "ab  ");       // blank-padded, as stored
  EXPECT_EQ(db->QueryValue("SELECT PRECO FROM T"), "-0.05");
  EXPECT_EQ(db->QueryValue("SELECT CAST(12 AS NUMERIC(9,2)) FROM RDB$DATABASE"), "12");
  EXPECT_EQ(db->QueryValue("SELECT B FROM T"), "um texto longo");
  EXPECT_EQ(db->QueryValue("SELECT LIST(NOME || ':' || ID) FROM T"), "d'Ávila:-7"_a);
  EXPECT_EQ(db->QueryValue("SELECT TRUE FROM RDB$DATABASE"), "True");
  // UNICODE_FSS texts (the system tables') arrive in code page 1252.
  EXPECT_EQ(db->QueryValue("SELECT TRIM(_UNICODE_FSS 'ação') FROM RDB$DATABASE"), "ação"_a);
  EXPECT_EQ(db->QueryValue("SELECT CAST('2007-01-05' AS DATE) FROM RDB$DATABASE"), "2007-01-05");  // the server's
  EXPECT_EQ(db->QueryValue("SELECT NULL FROM RDB$DATABASE"), std::nullopt);
  EXPECT_EQ(db->QueryValue("SELECT ID FROM T WHERE ID = 0"), std::nullopt);
  EXPECT_EQ(db->QueryScalar("SELECT ID FROM T WHERE ID = 0"), "");
  EXPECT_THROW(db->QueryValue("SELECT X FROM NAOEXISTE"), std::runtime_error);
}
