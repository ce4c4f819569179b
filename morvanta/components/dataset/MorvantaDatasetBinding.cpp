// Value binding of the dataset for its connection's database kind.

#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/framework/Runtime.h"
#include "morvanta/components/statement/ValueBinding.h"

namespace morvanta {

AnsiString TMorvantaDataset::DateTimeToDBText(TDateTime value) const {
  return morvanta::DateTimeToDBText(Kind(), value);
}

void TMorvantaDataset::CopyParamType(TParam& target, const TParam& source) const {
  morvanta::CopyParamType(target, source, Kind());
}

void TMorvantaDataset::ParamTypeFromField(TParam& target, const TField& field) const {
  morvanta::ParamTypeFromField(target, field.DataType(), Kind());
}

void TMorvantaDataset::InlineParamValues(TSQLQuery& query) {
  WideString rendered =
      morvanta::InlineParamValues(query.SQL().Text(), query.Params(), permiteApostrofo_, DecimalSeparator());
  query.SQL().Clear();
  query.SQL().SetText(rendered);
}

}  // namespace morvanta
