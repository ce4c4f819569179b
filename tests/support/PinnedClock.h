#pragma once
// Pins the platform's clock (and makes its waits instant) for the life of the object.

#include <cstdint>
#include <vector>

#include "morvanta/platform/core/DateTime.h"

using namespace morvanta;

class PinnedClock {
 public:
  explicit PinnedClock(TDateTime moment) : moment_(moment) {
    SetClock([this] { return moment_; });
    SetSleeper([this](std::uint32_t ms) { Waits.push_back(ms); });
  }
  ~PinnedClock() {
    SetClock(nullptr);
    SetSleeper(nullptr);
  }
  void Set(TDateTime moment) { moment_ = moment; }

  std::vector<std::uint32_t> Waits;

 private:
  TDateTime moment_;
};

inline TDateTime TimeOfDay(int h, int m, int s, int ms) { return EncodeDate(2026, 12, 9) + EncodeTime(h, m, s, ms); }
