#include "morvanta/components/dataset/HeldBackWrites.h"

#include "morvanta/components/MorvantaDataset.h"

namespace morvanta {

THeldBackWrites::THeldBackWrites(TMorvantaDataset& dataset) : dataset_(dataset) {
  dataset_.SetBatching(WriteBatching::InTransaction);
}

THeldBackWrites::~THeldBackWrites() { dataset_.SetBatching(WriteBatching::Off); }

void THeldBackWrites::Finish() { dataset_.ApplyPendingWrites(); }

}  // namespace morvanta
