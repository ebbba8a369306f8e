#include "commands/limit.h"

#include <QLocale>

#include <cmath>

namespace tovrik::commands {

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

core::ParsedLimit ParseLimit(const QString &text) {
    const std::optional<double> value = NumericValue(text);
    if (!value)
        return {0, core::LimitError::NotNumeric};
    return core::LimitFromValue(*value);
}

} // namespace tovrik::commands
