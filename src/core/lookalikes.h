// Characters that senders paste from word processors and web pages, each with a common
// stand-in made of GSM 7 bit default alphabet characters, for an opt-in replacement that
// keeps a message in GSM 7 bit instead of UCS-2. A table of our own making, not taken from
// 3GPP TS 23.038.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace tovrik::core {

struct LookAlikeEntry {
    char32_t from;         // one code point, never below U+0080
    std::string_view to;   // UTF-8, one or more characters of the default alphabet's basic
                           // table (1 septet each), never empty, never two blanks
    std::string_view note; // why, for documentation
};

// The stand-in for c, or an empty view when there is none. Below U+0080 there is never one.
std::string_view LookAlike(char32_t c);

// Every entry, sorted by `from`, each code point once.
std::span<const LookAlikeEntry> LookAlikes();

// Writes text (well-formed UTF-8) to `out` with every character that has a
// look-alike replaced by it; returns how many characters were replaced. When
// none is, `out` is left empty: the text is not copied.
std::size_t ReplaceLookAlikes(std::string_view text, std::string &out);

} // namespace tovrik::core
