#pragma once
// The change log's tables and id procedure in a test database, as docs/change-log.sql creates them.

#include "tests/support/TestDatabase.h"

using namespace morvanta;

namespace testdb {

inline void CreateChangeLogSchema(const TestDatabase& db) {
  db.Execute(
      "CREATE TABLE CONTROLLOG (CTL_ID INTEGER NOT NULL PRIMARY KEY, DBA_CODIGO INTEGER, CTL_TABLE VARCHAR(100), "
      "CTL_USUARIO VARCHAR(60), CTL_DATAHORA TIMESTAMP, CTL_TPOPER CHAR(1), CTL_FORM VARCHAR(100), "
      "CTL_QUERY VARCHAR(100))");
  db.Execute(
      "CREATE TABLE CONTROLLOGDET (CTL_ID INTEGER NOT NULL, CLD_ID INTEGER NOT NULL, CLD_FIELDNAME VARCHAR(100), "
      "CLD_FIELDTYPE VARCHAR(20), CLD_FIELDVALUE VARCHAR(500), PRIMARY KEY (CTL_ID, CLD_ID))");
  db.Execute("CREATE SEQUENCE GEN_CONTROLLOG");
  db.Execute("CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS BEGIN NID = GEN_ID(GEN_CONTROLLOG, 1); END");
}

}  // namespace testdb
