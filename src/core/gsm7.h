#pragma once

#include <cstdint>

#include <array>

// The GSM 7-bit default alphabet: what one character costs in septets.

namespace tovrik::core {

namespace detail {
// Septets of U+0000 to U+00FF: 0 (not in the alphabet), 1 or 2.
extern const std::array<std::uint8_t, 256> Gsm7Latin1Septets;
} // namespace detail

// 1 for a character of the basic table (CR and LF included), 2 for one of
// the extension table (sent as ESC and the character), 0 for a character
// that has no GSM-7 form. (The switch is checked against the tables when
// they are compiled.)
constexpr int Gsm7Septets(char32_t c) {
    if (c < 0x100)
        return detail::Gsm7Latin1Septets[c];
    switch (c) {
    case U'\u0393': // Γ
    case U'\u0394': // Δ
    case U'\u0398': // Θ
    case U'\u039B': // Λ
    case U'\u039E': // Ξ
    case U'\u03A0': // Π
    case U'\u03A3': // Σ
    case U'\u03A6': // Φ
    case U'\u03A8': // Ψ
    case U'\u03A9': // Ω
        return 1;
    case U'\u20AC': // €
        return 2;
    default:
        return 0;
    }
}

} // namespace tovrik::core
