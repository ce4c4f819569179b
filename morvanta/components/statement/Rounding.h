#pragma once
// Rounding of floating-point values half away from zero, as the dataset applies it to the values
// of executed statements (to its FloatPrecision decimals).

#include <cstdint>

namespace morvanta {

// The value rounded to a whole number, halves away from zero: 2.5 -> 3, -2.5 -> -3, 2.4999 -> 2.
// Raises EConvertError when the result does not fit a 64-bit integer (or the value is not a number).
std::int64_t RoundHalfUp(long double value);

// The value rounded to `decimals` decimals, halves away from zero: 0.125 -> 0.13, -0.125 -> -0.13.
// The rounding works on the value as written in decimal (its shortest round-trip text), so 2.0045
// to 3 decimals is 2.005 although its binary form lies just below. 10 or more decimals raise
// EConvertError ("'10000000000' is not a valid integer value"), as the factor ten to the power of
// the decimals must fit a 32-bit integer; fewer than 0 decimals round to a whole number.
long double RoundToPrecision(int decimals, long double value);

}  // namespace morvanta
