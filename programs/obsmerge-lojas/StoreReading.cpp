#include "programs/obsmerge-lojas/StoreReading.h"

#include <memory>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"
#include "programs/obsmerge/ObservationMerge.h"
#include "programs/obsmerge/SelectedRowCount.h"

using namespace morvanta;

namespace {

constexpr AsciiLiteral kPassword = "vornikate";  // the merge program's fixed password

// Connected as the merge connects, allowed to read only.
std::unique_ptr<TMorvantaDatabase> ConnectReadOnly(const AnsiString& database, const AnsiString& user) {
  auto connection = std::make_unique<TMorvantaDatabase>(nullptr);
  connection->SetConnected(false);
  connection->SetParamsLoaded(true);
  connection->Params().BeginUpdate();
  connection->ConfigureConnection("Interbase"_a, database, user, kPassword);
  connection->Params().EndUpdate();
  connection->SetLoadParamsOnConnect(false);
  connection->SetParamsLoaded(true);
  connection->SetPermiteInserir(false);
  connection->SetPermiteAlterar(false);
  connection->SetPermiteExcluir(false);
  connection->SetPermiteMovimentar(false);
  connection->SetConnected(true);
  return connection;
}

std::vector<MergeSample> ReadSamples(TMorvantaDatabase& connection, int sampleRows) {
  TMorvantaDataset select(nullptr);
  select.SetDatabase(&connection);
  select.SetIgnorarErro(true);  // the error itself, never a message box
  select.SetOnFieldCopyFailure(FieldCopyFailure::Raise);
  select.SetPacoteRegistros(sampleRows);
  select.SQL().Clear();
  select.SQL().Add("select first " + IntToStr(sampleRows) + " * from (" + ObservationSelectStatement() + ")");
  select.OpenQuery();
  select.First();
  std::vector<MergeSample> samples;
  while (!select.Eof() && static_cast<int>(samples.size()) < sampleRows) {
    MergeSample sample;
    sample.store = select.FieldByName("lja_codigo").AsInteger();
    sample.order = select.FieldByName("cpe_codigo").AsInteger();
    sample.before = select.FieldByName("obs_observ").AsString();
    sample.after = sample.before + " " + select.FieldByName("obs_temp").AsString();
    samples.push_back(std::move(sample));
    select.NextRecord();
  }
  select.Close();
  return samples;
}

}  // namespace

std::uint64_t CountRowsToMerge(const AnsiString& database, const AnsiString& user) {
  auto connection = ConnectReadOnly(database, user);
  const std::uint64_t rows = CountSelectedRowsOrRaise(*connection, ObservationSelectStatement());
  connection->SetConnected(false);
  return rows;
}

MergePreview PreviewMerge(const AnsiString& database, const AnsiString& user, int sampleRows) {
  auto connection = ConnectReadOnly(database, user);
  MergePreview preview;
  preview.rows = CountSelectedRowsOrRaise(*connection, ObservationSelectStatement());
  if (sampleRows > 0) preview.samples = ReadSamples(*connection, sampleRows);
  connection->SetConnected(false);
  return preview;
}
