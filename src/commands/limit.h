#pragma once

#include "core/limitvalue.h"

#include <QString>

#include <optional>

namespace tovrik::commands {

// The numeric test of the X text: locale-aware (the system locale), blanks
// around the number, a sign, a decimal separator and an exponent allowed.
std::optional<double> NumericValue(const QString &text);
inline bool IsNumeric(const QString &text) {
    return NumericValue(text).has_value();
}

// The X text as a limit from 1 to 32767, read in the system locale.
core::ParsedLimit ParseLimit(const QString &text);

} // namespace tovrik::commands
