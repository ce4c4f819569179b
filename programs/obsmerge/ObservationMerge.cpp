#include "programs/obsmerge/ObservationMerge.h"

#include <memory>

#include "morvanta/platform/framework/DatabasePlace.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/dataset/HeldBackWrites.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "programs/obsmerge/ProgressLine.h"
#include "morvanta/platform/framework/Runtime.h"
#include "programs/obsmerge/SelectedRowCount.h"
#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/platform/framework/UserInteraction.h"

using namespace morvanta;

namespace {

constexpr AsciiLiteral kPassword = "vornikate";

// The four objects of the run, freed in the order the run needs: the update dataset, the select
// dataset, the transaction, and the connection last, since the others refer to it.
struct RunObjects {
  std::unique_ptr<TMorvantaDatabase> connection = std::make_unique<TMorvantaDatabase>(nullptr);
  std::unique_ptr<TMorvantaDataset> select = std::make_unique<TMorvantaDataset>(nullptr);
  std::unique_ptr<TMorvantaDataset> update = std::make_unique<TMorvantaDataset>(nullptr);
  std::unique_ptr<TMorvantaTransaction> transaction = std::make_unique<TMorvantaTransaction>(nullptr);

  ~RunObjects() {
    update.reset();
    select.reset();
    transaction.reset();
    connection.reset();
  }
};

void ConnectToStore(TMorvantaDatabase& connection, const AnsiString& database, const AnsiString& user) {
  connection.SetConnected(false);
  connection.SetParamsLoaded(true);
  connection.Params().BeginUpdate();
  connection.ConfigureConnection("Interbase"_a, database, user, kPassword);
  connection.Params().EndUpdate();
  // Changing the connection name clears the mark: set it again so that no configuration file
  // ever replaces the parameters.
  connection.SetLoadParamsOnConnect(false);
  connection.SetParamsLoaded(true);
  // A store's server on another machine is reached over the store's link, where the bytes decide
  // the time: compressed, a merged row moves a fifth of them. On this machine compressing only
  // costs processor time (see bench/README.md).
  if (PlaceOf(database) == DatabasePlace::OtherMachine) connection.SetWireCompression(fb::WireCompression::Requested);
  connection.SetConnected(true);
}

}  // namespace

AnsiString ObservationUpdateStatement() {
  return "update fatobservpedido set \r    obs_temp = null, \r    obs_observ = :obs_observ \rwhere \r"
         "    lja_codigo = :lja_codigo and \r    cpe_codigo = :cpe_codigo "_a;
}

AnsiString ObservationSelectStatement() {
  return AnsiString(
             " select fatobservpedido.* \r from \r    fatobservpedido \r    join fatcppedido on \r"
             "        fatcppedido.lja_codigo = fatobservpedido.lja_codigo and \r"
             "        fatcppedido.cpe_codigo = fatobservpedido.cpe_codigo \r where \r"
             "    fatcppedido.cpe_status = ") +
         SqlStringLiteral("W") + " and " + "\r" +
         "    (fatobservpedido.obs_temp is not null and fatobservpedido.obs_temp <> " + SqlStringLiteral("") + ")";
}

int RunObservationMerge() {
  const AnsiString database = ParamStr(1);
  if (database.empty()) return 0;
  const AnsiString user = ParamStr(2);
  ShowMessage("DB: " + database + "\r" + "Usuario: " + user);

  RunObjects run;
  ConnectToStore(*run.connection, database, user);
  run.transaction->SetDatabase(run.connection.get());

  TMorvantaDataset& update = *run.update;
  update.SetDatabase(run.connection.get());
  update.SetTransaction(run.transaction.get());
  update.SetIgnoreLog(true);
  update.SQL().Clear();
  update.SQL().Add(ObservationUpdateStatement());
  update.ParamByName("obs_observ").SetDataType(ftBlob);

  TMorvantaDataset& select = *run.select;
  select.SetDatabase(run.connection.get());
  // A row whose fields could not all be copied (a blob that failed to arrive) must never be
  // merged: the failed copy ends the run as an error instead of a message box per field.
  select.SetOnFieldCopyFailure(FieldCopyFailure::Raise);
  select.SQL().Clear();
  select.SQL().Add(ObservationSelectStatement());

  ProgressLine progress;
  if (progress.Shown())
    if (auto total = CountSelectedRows(*run.connection, ObservationSelectStatement())) progress.SetTotal(*total);

  select.OpenQuery();
  select.First();
  try {
    // Over a network link the updates travel in batches: a few round trips per thousand rows.
    THeldBackWrites heldBack(update);
    TField& observation = select.FieldByName("obs_observ");
    TField& temporary = select.FieldByName("obs_temp");
    TField& store = select.FieldByName("lja_codigo");
    TField& order = select.FieldByName("cpe_codigo");
    TParam& observationParam = update.ParamByName("obs_observ");
    TParam& storeParam = update.ParamByName("lja_codigo");
    TParam& orderParam = update.ParamByName("cpe_codigo");
    while (!select.Eof()) {
      observationParam.SetAsBlob(observation.AsString() + " " + temporary.AsString());
      storeParam.SetAsInteger(store.AsInteger());
      orderParam.SetAsInteger(order.AsInteger());
      update.ExecSQL();
      progress.Step();
      select.NextRecord();
    }
    // The last batch runs here, so that its error is the update's own and ends in the rollback.
    heldBack.Finish();
  } catch (const Exception&) {
    run.transaction->Rollback();
    throw;
  }
  run.transaction->Commit();
  return 0;
}
