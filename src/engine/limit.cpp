#include "limit.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

namespace tovrik {

std::optional<double> NumericValue(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::system().toDouble(trimmed, &ok);
    // "inf" and "nan" are words, not numbers a user types as a limit.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double RoundHalfEven(double value) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return rounded;
}

ParsedLimit ParseLimit(const QString &text) {
    const std::optional<double> value = NumericValue(text);
    if (!value)
        return {0, LimitError::NotNumeric};
    const double rounded = RoundHalfEven(*value);
    if (rounded < MinimumLimit || rounded > MaximumLimit)
        return {0, LimitError::OutOfRange};
    return {static_cast<int>(rounded), LimitError::None};
}

} // namespace tovrik
