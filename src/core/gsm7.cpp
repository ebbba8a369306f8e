#include "core/gsm7.h"

#include <array>

namespace tovrik::core::detail {

namespace {

// The basic table in the order of its 128 positions; ESC (0x1B) is left out,
// as it only introduces the extension table.
constexpr char16_t Basic[] = u"@£$¥èéùìòÇ\nØø\rÅå"
                             u"Δ_ΦΓΛΩΠΨΣΘΞ" /* ESC */ u"ÆæßÉ"
                             u" !\"#¤%&'()*+,-./"
                             u"0123456789:;<=>?"
                             u"¡ABCDEFGHIJKLMNO"
                             u"PQRSTUVWXYZÄÖÑÜ§"
                             u"¿abcdefghijklmno"
                             u"pqrstuvwxyzäöñüà";
static_assert(std::size(Basic) - 1 == 127);

// The extension table: form feed ^ { } \ [ ~ ] | €.
constexpr char16_t Extension[] = u"\f^{}\\[~]|\u20AC";
static_assert(std::size(Extension) - 1 == 10);

constexpr std::array<std::uint8_t, 256> latin1Table() {
    std::array<std::uint8_t, 256> table{};
    for (char16_t c : Basic)
        if (c != 0 && c < 0x100)
            table[c] = 1;
    for (char16_t c : Extension)
        if (c != 0 && c < 0x100)
            table[c] = 2;
    return table;
}

// Above U+00FF the tables hold the Greek capitals and the euro sign, which
// Gsm7Septets knows by a mask: exactly those, at their cost.
constexpr bool maskMatchesTables() {
    int listed = 0;
    for (char16_t c : Basic)
        if (c >= 0x100 && Gsm7SeptetsPastLatin1(c) == 1)
            ++listed;
    for (char16_t c : Extension)
        if (c >= 0x100 && Gsm7SeptetsPastLatin1(c) == 2)
            ++listed;
    int known = 0;
    for (char32_t u = 0x100; u <= 0xFFFF; ++u)
        known += Gsm7SeptetsPastLatin1(u) != 0;
    return listed == 11 && known == 11;
}
static_assert(maskMatchesTables());

constexpr std::array<std::uint8_t, 0x800> below800Table() {
    std::array<std::uint8_t, 0x800> table{};
    const std::array<std::uint8_t, 256> latin1 = latin1Table();
    for (char32_t c = 0; c < 0x800; ++c)
        table[c] = std::uint8_t(c < 0x100 ? latin1[c] : Gsm7SeptetsPastLatin1(c));
    return table;
}

} // namespace

const std::array<std::uint8_t, 0x800> Gsm7SeptetsBelow800 = below800Table();

} // namespace tovrik::core::detail
