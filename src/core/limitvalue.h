#pragma once

#include <string_view>

// The limit as a number, without Qt: what the window and tovrik-split share.

namespace tovrik::core {

inline constexpr int MinimumLimit = 1;
inline constexpr int MaximumLimit = 32767;

// The nearest whole number, a half going to the even neighbour ("2.5" gives 2,
// "3.5" gives 4).
double RoundHalfEven(double value);

enum class LimitError { None, NotNumeric, OutOfRange };

struct ParsedLimit {
    int limit = 0;
    LimitError error = LimitError::None;
};

// A number as it stands, rounded and checked to lie in 1 to 32767.
ParsedLimit LimitFromValue(double value);

// The limit read the same way on every machine, as the C locale writes
// numbers: blanks around it, a sign, digits with "." as the decimal point,
// an exponent; no group separators ("1,000" is not a number). For scripts.
ParsedLimit ParseLimitC(std::string_view text);

} // namespace tovrik::core
