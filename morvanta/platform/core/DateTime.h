#pragma once
// The framework's date-time: days since 30 December 1899 plus the fraction of the day.

#include <cstdint>
#include <functional>

namespace morvanta {

using TDateTime = double;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);
DateTimeParts DecodeDateTime(TDateTime value);

// The current local date and time. Tests may pin the clock with SetClock.
TDateTime Now();
void SetClock(std::function<TDateTime()> clock);  // an empty function restores the real clock

// Waits the given number of milliseconds (the clock of SetClock may also replace the wait).
void Sleep(std::uint32_t milliseconds);
void SetSleeper(std::function<void(std::uint32_t)> sleeper);

// Day of the Unix epoch (1 January 1970) in the framework's date-time.
inline constexpr double kUnixEpochDays = 25569.0;

}  // namespace morvanta
