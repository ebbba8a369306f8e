#include "core/limitvalue.h"

#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tovrik::core {

namespace {

// The white space QString::trimmed() removes, in UTF-8, so the same blanks
// are ignored around the number as in the window.
constexpr std::array<std::string_view, 25> Blanks = {
    " ",
    "\t",
    "\n",
    "\v",
    "\f",
    "\r",
    "\xC2\x85",     // next line
    "\xC2\xA0",     // no-break space
    "\xE1\x9A\x80", // ogham space mark
    "\xE2\x80\x80", // en quad ... hair space
    "\xE2\x80\x81",
    "\xE2\x80\x82",
    "\xE2\x80\x83",
    "\xE2\x80\x84",
    "\xE2\x80\x85",
    "\xE2\x80\x86",
    "\xE2\x80\x87",
    "\xE2\x80\x88",
    "\xE2\x80\x89",
    "\xE2\x80\x8A",
    "\xE2\x80\xA8", // line separator
    "\xE2\x80\xA9", // paragraph separator
    "\xE2\x80\xAF", // narrow no-break space
    "\xE2\x81\x9F", // medium mathematical space
    "\xE3\x80\x80", // ideographic space
};

std::string_view trimmed(std::string_view text) {
    for (bool again = true; again;) {
        again = false;
        for (std::string_view blank : Blanks) {
            if (text.starts_with(blank)) {
                text.remove_prefix(blank.size());
                again = true;
            }
            if (text.ends_with(blank)) {
                text.remove_suffix(blank.size());
                again = true;
            }
        }
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// [+-] digits [. digits] [e [+-] digits], with a digit before or after the point.
bool isCNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t first = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        return i - first;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == text.size();
}

} // namespace

double RoundHalfEven(double value) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return rounded;
}

ParsedLimit LimitFromValue(double value) {
    const double rounded = RoundHalfEven(value);
    if (rounded < MinimumLimit || rounded > MaximumLimit)
        return {0, LimitError::OutOfRange};
    return {static_cast<int>(rounded), LimitError::None};
}

ParsedLimit ParseLimitC(std::string_view text) {
    text = trimmed(text);
    if (!isCNumber(text))
        return {0, LimitError::NotNumeric};
    if (text.front() == '+') // from_chars takes no plus sign
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Too large or too small for a double is not a number a user types.
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return {0, LimitError::NotNumeric};
    return LimitFromValue(value);
}

} // namespace tovrik::core
