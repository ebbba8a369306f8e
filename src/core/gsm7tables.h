// The GSM 7 bit alphabets of 3GPP TS 23.038: the default alphabet (clause 6.2.1), its
// extension table (6.2.1.1) and the national language locking shift and single shift tables
// of Annex A, as plain data, with an O(1) lookup of what one character costs in septets.
// No Qt here.
//
// The default alphabet and its extension table, and the Turkish, Spanish and Portuguese
// tables, and the Indic and Urdu ones, are checked cell by cell against second listings
// (tests/core/data; where they differ, gsm7tables.cpp says why).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tovrik::core {

// The national languages of 3GPP TS 23.038 Annex A. The numeric values are the standard's
// national language identifiers (the value octet of the locking shift IE 0x25 and of the
// single shift IE 0x24): Default = 0 (no national table), Turkish = 1 ... Urdu = 13.
enum class Language : std::uint8_t {
    Default,
    Turkish,
    Spanish,
    Portuguese,
    Bengali,
    Gujarati,
    Hindi,
    Kannada,
    Malayalam,
    Oriya,
    Punjabi,
    Tamil,
    Telugu,
    Urdu
};

inline constexpr int kLanguageCount = 14;

// Every language, in identifier order (Default first).
std::span<const Language, kLanguageCount> AllLanguages();

// ISO 639-1 code ("tr", "es", "pt", "bn", "gu", "hi", "kn", "ml", "or", "pa", "ta", "te",
// "ur") to language; lower case only; nullopt for anything else, including "".
std::optional<Language> LanguageFromCode(std::string_view iso6391);
// The ISO 639-1 code of a language; "" for Default.
std::string_view LanguageCode(Language language);

// Whether Annex A gives the language a locking shift table (every one but Spanish) and a
// single shift table (all of them). Default answers true to both: its "tables" are the
// default alphabet and the default extension table.
bool HasLockingTable(Language language);
bool HasSingleShiftTable(Language language);

// A cell of a table that holds no character: an empty or reserved position, and the
// escape position 0x1B. No cell holds U+0000, but position 0x00 of the default alphabet
// holds '@', so the sentinel is kept well outside Unicode.
inline constexpr char32_t NoCharacter = 0xFFFFFFFF;
inline constexpr std::uint8_t kEscapeSeptet = 0x1B;

using Gsm7Table = std::array<char32_t, 128>;

// The 128 cells of a language's locking shift table; for Default, and for a language with
// none (Spanish), the default alphabet.
const Gsm7Table &LockingTable(Language language);
// The 128 cells of a language's single shift table; for Default the default extension
// table.
const Gsm7Table &SingleShiftTable(Language language);

// The characters a message can use with one locking shift table and one single shift table
// in force, and what each costs: 1 septet when it is in the locking table, 2 (escape and
// position) when it is reached through the single shift table, 0 when it is in neither.
// A character in both costs 1.
//
// A lookup reads two small arrays and never loops: code points below U+10000 go through a
// page index (one byte per 256 code points) to a 256-entry page of costs; pages without
// any table character share an all-zero page. Building an alphabet costs a few
// microseconds; build it once per table pair and keep it.
class Gsm7Alphabet {
public:
    Gsm7Alphabet() : Gsm7Alphabet(Language::Default, Language::Default) {}
    Gsm7Alphabet(Language locking, Language single);

    Language locking() const { return locking_; }
    Language single() const { return single_; }

    int septets(char32_t c) const {
        if (c >= 0x10000)
            return 0;
        return pages_[index_[c >> 8]].cost[c & 0xFF];
    }

    // Whether any character of U+hh00 to U+hhFF (hh = high) is in the tables.
    bool holdsBlock(unsigned high) const { return high < 256 && index_[high] != 0; }

    // Whether every ASCII character of the default alphabet costs 1 septet here too, so
    // that a run of them can be counted without looking each one up.
    bool keepsDefaultAscii() const { return keepsDefaultAscii_; }

    // The table position of c: `escaped` is false for a position in the locking table and
    // true for one in the single shift table (to be sent after the escape 0x1B). Where a
    // table holds the same character twice, the lower position. False when c costs 0.
    bool encode(char32_t c, std::uint8_t &septet, bool &escaped) const;

private:
    struct Page {
        std::array<std::uint8_t, 256> cost{};
        std::array<std::uint8_t, 256> position{};
    };

    Language locking_;
    Language single_;
    bool keepsDefaultAscii_ = false;
    std::array<std::uint8_t, 256> index_{};
    std::vector<Page> pages_;
};

// Octets that the national language IEs add to the user data header, each IE being its
// identifier octet, its length octet and the one-octet language identifier: 3 for one
// table, 6 for both. Not counted: the header length octet itself, and concatenation.
std::uint8_t HeaderOctets(bool locking, bool single);

// Septets of GSM 7 bit text that fit in one message (140 octets of user data) once the
// header takes its share: header = length octet + 5 octets for an 8-bit reference
// concatenation IE when concatenated + HeaderOctets for the national tables; the text then
// starts at the next septet boundary, so capacity = floor((140 - header) * 8 / 7).
//   plain 160, one national table 155, both 152;
//   concatenated 153, with one national table 149, with both 146.
// nationalTables outside 0..2 gives 0.
constexpr int Gsm7Capacity(bool concatenated, int nationalTables) {
    if (nationalTables < 0 || nationalTables > 2)
        return 0;
    constexpr int kUserDataOctets = 140;
    constexpr int kConcatenationIe = 5; // identifier, length, reference, count, sequence
    int header = (concatenated ? kConcatenationIe : 0) + 3 * nationalTables;
    if (header > 0)
        header += 1; // the header length octet
    return (kUserDataOctets - header) * 8 / 7;
}

} // namespace tovrik::core
