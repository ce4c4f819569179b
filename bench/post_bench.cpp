// Posting new rows through a dataset: rows a second without and with the change log.
//
//   post_bench DATABASE USER PASSWORD [ROWS]
//
// Creates DATABASE (a file path for the embedded engine, or "host:path" for a server; forced
// writes off, so that the disk's flush latency is not measured), then posts ROWS new rows (10,000
// by default) of five fields through a dataset whose insert statement has the values written in,
// committing once at the end; then the same into a second table with the change log on, its log
// transaction on a connection of its own. Prints one line per measure: label, rows, seconds, rows
// a second.

#include <firebird/Interface.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/framework/SQLQuery.h"

using namespace morvanta;

namespace {

void CreateDatabase(const std::string& database, const std::string& user, const std::string& password) {
  Firebird::IMaster* master = Firebird::fb_get_master_interface();
  Firebird::ThrowStatusWrapper status(master->getStatus());
  try {
    Firebird::IXpbBuilder* dpb =
        master->getUtilInterface()->getXpbBuilder(&status, Firebird::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, user.c_str());
    dpb->insertString(&status, isc_dpb_password, password.c_str());
    dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
    dpb->insertInt(&status, isc_dpb_force_write, 0);
    Firebird::IAttachment* attachment = master->getDispatcher()->createDatabase(
        &status, database.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status));
    attachment->detach(&status);
    dpb->dispose();
  } catch (const Firebird::FbException& error) {
    char text[512];
    master->getUtilInterface()->formatStatus(text, sizeof text, error.getStatus());
    status.dispose();
    throw std::runtime_error(text);
  }
  status.dispose();
}

void Execute(TMorvantaDatabase& connection, const AnsiString& sql) {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(ToWide(sql));
  query.ExecSQL(true);
}

void CreateSchema(TMorvantaDatabase& connection) {
  for (const char* table : {"R", "RLOG"})
    Execute(connection, "CREATE TABLE " + AnsiString(table) +
                            " (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), QTD INTEGER, VALOR DOUBLE PRECISION, "
                            "DIA DATE)");
  Execute(connection,
          "CREATE TABLE CONTROLLOG (CTL_ID INTEGER NOT NULL PRIMARY KEY, DBA_CODIGO INTEGER, CTL_TABLE VARCHAR(100), "
          "CTL_USUARIO VARCHAR(60), CTL_DATAHORA TIMESTAMP, CTL_TPOPER CHAR(1), CTL_FORM VARCHAR(100), "
          "CTL_QUERY VARCHAR(100))"_a);
  Execute(connection,
          "CREATE TABLE CONTROLLOGDET (CTL_ID INTEGER NOT NULL, CLD_ID INTEGER NOT NULL, CLD_FIELDNAME VARCHAR(100), "
          "CLD_FIELDTYPE VARCHAR(20), CLD_FIELDVALUE VARCHAR(500), PRIMARY KEY (CTL_ID, CLD_ID))"_a);
  Execute(connection, "CREATE SEQUENCE GEN_CONTROLLOG"_a);
  Execute(connection, "CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS BEGIN NID = GEN_ID(GEN_CONTROLLOG, 1); END"_a);
}

// Posts `rows` new rows into `table` and commits; returns the seconds taken.
double PostRows(TMorvantaDatabase& connection, TMorvantaTransaction& transaction, const char* table, int rows) {
  TMorvantaDataset ds(nullptr);
  ds.SetName("qryBench");
  ds.SetDatabase(&connection);
  ds.SetTransaction(&transaction);
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"NOME", ftString, 40);
  ds.FieldDefs().Add(u"QTD", ftInteger);
  ds.FieldDefs().Add(u"VALOR", ftFloat);
  ds.FieldDefs().Add(u"DIA", ftDate);
  ds.CreateDataSet();
  ds.InsertSQL().SetText("INSERT INTO " + AnsiString(table) +
                         " (ID, NOME, QTD, VALOR, DIA) VALUES (:ID, :NOME, :QTD, :VALOR, :DIA)");
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= rows; ++i) {
    ds.Append();
    ds.FieldByName("ID").SetAsInteger(i);
    ds.FieldByName("NOME").SetAsString("linha " + IntToStr(i));
    ds.FieldByName("QTD").SetAsInteger(i % 97);
    ds.FieldByName("VALOR").SetAsFloat(i * 1.25);
    ds.FieldByName("DIA").SetAsDateTime(EncodeDate(2024, 1 + i % 12, 1 + i % 28));
    ds.Post();
  }
  transaction.Commit();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* label, int rows, double seconds) {
  std::printf("%-22s %8d %10.2f %10.0f\n", label, rows, seconds, rows / seconds);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: post_bench DATABASE USER PASSWORD [ROWS]\n");
    return 2;
  }
  const std::string database = argv[1], user = argv[2], password = argv[3];
  const int rows = argc > 4 ? std::atoi(argv[4]) : 10000;
  try {
    CreateDatabase(database, user, password);
    TMorvantaDatabase connection(nullptr);
    connection.ConfigureConnection("Interbase"_a, FromSystem(database), FromSystem(user), FromSystem(password));
    connection.SetConnected(true);
    CreateSchema(connection);
    TMorvantaTransaction transaction(nullptr);
    transaction.SetDatabase(&connection);
    Report("post", rows, PostRows(connection, transaction, "R", rows));

    TMorvantaDatabase logConnection(nullptr);
    logConnection.ConfigureConnection("Interbase"_a, FromSystem(database), FromSystem(user), FromSystem(password));
    logConnection.SetConnected(true);
    TMorvantaTransaction logTransaction(nullptr);
    logTransaction.SetDatabase(&logConnection);
    logTransaction.SetTag(1);
    transaction.SetTransactionLOG(&logTransaction);
    Report("post + change log", rows, PostRows(connection, transaction, "RLOG", rows));
    transaction.SetTransactionLOG(nullptr);
  } catch (const Exception& error) {
    std::fprintf(stderr, "post_bench: %s\n", ToSystem(error.Message()).c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "post_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
