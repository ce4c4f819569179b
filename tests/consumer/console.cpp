// consumer-console DATABASE: reads the sample store's observations, changes one in a transaction
// and commits, then reads it back. Exit code 0 when the text read back is the text written.
#include <cstdio>
#include <memory>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/Text.h"

using namespace morvanta;

namespace {

AnsiString ObservationOf(TMorvantaDatabase& connection, int store, int order) {
  TMorvantaDataset select(nullptr);
  select.SetDatabase(&connection);
  select.SQL().Add("select obs_observ from fatobservpedido where lja_codigo = :store and cpe_codigo = :order");
  select.ParamByName("store").SetAsInteger(store);
  select.ParamByName("order").SetAsInteger(order);
  select.OpenQuery();
  return select.FieldByName("obs_observ").AsString();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: consumer-console DATABASE\n", stderr);
    return 2;
  }
  try {
    TMorvantaDatabase connection(nullptr);
    connection.ConfigureConnection("Firebird"_a, FromSystem(argv[1]), "SYSDBA"_a, "masterkey"_a);
    connection.SetConnected(true);

    TMorvantaDataset count(nullptr);
    count.SetDatabase(&connection);
    count.SQL().Add("select count(*) as total from fatobservpedido");
    count.OpenQuery();
    const std::int64_t observations = count.FieldByName("total").AsInteger();

    TMorvantaTransaction transaction(nullptr);
    transaction.SetDatabase(&connection);
    TMorvantaDataset update(nullptr);
    update.SetDatabase(&connection);
    update.SetTransaction(&transaction);
    update.SetIgnoreLog(true);
    update.SQL().Add("update fatobservpedido set obs_observ = :text where lja_codigo = 1 and cpe_codigo = 103");
    const AnsiString written = "Conferido pelo balcão"_a;
    update.ParamByName("text").SetAsString(written);
    update.ExecSQL();
    transaction.Commit();

    const AnsiString read = ObservationOf(connection, 1, 103);
    std::printf("consumer-console: %lld observations; read back \"%s\"\n", static_cast<long long>(observations),
                ToSystem(read).c_str());
    return read == written && observations > 0 ? 0 : 1;
  } catch (const Exception& error) {
    std::fprintf(stderr, "consumer-console: %s: %s\n", error.ClassName(), ToSystem(error.Message()).c_str());
    return 1;
  }
}
