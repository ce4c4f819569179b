#include "morvanta/platform/core/DateTime.h"

#include "morvanta/platform/core/Exceptions.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace morvanta {

namespace {

std::function<TDateTime()>& ClockSlot() {
  static std::function<TDateTime()> clock;
  return clock;
}

std::function<void(std::uint32_t)>& SleeperSlot() {
  static std::function<void(std::uint32_t)> sleeper;
  return sleeper;
}

// Days from the civil date to 1 January 1970 (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) +
         kUnixEpochDays;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  TDateTime date = EncodeDate(year, month, day);
  TDateTime time = EncodeTime(hour, minute, second, millisecond);
  return date >= 0 ? date + time : date - time;
}

DateTimeParts DecodeDateTime(TDateTime value) {
  // Days beyond year 9999 either way, or no number at all, are not a date.
  if (!std::isfinite(value) || std::fabs(value) > 2958466.0) throw EConvertError("Invalid argument to date decode");
  DateTimeParts p;
  // Whole milliseconds since day zero; the time of day is the fraction's absolute value.
  double days = std::trunc(value);
  double fraction = std::fabs(value - days);
  std::int64_t ms = std::llround(fraction * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    days += value >= 0 ? 1 : -1;
  }
  CivilFromDays(static_cast<std::int64_t>(days) - static_cast<std::int64_t>(kUnixEpochDays), p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

TDateTime Now() {
  if (ClockSlot()) return ClockSlot()();
  auto now = std::chrono::system_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec, static_cast<int>(ms % 1000));
}

void SetClock(std::function<TDateTime()> clock) { ClockSlot() = std::move(clock); }

void Sleep(std::uint32_t milliseconds) {
  if (SleeperSlot()) {
    SleeperSlot()(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetSleeper(std::function<void(std::uint32_t)> sleeper) { SleeperSlot() = std::move(sleeper); }

}  // namespace morvanta
