// A server error that a dataset wraps in its own message keeps its class, its error codes and its
// SQLSTATE on every road: ExecSQL (with and without IgnorarErro), the open of a select, the write
// of a posted row and DeleteRow.

#include <gtest/gtest.h>
#include <ibase.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "morvanta/platform/core/Exceptions.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;

namespace {

std::optional<EFirebirdError> FirebirdErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFirebirdError& error) {
    return error;
  } catch (const Exception& error) {
    ADD_FAILURE() << "raised " << error.ClassName() << ": " << error.Message();
  }
  return std::nullopt;
}

struct ErrorCase {
  const char* road;
  bool ignorarErro;
  std::function<void(TMorvantaDataset&)> fail;  // on a dataset qryT over table T with row ID 1
  std::int64_t code;                            // a code the server's error carries
  const char* sqlState;
  const char* prefix;  // what the dataset puts before the server's message
  const char* words;   // what the server's message says
};

}  // namespace

TEST(DatasetErrorCodes, AWrappedServerErrorKeepsItsClassCodesAndSqlState) {
  auto duplicateInsert = [](TMorvantaDataset& ds) {
    ds.SQL().SetText("INSERT INTO T (ID, NOME) VALUES (1, 'outra')");
    ds.ExecSQL();
  };
  auto missingTable = [](TMorvantaDataset& ds) {
    ds.SQL().SetText("SELECT ID FROM NAOEXISTE");
    ds.OpenQuery();
  };
  auto postDuplicate = [](TMorvantaDataset& ds) {
    ds.OpenQuery();
    ds.InsertSQL().SetText("INSERT INTO T (ID, NOME) VALUES (:ID, :NOME)");
    ds.Insert();
    ds.FieldByName("ID").SetAsInteger(1);
    ds.Post();
  };
  auto deleteFromMissingTable = [](TMorvantaDataset& ds) {
    ds.OpenQuery();
    ds.DeleteSQL().SetText("DELETE FROM NAOEXISTE WHERE ID = :ID");
    ds.DeleteRow();
  };
  const std::vector<ErrorCase> cases = {
      {"ExecSQL", true, duplicateInsert, isc_unique_key_violation, "23000", "", "PRIMARY or UNIQUE KEY"},
      {"ExecSQL", false, duplicateInsert, isc_unique_key_violation, "23000", "Erro de ExecSQL em .qryT ",
       "PRIMARY or UNIQUE KEY"},
      {"OpenQuery", true, missingTable, isc_dsql_relation_err, "42S02", "", "Table unknown"},
      {"Post", true, postDuplicate, isc_unique_key_violation, "23000", "", "PRIMARY or UNIQUE KEY"},
      {"DeleteRow", false, deleteFromMissingTable, isc_dsql_relation_err, "42S02", "", "Table unknown"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(std::string(c.road) + (c.ignorarErro ? " with IgnorarErro" : ""));
    DatasetWorld world;
    world.CreateNumberedTable(1);
    RecordingInteraction ui;
    TMorvantaDataset& ds = world.Dataset("qryT"_a, "SELECT ID, NOME FROM T"_a);
    ds.SetIgnoreLog(true);
    ds.SetIgnorarErro(c.ignorarErro);
    const std::optional<EFirebirdError> error = FirebirdErrorOf([&] { c.fail(ds); });
    if (!error) continue;
    EXPECT_TRUE(error->HasErrorCode(c.code)) << error->Message();
    EXPECT_EQ(error->SqlState(), c.sqlState);
    const AnsiString& message = error->Message();
    const AnsiString prefix(c.prefix);
    ASSERT_EQ(message.rfind(prefix, 0), 0u) << message;
    // After the prefix, the server's own message, and nothing else.
    EXPECT_NE(message.find(c.words), AnsiString::npos) << message;
    EXPECT_EQ(message.find("Erro de ExecSQL", prefix.size()), AnsiString::npos) << message;
    EXPECT_TRUE(ui.Messages.empty());
  }
}
