#include "morvanta/platform/firebird/detail/Dates.h"

#include "morvanta/platform/firebird/detail/Client.h"

namespace morvanta::fb::detail {

namespace {
// ISC_TIME counts ten-thousandths of a second.
constexpr unsigned kFractionsPerMillisecond = 10;
}  // namespace

TDateTime FromIscDate(ISC_DATE date) {
  unsigned year = 0, month = 0, day = 0;
  Util()->decodeDate(date, &year, &month, &day);
  return EncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
}

TDateTime FromIscTime(ISC_TIME time) {
  unsigned hours = 0, minutes = 0, seconds = 0, fractions = 0;
  Util()->decodeTime(time, &hours, &minutes, &seconds, &fractions);
  return EncodeTime(static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(seconds),
                    static_cast<int>(fractions / kFractionsPerMillisecond));
}

TDateTime FromIscTimestamp(const ISC_TIMESTAMP& stamp) {
  unsigned year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0, fractions = 0;
  Util()->decodeDate(stamp.timestamp_date, &year, &month, &day);
  Util()->decodeTime(stamp.timestamp_time, &hours, &minutes, &seconds, &fractions);
  return EncodeDateTime(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), static_cast<int>(hours),
                        static_cast<int>(minutes), static_cast<int>(seconds),
                        static_cast<int>(fractions / kFractionsPerMillisecond));
}

ISC_TIMESTAMP ToIscTimestamp(TDateTime value) {
  DateTimeParts p = DecodeDateTime(value);
  ISC_TIMESTAMP stamp;
  stamp.timestamp_date =
      Util()->encodeDate(static_cast<unsigned>(p.year), static_cast<unsigned>(p.month), static_cast<unsigned>(p.day));
  stamp.timestamp_time = Util()->encodeTime(static_cast<unsigned>(p.hour), static_cast<unsigned>(p.minute),
                                            static_cast<unsigned>(p.second),
                                            static_cast<unsigned>(p.millisecond) * kFractionsPerMillisecond);
  return stamp;
}

}  // namespace morvanta::fb::detail
