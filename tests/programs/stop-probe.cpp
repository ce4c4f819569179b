// morvanta-stop-probe DATABASE USER PASSWORD end|tell: a program of the kind a developer builds on
// the component layer, for the tests of how programs stop. It changes every row of table T
// (NOME = 'mudado') in a transaction it keeps open, says so on the standard error stream and
// waits. With "end" Ctrl+C or SIGTERM ends it at once; with "tell" it is told, rolls back itself
// and ends with exit code 3.

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/core/StopSignals.h"

using namespace morvanta;

namespace {

void Say(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string mode = argv[4];
  StopSignals stop(mode == "tell" ? StopOnSignal::Tell : StopOnSignal::EndAtOnce);
  try {
    auto connection = std::make_unique<TMorvantaDatabase>(nullptr);
    connection->ConfigureConnection("Interbase"_a, FromSystem(argv[1]), FromSystem(argv[2]), FromSystem(argv[3]));
    connection->SetConnected(true);
    auto transaction = std::make_unique<TMorvantaTransaction>(nullptr);
    transaction->SetDatabase(connection.get());
    auto update = std::make_unique<TMorvantaDataset>(nullptr);
    update->SetName("qryMuda");
    update->SetDatabase(connection.get());
    update->SetTransaction(transaction.get());
    update->SetIgnoreLog(true);
    update->SQL().Add("UPDATE T SET NOME = 'mudado'");
    update->ExecSQL();
    auto count = std::make_unique<TMorvantaDataset>(nullptr);
    count->SetName("qryConta");
    count->SetDatabase(connection.get());
    count->SetTransaction(transaction.get());
    count->SQL().Add("SELECT COUNT(*) AS N FROM T WHERE NOME = 'mudado'");
    count->OpenQuery();
    Say("mudadas " + std::to_string(count->FieldByName("N").AsInteger()) + ", transação aberta\n");
    pollfd told{stop.Descriptor(), POLLIN, 0};
    while (poll(&told, told.fd < 0 ? 0 : 1, -1) <= 0 || stop.Received() == 0) {
    }
    Say("parando por " + std::to_string(stop.Received()) + "\n");
    transaction->Rollback();
    return 3;
  } catch (const Exception& error) {
    Say(ToSystem(error.Message()) + "\n");
    return 1;
  }
}
