#pragma once

#include <QtGlobal>

#include <array>

// The GSM 7-bit default alphabet: what one UTF-16 code unit costs in septets.

namespace tovrik {

namespace detail {
// Septets of U+0000 to U+00FF: 0 (not in the alphabet), 1 or 2.
extern const std::array<quint8, 256> Gsm7Latin1Septets;
} // namespace detail

// 1 for a character of the basic table (CR and LF included), 2 for one of
// the extension table (sent as ESC and the character), 0 for a character
// that has no GSM-7 form. (The switch is checked against the tables when
// they are compiled.)
constexpr int Gsm7Septets(char16_t unit) {
    if (unit < 0x100)
        return detail::Gsm7Latin1Septets[unit];
    switch (unit) {
    case u'\u0393': // Γ
    case u'\u0394': // Δ
    case u'\u0398': // Θ
    case u'\u039B': // Λ
    case u'\u039E': // Ξ
    case u'\u03A0': // Π
    case u'\u03A3': // Σ
    case u'\u03A6': // Φ
    case u'\u03A8': // Ψ
    case u'\u03A9': // Ω
        return 1;
    case u'\u20AC': // €
        return 2;
    default:
        return 0;
    }
}

} // namespace tovrik
