#pragma once
// The framework's date-time and Firebird's dates, times and timestamps.

#include <firebird/Interface.h>

#include "morvanta/platform/core/DateTime.h"

namespace morvanta::fb::detail {

TDateTime FromIscDate(ISC_DATE date);
TDateTime FromIscTime(ISC_TIME time);
TDateTime FromIscTimestamp(const ISC_TIMESTAMP& stamp);
ISC_TIMESTAMP ToIscTimestamp(TDateTime value);

}  // namespace morvanta::fb::detail
