#include "core/gsm7tables.h"

// The tables below are transcribed from 3GPP TS 23.038: the default alphabet of clause 6.2.1,
// its extension table of 6.2.1.1, and the national language tables of Annex A (A.2 single
// shift, A.3 locking shift). Each is the table's 128 positions in order, eight to a line, the
// comment giving the first position of the line.
//
// How cells were written:
// - kNo marks a position the table leaves empty or reserved. That includes position 0x0D of
//   every single shift table (the control function CR2 / reserved, no character), and
//   position 0x1B of every table (kEsc, an alias of kNo): in a locking table the escape to
//   the single shift table, in a single shift table the escape reserved for a further table.
//   A message can use neither as a character.
// - Form feed U+000C sits at 0x0A of every single shift table; LF and CR at 0x0A and 0x0D of
//   every locking table.
// - Default alphabet 0x09 is U+00C7 (capital C with cedilla), as the table draws it. (The
//   Unicode consortium's GSM0338.TXT maps it to the small U+00E7 instead; here ç costs 0 with
//   the default tables and is found in the Turkish, Spanish and Portuguese ones.)
// - No cell of these tables holds a character sequence; a cell that the table draws as a
//   glyph is the one Unicode character named for it.
// - The Indic single shift tables hold '*' at both 0x0B and 0x18, and '¡' at both 0x13 and
//   0x15; both copies are kept, and encode() gives the lower position.
// - In the Indic and Urdu locking tables 0x28 is ')' and 0x29 is '(', as the tables have them.
// - Telugu single shift 0x65 is empty: unlike the other Indic tables it has no euro sign.
// - Checked cell by cell against a second listing of Annex A (tests/core/data/
//   national_tables.txt), which they match but in two places, each kept here on the side that
//   cannot garble a message:
//   - 0x2C of the Indic and Urdu locking tables is ',' here. The listing has an apostrophe,
//     which would leave these languages without any comma (their single shift tables have
//     none, and have the apostrophe at 0x09); ',' is the default alphabet's 0x2C.
//   - Kannada locking 0x24 is left empty. The listing has U+0CAA there, the same character
//     as at 0x3D, where the pattern of the other Indic tables has U+0CA1 (DDA): a phone may
//     read it either way, so U+0CA1 is not sent with this table and U+0CAA goes as 0x3D.

namespace tovrik::core {

namespace {

constexpr char32_t kNo = NoCharacter;
constexpr char32_t kEsc = NoCharacter;

// clang-format off
// 6.2.1 GSM 7 bit default alphabet.
constexpr Gsm7Table kDefaultAlphabet = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC,  // 0x00
    0x00F2, 0x00C7, U'\n', 0x00D8, 0x00F8, U'\r', 0x00C5, 0x00E5,  // 0x08
    0x0394, U'_', 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8,  // 0x10
    0x03A3, 0x0398, 0x039E, kEsc, 0x00C6, 0x00E6, 0x00DF, 0x00C9,  // 0x18
    U' ', U'!', U'"', U'#', 0x00A4, U'%', U'&', U'\'',  // 0x20
    U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',  // 0x38
    0x00A1, U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,  // 0x58
    0x00BF, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,  // 0x78
}};

// 6.2.1.1 GSM 7 bit default alphabet extension table.
constexpr Gsm7Table kDefaultExtension = {{
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x00
    kNo, kNo, U'\f', kNo, kNo, kNo, kNo, kNo,  // 0x08
    kNo, kNo, kNo, kNo, U'^', kNo, kNo, kNo,  // 0x10
    kNo, kNo, kNo, kEsc, kNo, kNo, kNo, kNo,  // 0x18
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x20
    U'{', U'}', kNo, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x40
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x48
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x50
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.1 Turkish national language locking shift table.
constexpr Gsm7Table kTurkishLocking = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x20AC, 0x00E9, 0x00F9, 0x0131,  // 0x00
    0x00F2, 0x00C7, U'\n', 0x011E, 0x011F, U'\r', 0x00C5, 0x00E5,  // 0x08
    0x0394, U'_', 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8,  // 0x10
    0x03A3, 0x0398, 0x039E, kEsc, 0x015E, 0x015F, 0x00DF, 0x00C9,  // 0x18
    U' ', U'!', U'"', U'#', 0x00A4, U'%', U'&', U'\'',  // 0x20
    U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',  // 0x38
    0x0130, U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,  // 0x58
    0x00E7, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,  // 0x78
}};

// A.2.1 Turkish national language single shift table.
constexpr Gsm7Table kTurkishSingle = {{
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x00
    kNo, kNo, U'\f', kNo, kNo, kNo, kNo, kNo,  // 0x08
    kNo, kNo, kNo, kNo, U'^', kNo, kNo, kNo,  // 0x10
    kNo, kNo, kNo, kEsc, kNo, kNo, kNo, kNo,  // 0x18
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x20
    U'{', U'}', kNo, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', kNo, kNo, kNo, kNo, kNo, kNo, 0x011E,  // 0x40
    kNo, 0x0130, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x48
    kNo, kNo, kNo, 0x015E, kNo, kNo, kNo, kNo,  // 0x50
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, 0x00E7, kNo, 0x20AC, kNo, 0x011F,  // 0x60
    kNo, 0x0131, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, 0x015F, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.2.2 Spanish national language single shift table.
constexpr Gsm7Table kSpanishSingle = {{
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x00
    kNo, 0x00E7, U'\f', kNo, kNo, kNo, kNo, kNo,  // 0x08
    kNo, kNo, kNo, kNo, U'^', kNo, kNo, kNo,  // 0x10
    kNo, kNo, kNo, kEsc, kNo, kNo, kNo, kNo,  // 0x18
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x20
    U'{', U'}', kNo, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', 0x00C1, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x40
    kNo, 0x00CD, kNo, kNo, kNo, kNo, kNo, 0x00D3,  // 0x48
    kNo, kNo, kNo, kNo, kNo, 0x00DA, kNo, kNo,  // 0x50
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, 0x00E1, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, 0x00ED, kNo, kNo, kNo, kNo, kNo, 0x00F3,  // 0x68
    kNo, kNo, kNo, kNo, kNo, 0x00FA, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.3 Portuguese national language locking shift table.
constexpr Gsm7Table kPortugueseLocking = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00EA, 0x00E9, 0x00FA, 0x00ED,  // 0x00
    0x00F3, 0x00E7, U'\n', 0x00D4, 0x00F4, U'\r', 0x00C1, 0x00E1,  // 0x08
    0x0394, U'_', 0x00AA, 0x00C7, 0x00C0, 0x221E, U'^', U'\\',  // 0x10
    0x20AC, 0x00D3, U'|', kEsc, 0x00C2, 0x00E2, 0x00CA, 0x00C9,  // 0x18
    U' ', U'!', U'"', U'#', 0x00BA, U'%', U'&', U'\'',  // 0x20
    U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',  // 0x38
    0x00CD, U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', 0x00C3, 0x00D5, 0x00DA, 0x00DC, 0x00A7,  // 0x58
    U'~', U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x00E3, 0x00F5, U'`', 0x00FC, 0x00E0,  // 0x78
}};

// A.2.3 Portuguese national language single shift table.
constexpr Gsm7Table kPortugueseSingle = {{
    kNo, kNo, kNo, kNo, kNo, 0x00EA, kNo, kNo,  // 0x00
    kNo, 0x00E7, U'\f', 0x00D4, 0x00F4, kNo, 0x00C1, 0x00E1,  // 0x08
    kNo, kNo, 0x03A6, 0x0393, U'^', 0x03A9, 0x03A0, 0x03A8,  // 0x10
    0x03A3, 0x0398, kNo, kEsc, kNo, kNo, kNo, 0x00CA,  // 0x18
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x20
    U'{', U'}', kNo, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', 0x00C0, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x40
    kNo, 0x00CD, kNo, kNo, kNo, kNo, kNo, 0x00D3,  // 0x48
    kNo, kNo, kNo, kNo, kNo, 0x00DA, kNo, kNo,  // 0x50
    kNo, kNo, kNo, 0x00C3, 0x00D5, kNo, kNo, kNo,  // 0x58
    kNo, 0x00C2, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, 0x00ED, kNo, kNo, kNo, kNo, kNo, 0x00F3,  // 0x68
    kNo, kNo, kNo, kNo, kNo, 0x00FA, kNo, kNo,  // 0x70
    kNo, kNo, kNo, 0x00E3, 0x00F5, kNo, kNo, 0x00E2,  // 0x78
}};

// A.3.4 Bengali national language locking shift table.
constexpr Gsm7Table kBengaliLocking = {{
    0x0981, 0x0982, 0x0983, 0x0985, 0x0986, 0x0987, 0x0988, 0x0989,  // 0x00
    0x098A, 0x098B, U'\n', 0x098C, kNo, U'\r', kNo, 0x098F,  // 0x08
    0x0990, kNo, kNo, 0x0993, 0x0994, 0x0995, 0x0996, 0x0997,  // 0x10
    0x0998, 0x0999, 0x099A, kEsc, 0x099B, 0x099C, 0x099D, 0x099E,  // 0x18
    U' ', U'!', 0x099F, 0x09A0, 0x09A1, 0x09A2, 0x09A3, 0x09A4,  // 0x20
    U')', U'(', 0x09A5, 0x09A6, U',', 0x09A7, U'.', 0x09A8,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x09AA, 0x09AB, U'?',  // 0x38
    0x09AC, 0x09AD, 0x09AE, 0x09AF, 0x09B0, kNo, 0x09B2, kNo,  // 0x40
    kNo, kNo, 0x09B6, 0x09B7, 0x09B8, 0x09B9, 0x09BC, 0x09BD,  // 0x48
    0x09BE, 0x09BF, 0x09C0, 0x09C1, 0x09C2, 0x09C3, 0x09C4, kNo,  // 0x50
    kNo, 0x09C7, 0x09C8, kNo, kNo, 0x09CB, 0x09CC, 0x09CD,  // 0x58
    0x09CE, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x09D7, 0x09DC, 0x09DD, 0x09F0, 0x09F1,  // 0x78
}};

// A.2.4 Bengali national language single shift table.
constexpr Gsm7Table kBengaliSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x09E6, 0x09E7, kEsc, 0x09E8, 0x09E9, 0x09EA, 0x09EB,  // 0x18
    0x09EC, 0x09ED, 0x09EE, 0x09EF, 0x09DF, 0x09E0, 0x09E1, 0x09E2,  // 0x20
    U'{', U'}', 0x09E3, 0x09F2, 0x09F3, 0x09F4, 0x09F5, U'\\',  // 0x28
    0x09F6, 0x09F7, 0x09F8, 0x09F9, 0x09FA, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.5 Gujarati national language locking shift table.
constexpr Gsm7Table kGujaratiLocking = {{
    0x0A81, 0x0A82, 0x0A83, 0x0A85, 0x0A86, 0x0A87, 0x0A88, 0x0A89,  // 0x00
    0x0A8A, 0x0A8B, U'\n', 0x0A8C, 0x0A8D, U'\r', kNo, 0x0A8F,  // 0x08
    0x0A90, 0x0A91, kNo, 0x0A93, 0x0A94, 0x0A95, 0x0A96, 0x0A97,  // 0x10
    0x0A98, 0x0A99, 0x0A9A, kEsc, 0x0A9B, 0x0A9C, 0x0A9D, 0x0A9E,  // 0x18
    U' ', U'!', 0x0A9F, 0x0AA0, 0x0AA1, 0x0AA2, 0x0AA3, 0x0AA4,  // 0x20
    U')', U'(', 0x0AA5, 0x0AA6, U',', 0x0AA7, U'.', 0x0AA8,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0AAA, 0x0AAB, U'?',  // 0x38
    0x0AAC, 0x0AAD, 0x0AAE, 0x0AAF, 0x0AB0, kNo, 0x0AB2, 0x0AB3,  // 0x40
    kNo, 0x0AB5, 0x0AB6, 0x0AB7, 0x0AB8, 0x0AB9, 0x0ABC, 0x0ABD,  // 0x48
    0x0ABE, 0x0ABF, 0x0AC0, 0x0AC1, 0x0AC2, 0x0AC3, 0x0AC4, 0x0AC5,  // 0x50
    kNo, 0x0AC7, 0x0AC8, 0x0AC9, kNo, 0x0ACB, 0x0ACC, 0x0ACD,  // 0x58
    0x0AD0, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0AE0, 0x0AE1, 0x0AE2, 0x0AE3, 0x0AF1,  // 0x78
}};

// A.2.5 Gujarati national language single shift table.
constexpr Gsm7Table kGujaratiSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0AE6, 0x0AE7, 0x0AE8, 0x0AE9,  // 0x18
    0x0AEA, 0x0AEB, 0x0AEC, 0x0AED, 0x0AEE, 0x0AEF, kNo, kNo,  // 0x20
    U'{', U'}', kNo, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.6 Hindi national language locking shift table.
constexpr Gsm7Table kHindiLocking = {{
    0x0901, 0x0902, 0x0903, 0x0905, 0x0906, 0x0907, 0x0908, 0x0909,  // 0x00
    0x090A, 0x090B, U'\n', 0x090C, 0x090D, U'\r', 0x090E, 0x090F,  // 0x08
    0x0910, 0x0911, 0x0912, 0x0913, 0x0914, 0x0915, 0x0916, 0x0917,  // 0x10
    0x0918, 0x0919, 0x091A, kEsc, 0x091B, 0x091C, 0x091D, 0x091E,  // 0x18
    U' ', U'!', 0x091F, 0x0920, 0x0921, 0x0922, 0x0923, 0x0924,  // 0x20
    U')', U'(', 0x0925, 0x0926, U',', 0x0927, U'.', 0x0928,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', 0x0929, 0x092A, 0x092B, U'?',  // 0x38
    0x092C, 0x092D, 0x092E, 0x092F, 0x0930, 0x0931, 0x0932, 0x0933,  // 0x40
    0x0934, 0x0935, 0x0936, 0x0937, 0x0938, 0x0939, 0x093C, 0x093D,  // 0x48
    0x093E, 0x093F, 0x0940, 0x0941, 0x0942, 0x0943, 0x0944, 0x0945,  // 0x50
    0x0946, 0x0947, 0x0948, 0x0949, 0x094A, 0x094B, 0x094C, 0x094D,  // 0x58
    0x0950, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0972, 0x097B, 0x097C, 0x097E, 0x097F,  // 0x78
}};

// A.2.6 Hindi national language single shift table.
constexpr Gsm7Table kHindiSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0966, 0x0967, 0x0968, 0x0969,  // 0x18
    0x096A, 0x096B, 0x096C, 0x096D, 0x096E, 0x096F, 0x0951, 0x0952,  // 0x20
    U'{', U'}', 0x0953, 0x0954, 0x0958, 0x0959, 0x095A, U'\\',  // 0x28
    0x095B, 0x095C, 0x095D, 0x095E, 0x095F, 0x0960, 0x0961, 0x0962,  // 0x30
    0x0963, 0x0970, 0x0971, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.7 Kannada national language locking shift table.
constexpr Gsm7Table kKannadaLocking = {{
    kNo, 0x0C82, 0x0C83, 0x0C85, 0x0C86, 0x0C87, 0x0C88, 0x0C89,  // 0x00
    0x0C8A, 0x0C8B, U'\n', 0x0C8C, kNo, U'\r', 0x0C8E, 0x0C8F,  // 0x08
    0x0C90, kNo, 0x0C92, 0x0C93, 0x0C94, 0x0C95, 0x0C96, 0x0C97,  // 0x10
    0x0C98, 0x0C99, 0x0C9A, kEsc, 0x0C9B, 0x0C9C, 0x0C9D, 0x0C9E,  // 0x18
    U' ', U'!', 0x0C9F, 0x0CA0, kNo, 0x0CA2, 0x0CA3, 0x0CA4,  // 0x20 (0x24: see the notes)
    U')', U'(', 0x0CA5, 0x0CA6, U',', 0x0CA7, U'.', 0x0CA8,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0CAA, 0x0CAB, U'?',  // 0x38
    0x0CAC, 0x0CAD, 0x0CAE, 0x0CAF, 0x0CB0, 0x0CB1, 0x0CB2, 0x0CB3,  // 0x40
    kNo, 0x0CB5, 0x0CB6, 0x0CB7, 0x0CB8, 0x0CB9, 0x0CBC, 0x0CBD,  // 0x48
    0x0CBE, 0x0CBF, 0x0CC0, 0x0CC1, 0x0CC2, 0x0CC3, 0x0CC4, kNo,  // 0x50
    0x0CC6, 0x0CC7, 0x0CC8, kNo, 0x0CCA, 0x0CCB, 0x0CCC, 0x0CCD,  // 0x58
    0x0CD5, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0CD6, 0x0CE0, 0x0CE1, 0x0CE2, 0x0CE3,  // 0x78
}};

// A.2.7 Kannada national language single shift table.
constexpr Gsm7Table kKannadaSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0CE6, 0x0CE7, 0x0CE8, 0x0CE9,  // 0x18
    0x0CEA, 0x0CEB, 0x0CEC, 0x0CED, 0x0CEE, 0x0CEF, 0x0CDE, 0x0CF1,  // 0x20
    U'{', U'}', 0x0CF2, kNo, kNo, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.8 Malayalam national language locking shift table.
constexpr Gsm7Table kMalayalamLocking = {{
    kNo, 0x0D02, 0x0D03, 0x0D05, 0x0D06, 0x0D07, 0x0D08, 0x0D09,  // 0x00
    0x0D0A, 0x0D0B, U'\n', 0x0D0C, kNo, U'\r', 0x0D0E, 0x0D0F,  // 0x08
    0x0D10, kNo, 0x0D12, 0x0D13, 0x0D14, 0x0D15, 0x0D16, 0x0D17,  // 0x10
    0x0D18, 0x0D19, 0x0D1A, kEsc, 0x0D1B, 0x0D1C, 0x0D1D, 0x0D1E,  // 0x18
    U' ', U'!', 0x0D1F, 0x0D20, 0x0D21, 0x0D22, 0x0D23, 0x0D24,  // 0x20
    U')', U'(', 0x0D25, 0x0D26, U',', 0x0D27, U'.', 0x0D28,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0D2A, 0x0D2B, U'?',  // 0x38
    0x0D2C, 0x0D2D, 0x0D2E, 0x0D2F, 0x0D30, 0x0D31, 0x0D32, 0x0D33,  // 0x40
    0x0D34, 0x0D35, 0x0D36, 0x0D37, 0x0D38, 0x0D39, kNo, 0x0D3D,  // 0x48
    0x0D3E, 0x0D3F, 0x0D40, 0x0D41, 0x0D42, 0x0D43, 0x0D44, kNo,  // 0x50
    0x0D46, 0x0D47, 0x0D48, kNo, 0x0D4A, 0x0D4B, 0x0D4C, 0x0D4D,  // 0x58
    0x0D57, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0D60, 0x0D61, 0x0D62, 0x0D63, 0x0D79,  // 0x78
}};

// A.2.8 Malayalam national language single shift table.
constexpr Gsm7Table kMalayalamSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0D66, 0x0D67, 0x0D68, 0x0D69,  // 0x18
    0x0D6A, 0x0D6B, 0x0D6C, 0x0D6D, 0x0D6E, 0x0D6F, 0x0D70, 0x0D71,  // 0x20
    U'{', U'}', 0x0D72, 0x0D73, 0x0D74, 0x0D75, 0x0D7A, U'\\',  // 0x28
    0x0D7B, 0x0D7C, 0x0D7D, 0x0D7E, 0x0D7F, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.9 Oriya national language locking shift table.
constexpr Gsm7Table kOriyaLocking = {{
    0x0B01, 0x0B02, 0x0B03, 0x0B05, 0x0B06, 0x0B07, 0x0B08, 0x0B09,  // 0x00
    0x0B0A, 0x0B0B, U'\n', 0x0B0C, kNo, U'\r', kNo, 0x0B0F,  // 0x08
    0x0B10, kNo, kNo, 0x0B13, 0x0B14, 0x0B15, 0x0B16, 0x0B17,  // 0x10
    0x0B18, 0x0B19, 0x0B1A, kEsc, 0x0B1B, 0x0B1C, 0x0B1D, 0x0B1E,  // 0x18
    U' ', U'!', 0x0B1F, 0x0B20, 0x0B21, 0x0B22, 0x0B23, 0x0B24,  // 0x20
    U')', U'(', 0x0B25, 0x0B26, U',', 0x0B27, U'.', 0x0B28,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0B2A, 0x0B2B, U'?',  // 0x38
    0x0B2C, 0x0B2D, 0x0B2E, 0x0B2F, 0x0B30, kNo, 0x0B32, 0x0B33,  // 0x40
    kNo, 0x0B35, 0x0B36, 0x0B37, 0x0B38, 0x0B39, 0x0B3C, 0x0B3D,  // 0x48
    0x0B3E, 0x0B3F, 0x0B40, 0x0B41, 0x0B42, 0x0B43, 0x0B44, kNo,  // 0x50
    kNo, 0x0B47, 0x0B48, kNo, kNo, 0x0B4B, 0x0B4C, 0x0B4D,  // 0x58
    0x0B56, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0B57, 0x0B60, 0x0B61, 0x0B62, 0x0B63,  // 0x78
}};

// A.2.9 Oriya national language single shift table.
constexpr Gsm7Table kOriyaSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0B66, 0x0B67, 0x0B68, 0x0B69,  // 0x18
    0x0B6A, 0x0B6B, 0x0B6C, 0x0B6D, 0x0B6E, 0x0B6F, 0x0B5C, 0x0B5D,  // 0x20
    U'{', U'}', 0x0B5F, 0x0B70, 0x0B71, kNo, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.10 Punjabi national language locking shift table.
constexpr Gsm7Table kPunjabiLocking = {{
    0x0A01, 0x0A02, 0x0A03, 0x0A05, 0x0A06, 0x0A07, 0x0A08, 0x0A09,  // 0x00
    0x0A0A, kNo, U'\n', kNo, kNo, U'\r', kNo, 0x0A0F,  // 0x08
    0x0A10, kNo, kNo, 0x0A13, 0x0A14, 0x0A15, 0x0A16, 0x0A17,  // 0x10
    0x0A18, 0x0A19, 0x0A1A, kEsc, 0x0A1B, 0x0A1C, 0x0A1D, 0x0A1E,  // 0x18
    U' ', U'!', 0x0A1F, 0x0A20, 0x0A21, 0x0A22, 0x0A23, 0x0A24,  // 0x20
    U')', U'(', 0x0A25, 0x0A26, U',', 0x0A27, U'.', 0x0A28,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0A2A, 0x0A2B, U'?',  // 0x38
    0x0A2C, 0x0A2D, 0x0A2E, 0x0A2F, 0x0A30, kNo, 0x0A32, 0x0A33,  // 0x40
    kNo, 0x0A35, 0x0A36, kNo, 0x0A38, 0x0A39, 0x0A3C, kNo,  // 0x48
    0x0A3E, 0x0A3F, 0x0A40, 0x0A41, 0x0A42, kNo, kNo, kNo,  // 0x50
    kNo, 0x0A47, 0x0A48, kNo, kNo, 0x0A4B, 0x0A4C, 0x0A4D,  // 0x58
    0x0A51, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0A70, 0x0A71, 0x0A72, 0x0A73, 0x0A74,  // 0x78
}};

// A.2.10 Punjabi national language single shift table.
constexpr Gsm7Table kPunjabiSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0A66, 0x0A67, 0x0A68, 0x0A69,  // 0x18
    0x0A6A, 0x0A6B, 0x0A6C, 0x0A6D, 0x0A6E, 0x0A6F, 0x0A59, 0x0A5A,  // 0x20
    U'{', U'}', 0x0A5B, 0x0A5C, 0x0A5E, 0x0A75, kNo, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.11 Tamil national language locking shift table.
constexpr Gsm7Table kTamilLocking = {{
    kNo, 0x0B82, 0x0B83, 0x0B85, 0x0B86, 0x0B87, 0x0B88, 0x0B89,  // 0x00
    0x0B8A, kNo, U'\n', kNo, kNo, U'\r', 0x0B8E, 0x0B8F,  // 0x08
    0x0B90, kNo, 0x0B92, 0x0B93, 0x0B94, 0x0B95, kNo, kNo,  // 0x10
    kNo, 0x0B99, 0x0B9A, kEsc, kNo, 0x0B9C, kNo, 0x0B9E,  // 0x18
    U' ', U'!', 0x0B9F, kNo, kNo, kNo, 0x0BA3, 0x0BA4,  // 0x20
    U')', U'(', kNo, kNo, U',', kNo, U'.', 0x0BA8,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', 0x0BA9, 0x0BAA, kNo, U'?',  // 0x38
    kNo, kNo, 0x0BAE, 0x0BAF, 0x0BB0, 0x0BB1, 0x0BB2, 0x0BB3,  // 0x40
    0x0BB4, 0x0BB5, 0x0BB6, 0x0BB7, 0x0BB8, 0x0BB9, kNo, kNo,  // 0x48
    0x0BBE, 0x0BBF, 0x0BC0, 0x0BC1, 0x0BC2, kNo, kNo, kNo,  // 0x50
    0x0BC6, 0x0BC7, 0x0BC8, kNo, 0x0BCA, 0x0BCB, 0x0BCC, 0x0BCD,  // 0x58
    0x0BD0, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0BD7, 0x0BF0, 0x0BF1, 0x0BF2, 0x0BF9,  // 0x78
}};

// A.2.11 Tamil national language single shift table.
constexpr Gsm7Table kTamilSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0964, 0x0965, kEsc, 0x0BE6, 0x0BE7, 0x0BE8, 0x0BE9,  // 0x18
    0x0BEA, 0x0BEB, 0x0BEC, 0x0BED, 0x0BEE, 0x0BEF, 0x0BF3, 0x0BF4,  // 0x20
    U'{', U'}', 0x0BF5, 0x0BF6, 0x0BF7, 0x0BF8, 0x0BFA, U'\\',  // 0x28
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.12 Telugu national language locking shift table.
constexpr Gsm7Table kTeluguLocking = {{
    0x0C01, 0x0C02, 0x0C03, 0x0C05, 0x0C06, 0x0C07, 0x0C08, 0x0C09,  // 0x00
    0x0C0A, 0x0C0B, U'\n', 0x0C0C, kNo, U'\r', 0x0C0E, 0x0C0F,  // 0x08
    0x0C10, kNo, 0x0C12, 0x0C13, 0x0C14, 0x0C15, 0x0C16, 0x0C17,  // 0x10
    0x0C18, 0x0C19, 0x0C1A, kEsc, 0x0C1B, 0x0C1C, 0x0C1D, 0x0C1E,  // 0x18
    U' ', U'!', 0x0C1F, 0x0C20, 0x0C21, 0x0C22, 0x0C23, 0x0C24,  // 0x20
    U')', U'(', 0x0C25, 0x0C26, U',', 0x0C27, U'.', 0x0C28,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', kNo, 0x0C2A, 0x0C2B, U'?',  // 0x38
    0x0C2C, 0x0C2D, 0x0C2E, 0x0C2F, 0x0C30, 0x0C31, 0x0C32, 0x0C33,  // 0x40
    kNo, 0x0C35, 0x0C36, 0x0C37, 0x0C38, 0x0C39, kNo, 0x0C3D,  // 0x48
    0x0C3E, 0x0C3F, 0x0C40, 0x0C41, 0x0C42, 0x0C43, 0x0C44, kNo,  // 0x50
    0x0C46, 0x0C47, 0x0C48, kNo, 0x0C4A, 0x0C4B, 0x0C4C, 0x0C4D,  // 0x58
    0x0C55, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0C56, 0x0C60, 0x0C61, 0x0C62, 0x0C63,  // 0x78
}};

// A.2.12 Telugu national language single shift table.
constexpr Gsm7Table kTeluguSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', kNo, kNo, kEsc, 0x0C66, 0x0C67, 0x0C68, 0x0C69,  // 0x18
    0x0C6A, 0x0C6B, 0x0C6C, 0x0C6D, 0x0C6E, 0x0C6F, 0x0C58, 0x0C59,  // 0x20
    U'{', U'}', 0x0C78, 0x0C79, 0x0C7A, 0x0C7B, 0x0C7C, U'\\',  // 0x28
    0x0C7D, 0x0C7E, 0x0C7F, kNo, kNo, kNo, kNo, kNo,  // 0x30
    kNo, kNo, kNo, kNo, U'[', U'~', U']', kNo,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x60 (0x65: see the notes)
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};

// A.3.13 Urdu national language locking shift table.
constexpr Gsm7Table kUrduLocking = {{
    0x0627, 0x0622, 0x0628, 0x067B, 0x0680, 0x067E, 0x06A6, 0x062A,  // 0x00
    0x06C2, 0x067F, U'\n', 0x0679, 0x067D, U'\r', 0x067A, 0x067C,  // 0x08
    0x062B, 0x062C, 0x0681, 0x0684, 0x0683, 0x0685, 0x0686, 0x0687,  // 0x10
    0x062D, 0x062E, 0x062F, kEsc, 0x068C, 0x0688, 0x0689, 0x068A,  // 0x18
    U' ', U'!', 0x068F, 0x068D, 0x0630, 0x0631, 0x0691, 0x0693,  // 0x20
    U')', U'(', 0x0699, 0x0632, U',', 0x0696, U'.', 0x0698,  // 0x28
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7',  // 0x30
    U'8', U'9', U':', U';', 0x069A, 0x0633, 0x0634, U'?',  // 0x38
    0x0635, 0x0636, 0x0637, 0x0638, 0x0639, 0x0641, 0x0642, 0x06A9,  // 0x40
    0x06AA, 0x06AB, 0x06AF, 0x06B3, 0x06B1, 0x0644, 0x0645, 0x0646,  // 0x48
    0x06BA, 0x06BB, 0x06BC, 0x0648, 0x06C4, 0x06D5, 0x06C1, 0x06BE,  // 0x50
    0x0621, 0x06CC, 0x06D0, 0x06D2, 0x064D, 0x0650, 0x064F, 0x0657,  // 0x58
    0x0654, U'a', U'b', U'c', U'd', U'e', U'f', U'g',  // 0x60
    U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',  // 0x68
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w',  // 0x70
    U'x', U'y', U'z', 0x0655, 0x0651, 0x0653, 0x0656, 0x0670,  // 0x78
}};

// A.2.13 Urdu national language single shift table.
constexpr Gsm7Table kUrduSingle = {{
    U'@', 0x00A3, U'$', 0x00A5, 0x00BF, U'"', 0x00A4, U'%',  // 0x00
    U'&', U'\'', U'\f', U'*', U'+', kNo, U'-', U'/',  // 0x08
    U'<', U'=', U'>', 0x00A1, U'^', 0x00A1, U'_', U'#',  // 0x10
    U'*', 0x0600, 0x0601, kEsc, 0x06F0, 0x06F1, 0x06F2, 0x06F3,  // 0x18
    0x06F4, 0x06F5, 0x06F6, 0x06F7, 0x06F8, 0x06F9, 0x060C, 0x060D,  // 0x20
    U'{', U'}', 0x060E, 0x060F, 0x0610, 0x0611, 0x0612, U'\\',  // 0x28
    0x0613, 0x0614, 0x061B, 0x061F, 0x0640, 0x0652, 0x0658, 0x066B,  // 0x30
    0x066C, 0x0672, 0x0673, 0x06CD, U'[', U'~', U']', 0x06D4,  // 0x38
    U'|', U'A', U'B', U'C', U'D', U'E', U'F', U'G',  // 0x40
    U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',  // 0x48
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W',  // 0x50
    U'X', U'Y', U'Z', kNo, kNo, kNo, kNo, kNo,  // 0x58
    kNo, kNo, kNo, kNo, kNo, 0x20AC, kNo, kNo,  // 0x60
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x68
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x70
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,  // 0x78
}};
// clang-format on

struct LanguageInfo {
    std::string_view code;
    const Gsm7Table *locking; // nullptr: no locking table
    const Gsm7Table *single;
};

constexpr std::array<LanguageInfo, kLanguageCount> kLanguages = {{
    {"", &kDefaultAlphabet, &kDefaultExtension},
    {"tr", &kTurkishLocking, &kTurkishSingle},
    {"es", nullptr, &kSpanishSingle},
    {"pt", &kPortugueseLocking, &kPortugueseSingle},
    {"bn", &kBengaliLocking, &kBengaliSingle},
    {"gu", &kGujaratiLocking, &kGujaratiSingle},
    {"hi", &kHindiLocking, &kHindiSingle},
    {"kn", &kKannadaLocking, &kKannadaSingle},
    {"ml", &kMalayalamLocking, &kMalayalamSingle},
    {"or", &kOriyaLocking, &kOriyaSingle},
    {"pa", &kPunjabiLocking, &kPunjabiSingle},
    {"ta", &kTamilLocking, &kTamilSingle},
    {"te", &kTeluguLocking, &kTeluguSingle},
    {"ur", &kUrduLocking, &kUrduSingle},
}};

constexpr std::array<Language, kLanguageCount> kAllLanguages = {
    Language::Default,   Language::Turkish,  Language::Spanish, Language::Portuguese,
    Language::Bengali,   Language::Gujarati, Language::Hindi,   Language::Kannada,
    Language::Malayalam, Language::Oriya,    Language::Punjabi, Language::Tamil,
    Language::Telugu,    Language::Urdu};

const LanguageInfo &Info(Language language) {
    const auto i = static_cast<std::size_t>(language);
    return kLanguages[i < kLanguages.size() ? i : 0];
}

} // namespace

std::span<const Language, kLanguageCount> AllLanguages() {
    return kAllLanguages;
}

std::optional<Language> LanguageFromCode(std::string_view iso6391) {
    if (iso6391.empty())
        return std::nullopt;
    for (std::size_t i = 1; i < kLanguages.size(); ++i)
        if (kLanguages[i].code == iso6391)
            return static_cast<Language>(i);
    return std::nullopt;
}

std::string_view LanguageCode(Language language) {
    return Info(language).code;
}

bool HasLockingTable(Language language) {
    return Info(language).locking != nullptr;
}

bool HasSingleShiftTable(Language language) {
    return Info(language).single != nullptr;
}

const Gsm7Table &LockingTable(Language language) {
    const Gsm7Table *table = Info(language).locking;
    return table != nullptr ? *table : kDefaultAlphabet;
}

const Gsm7Table &SingleShiftTable(Language language) {
    const Gsm7Table *table = Info(language).single;
    return table != nullptr ? *table : kDefaultExtension;
}

Gsm7Alphabet::Gsm7Alphabet(Language locking, Language single) : locking_(locking), single_(single) {
    pages_.reserve(8);     // a pair of tables touches at most six pages of 256
    pages_.emplace_back(); // page 0: every code point costs 0
    auto set = [this](char32_t c, std::uint8_t cost, std::size_t position) {
        if (c >= 0x10000)
            return; // no table reaches past the Basic Multilingual Plane
        std::uint8_t &slot = index_[c >> 8];
        if (slot == 0) {
            slot = static_cast<std::uint8_t>(pages_.size());
            pages_.emplace_back();
        }
        Page &page = pages_[slot];
        const std::size_t low = c & 0xFF;
        // A cost already set is never worse: the locking table is laid first, and within a
        // table the lower position of a repeated character wins.
        if (page.cost[low] != 0)
            return;
        page.cost[low] = cost;
        page.position[low] = static_cast<std::uint8_t>(position);
    };
    const Gsm7Table &lock = LockingTable(locking);
    const Gsm7Table &shift = SingleShiftTable(single);
    for (std::size_t p = 0; p < lock.size(); ++p)
        if (lock[p] != NoCharacter)
            set(lock[p], 1, p);
    for (std::size_t p = 0; p < shift.size(); ++p)
        if (shift[p] != NoCharacter)
            set(shift[p], 2, p);
    keepsDefaultAscii_ = true;
    for (const char32_t c : kDefaultAlphabet)
        if (c < 0x80 && septets(c) != 1)
            keepsDefaultAscii_ = false;
}

bool Gsm7Alphabet::encode(char32_t c, std::uint8_t &septet, bool &escaped) const {
    if (c >= 0x10000)
        return false;
    const Page &page = pages_[index_[c >> 8]];
    const std::uint8_t cost = page.cost[c & 0xFF];
    if (cost == 0)
        return false;
    septet = page.position[c & 0xFF];
    escaped = cost == 2;
    return true;
}

std::uint8_t HeaderOctets(bool locking, bool single) {
    // Each national language IE: identifier octet (0x25 locking, 0x24 single shift), length
    // octet (1), and the language identifier.
    return static_cast<std::uint8_t>((locking ? 3 : 0) + (single ? 3 : 0));
}

} // namespace tovrik::core
