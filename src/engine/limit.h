#pragma once

#include <QString>

#include <optional>

namespace tovrik {

inline constexpr int MinimumLimit = 1;
inline constexpr int MaximumLimit = 32767;

// The numeric test of the X text: locale-aware (the system locale), blanks
// around the number, a sign, a decimal separator and an exponent allowed.
std::optional<double> NumericValue(const QString &text);
inline bool IsNumeric(const QString &text) {
    return NumericValue(text).has_value();
}

// The nearest whole number, a half going to the even neighbour ("2.5" gives 2,
// "3.5" gives 4).
double RoundHalfEven(double value);

enum class LimitError { None, NotNumeric, OutOfRange };

struct ParsedLimit {
    int limit = 0;
    LimitError error = LimitError::None;
};

// The X text as a limit from 1 to 32767.
ParsedLimit ParseLimit(const QString &text);

} // namespace tovrik
