#include "morvanta/components/statement/ParamReferences.h"

namespace morvanta {

bool RepeatsAnEarlierName(const TParams& params, int index) {
  return params.FindParam(std::u16string_view(params[index].Name())) != &params[index];
}

void ShareValuesOfRepeatedNames(TParams& params) {
  for (int i = 1; i < params.Count(); ++i) {
    TParam* first = params.FindParam(std::u16string_view(params[i].Name()));
    if (first && first != &params[i]) params[i].Assign(*first);
  }
}

}  // namespace morvanta
