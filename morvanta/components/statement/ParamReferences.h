#pragma once
// A parameter name used more than once in a statement has an entry per reference; only its first
// entry (the one ParamByName gives) holds the value the application set.

#include "morvanta/platform/core/Params.h"

namespace morvanta {

// True for an entry whose name an earlier entry of the list already carries.
bool RepeatsAnEarlierName(const TParams& params, int index);
// Gives every later entry of a name the settings of the first, so that each reference is bound.
void ShareValuesOfRepeatedNames(TParams& params);

}  // namespace morvanta
