// The store-orders sample form on a database made by its own script.

#include <filesystem>

#include <gtest/gtest.h>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "tests/support/FormFiles.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using namespace formtest;

namespace {

const char* const kIsql = "/usr/bin/isql-fb";  // Debian's firebird3.0-utils

}  // namespace

TEST(SampleForm, OrdersAndTheCurrentOrdersObservationsOpenFromTheForm) {
  if (!std::filesystem::exists(kIsql)) GTEST_SKIP() << "isql-fb is not installed";
  auto db = testdb::TestDatabase::Embedded({"WIN1252"_a});
  std::string script = std::string(MORVANTA_SOURCE_DIR) + "/samples/loja-pedidos/loja-pedidos.sql";
  ProgramResult isql = RunProgram(kIsql, {"-q", "-ch", "UTF8", "-user", "SYSDBA", db->FilePath(), "-i", script});
  ASSERT_EQ(isql.exitCode, 0) << isql.out << isql.err;
  ASSERT_TRUE(isql.err.empty()) << isql.err;

  auto form = TStoredForm::LoadFromFile(SampleFormPath(), Classes());
  for (const char* name : {"dbLoja", "dbLog"}) {
    auto& connection = Find<TMorvantaDatabase>(*form, name);
    connection.ConfigureConnection("Firebird"_a, db->Database(), db->UserName(), db->Password());
    connection.SetConnected(true);
  }
  auto& pedidos = Find<TMorvantaDataset>(*form, "qryPedidos");
  auto& observ = Find<TMorvantaDataset>(*form, "qryObserv");
  pedidos.OpenQuery();
  ASSERT_EQ(pedidos.RecordCount(), 3);
  EXPECT_EQ(pedidos.FieldByName("cpe_cliente").AsString(), "Mercearia São João"_a);
  observ.OpenQuery();
  ASSERT_EQ(observ.RecordCount(), 1);
  EXPECT_EQ(observ.FieldByName("obs_observ").AsString(), "Entregar pela manhã"_a);
  // Moving the master reopens the detail through the data source.
  pedidos.Next();
  ASSERT_EQ(observ.RecordCount(), 1);
  EXPECT_EQ(observ.FieldByName("obs_observ").AsString(), "Pedido faturado");
  pedidos.Next();
  EXPECT_EQ(observ.RecordCount(), 0);
  EXPECT_EQ(db->QueryScalar("SELECT GEN_ID(GEN_FATCPPEDIDO, 0) FROM RDB$DATABASE"), "1000");
}
