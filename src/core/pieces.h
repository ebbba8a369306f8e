#pragma once

#include "core/cutrules.h"
#include "core/national.h"
#include "core/numbering.h"
#include "core/sms.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The pieces of one message under every way of measuring them: characters or
// SMS units, each of the three modes, numbered or not.

namespace tovrik::core {

enum class SmsUnits : std::uint8_t {
    Off,        // the limit counts UTF-16 code units
    Standalone, // each piece fits one SMS in its own encoding
    Concat,     // the parts of one concatenated message, one encoding for all
};

// How many characters without a GSM-7 form the front ends show by name.
inline constexpr std::size_t ShownWithoutGsm7 = 10;

// Characters with a GSM-7 look-alike (curly quotes, dashes, odd spaces; see
// lookalikes.h) replaced by it before the cut, only when asked.
enum class Replacement : std::uint8_t {
    Never,
    WhenCheaper, // when the replaced message costs fewer pieces
    Always,      // whenever the replaced message is GSM-7 throughout (with
                 // the enabled national tables too)
};

struct PieceOptions {
    SmsUnits sms = SmsUnits::Off;
    SplitMode mode = SplitMode::Space;
    int limit = 160;                      // without SMS units only
    const NumberFormat *number = nullptr; // none: the pieces are not numbered
    Replacement replace = Replacement::Never;
    // National languages whose shift tables may be used (SMS units only).
    LanguageSet languages = 0;
};

// The septets of the blanks that a cut may leave as pieces of their own. A
// blank that stands by itself between two characters cannot be one where
// each character is a grapheme of its own and a piece holds more than the
// blank and the most a character costs (two septets): a piece then starts or
// ends with the blank's neighbours. Runs of blanks and the blanks at either
// end may.
std::ptrdiff_t BlanksThatMayStandAlone(std::string_view message, bool plainGraphemes);

class PieceSplitter {
public:
    // Cuts the message, which must outlive the results. False when the
    // numbering leaves no room for any text (pieces() is then empty).
    //
    // With a numbering, room is reserved for every %k and %n as wide as the
    // count, and the message is cut again while the count grows wider. The
    // numbering's characters count against the limit and, in SMS units,
    // decide the encoding too: one without a GSM-7 form makes every piece
    // UCS-2.
    //
    // In SMS units a message that fits one SMS (numbered as 1 of 1) is one
    // piece in every mode; otherwise the mode cuts pieces of the budget (153
    // or 67 a part with concatenation). No piece is blanks alone: such blanks
    // join the piece before them where they fit, and are dropped otherwise.
    bool split(std::string_view message, const PieceOptions &options);

    // The pieces' texts, unnumbered: views into text().
    const std::vector<std::string_view> &pieces() const { return m_pieces; }

    // The message as it is cut and sent: the message itself, or its copy
    // with look-alikes replaced, in which replaced() characters were.
    std::string_view text() const { return m_message; }
    std::size_t replaced() const { return m_replaced; }

    // With national languages enabled, the pair of tables the message is
    // sent with, chosen as a phone does: of the pairs that have every
    // character of the message and the numbering, the one that costs the
    // fewest pieces, then leaves the most room, then comes first (the
    // default tables before any national one); the default tables when no
    // pair has them all (the message is then UCS-2). The GSM-7 pieces use
    // these tables; UCS-2 ones none.
    ShiftTables tables() const { return m_tables; }

    // Why a message costs UCS-2: the characters of text() and then of the
    // numbering that have no GSM-7 form (in no enabled table; or, where each
    // is in some table but no pair has them all, not in the pair that lacks
    // the fewest), each once, in order, at most `most` (views into the text
    // and the format).
    void withoutGsm7(std::size_t most, WithoutGsm7 &found) const;

    // What the message costs as it will be sent. In SMS units: the pieces'
    // encoding (UCS-2 when any piece is UCS-2), numbering included, and the
    // number of SMS, one per piece. Without SMS units: the message's own
    // encoding and the parts a phone sends it in as one concatenated SMS.
    SmsEncoding messageEncoding() const;
    std::ptrdiff_t segments();

    // A piece once numbered: its encoding (shared by all pieces with
    // concatenation, its own otherwise) and its length in that encoding.
    struct Cost {
        SmsEncoding encoding;
        std::ptrdiff_t units;
    };
    Cost cost(std::ptrdiff_t index) const;

private:
    // Whether text has a GSM-7 form: with the default tables, or with a
    // pair of enabled national ones.
    bool gsm7Throughout(std::string_view text);
    bool cut(std::string_view message);
    // Cuts with m_tables, numbering widths and all.
    bool cutWithTables();
    // Makes m_tables the pair in force: the message's and the numbering's
    // cost with it (the message's septets given when known), and the room
    // of a piece.
    void useTables(const NationalTables::Pair *pair, std::ptrdiff_t septets = -1);
    // Cuts with each pair that may cost the fewest pieces; keeps the best.
    bool cutWithBestTables();
    bool cutOnce(int width);
    Cost textCost(std::string_view piece) const;
    // After a cut in SMS units: false when a character fits no piece; blank
    // pieces joined to the piece before or dropped.
    bool settle(const SmsBudget &budget);

    PieceOptions m_options;
    std::string_view m_message;
    SmsScan m_scan;
    SmsCutter m_cutter;
    std::vector<std::string_view> m_pieces;
    // For a concatenated message in SMS units, each piece's cost in its
    // encoding where the cut learnt it, else -1; empty otherwise.
    std::vector<std::ptrdiff_t> m_costs;
    std::string m_replacement; // the message with look-alikes replaced
    std::size_t m_replaced = 0;
    SmsEncoding m_concatEncoding = SmsEncoding::Gsm7;
    // The numbering's own characters: their septets (-1 without a GSM-7
    // form) and their UTF-16 units.
    std::ptrdiff_t m_literalSeptets = 0;
    std::ptrdiff_t m_literalUnits = 0;
    bool m_literalEscapes = false;
    // The tables in force, their alphabet (none for the default ones) and
    // the septets of one SMS and of a part of a concatenated one with them.
    ShiftTables m_tables;
    const Gsm7Alphabet *m_alphabet = nullptr;
    std::ptrdiff_t m_gsm7Single = Gsm7Single;
    std::ptrdiff_t m_gsm7Part = Gsm7Part;
    mutable NationalTables m_national; // built when first needed
    // A pair that has every character: the fewest pieces the message could
    // take with it, the room they would leave, and the room for text in one
    // SMS and in each piece when there are more.
    struct TableOption {
        std::size_t pair;
        std::ptrdiff_t fewest;
        std::ptrdiff_t room;
        std::ptrdiff_t single;
        std::ptrdiff_t piece;
    };
    std::vector<TableOption> m_tableOptions;
    // The numbering's septets with each pair of tables, for this numbering
    // text and these languages.
    std::string m_literal;
    LanguageSet m_literalLanguages = 0;
    std::vector<std::ptrdiff_t> m_literalPairSeptets;
    std::vector<std::ptrdiff_t> m_pairCosts;
    std::vector<std::string_view> m_bestPieces;
    std::vector<std::ptrdiff_t> m_bestCosts;
    SmsScan m_defaultScan;
};

} // namespace tovrik::core
