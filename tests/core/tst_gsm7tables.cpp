// Checks of the GSM 7 bit tables (core/gsm7tables) and of the look-alike table
// (core/lookalikes). A plain executable: it prints each failure, then "N passed, N failed",
// and returns non-zero when anything failed.
//
// The tables are checked three ways:
// - against a second listing kept as text under data/ (default alphabet and extension table
//   cell by cell; published facts about the Turkish, Spanish and Portuguese tables);
// - against the layout every table of 3GPP TS 23.038 shares (LF/CR/SP/digits/a-z in locking
//   tables, FF and the default extension characters in single shift tables) and, for the
//   Indic and Urdu tables, against the Unicode block of their script;
// - the lookup against a plain search of the tables, for every pair of tables and every
//   code point of the Basic Multilingual Plane.
#include "core/gsm7tables.h"
#include "core/lookalikes.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace tovrik::core;

namespace {

int g_passed = 0;
int g_failed = 0;

void check(bool ok, const std::string &what) {
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
        std::printf("FAIL: %s\n", what.c_str());
    }
}

std::string hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

std::string name(Language l) {
    const std::string_view code = LanguageCode(l);
    return code.empty() ? std::string("default") : std::string(code);
}

// The first code point of a UTF-8 string; NoCharacter when it is not exactly one.
char32_t decodeOne(const std::string &s) {
    if (s.empty())
        return NoCharacter;
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
    if (s.size() != n)
        return NoCharacter;
    char32_t c = n == 1 ? b0 : b0 & (0x3F >> (n - 1));
    for (std::size_t i = 1; i < n; ++i)
        c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return c;
}

char32_t cellFromListing(const std::string &token) {
    static const std::map<std::string, char32_t> names = {
        {"LF", U'\n'}, {"CR", U'\r'},        {"SP", U' '},
        {"FF", U'\f'}, {"ESC", NoCharacter}, {"--", NoCharacter}};
    const auto it = names.find(token);
    return it != names.end() ? it->second : decodeOne(token);
}

std::vector<std::vector<std::string>> readListing(const std::string &file) {
    std::vector<std::vector<std::string>> lines;
    std::ifstream in(std::string(TOVRIK_GSM7_DATA_DIR) + "/" + file);
    check(in.good(), "cannot read " + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::vector<std::string> tokens;
        for (std::string w; words >> w;)
            tokens.push_back(w);
        lines.push_back(tokens);
    }
    return lines;
}

bool inTable(const Gsm7Table &t, char32_t c) {
    for (char32_t cell : t)
        if (cell == c)
            return true;
    return false;
}

// 1 in the locking table, 2 through the single shift table, for every cell of every table.
void everyCellCostsWhatItsTableSays() {
    for (Language l : AllLanguages()) {
        if (HasLockingTable(l)) {
            const Gsm7Alphabet a(l, Language::Default);
            const Gsm7Table &t = LockingTable(l);
            for (std::size_t p = 0; p < t.size(); ++p) {
                if (t[p] == NoCharacter)
                    continue;
                std::uint8_t septet = 0xFF;
                bool escaped = true;
                const bool found = a.encode(t[p], septet, escaped);
                check(a.septets(t[p]) == 1 && found && !escaped && septet <= p && t[septet] == t[p],
                      name(l) + " locking 0x" + hex(unsigned(p)) + " U+" + hex(t[p]) +
                          " should cost 1 at its own position");
            }
        }
        if (HasSingleShiftTable(l)) {
            const Gsm7Alphabet a(Language::Default, l);
            const Gsm7Table &base = LockingTable(Language::Default);
            const Gsm7Table &t = SingleShiftTable(l);
            for (std::size_t p = 0; p < t.size(); ++p) {
                if (t[p] == NoCharacter)
                    continue;
                const int want = inTable(base, t[p]) ? 1 : 2;
                std::uint8_t septet = 0xFF;
                bool escaped = false;
                a.encode(t[p], septet, escaped);
                const bool atCell = want == 1 || (escaped && septet <= p && t[septet] == t[p]);
                check(a.septets(t[p]) == want && atCell,
                      name(l) + " single shift 0x" + hex(unsigned(p)) + " U+" + hex(t[p]) +
                          " should cost " + std::to_string(want));
            }
        }
    }
}

// 0 for every character in neither table, for every pair of tables.
void lookupMatchesPlainSearch() {
    for (Language lock : AllLanguages()) {
        for (Language shift : AllLanguages()) {
            const Gsm7Alphabet a(lock, shift);
            std::vector<std::uint8_t> want(0x10000, 0);
            for (char32_t c : SingleShiftTable(shift))
                if (c != NoCharacter)
                    want[c] = 2;
            for (char32_t c : LockingTable(lock))
                if (c != NoCharacter)
                    want[c] = 1;
            int wrong = 0;
            char32_t first = 0;
            for (char32_t c = 0; c < 0x10000; ++c) {
                if (a.septets(c) != want[c] && wrong++ == 0)
                    first = c;
            }
            for (char32_t c : {char32_t(0x10000), char32_t(0x1F600), char32_t(0x10FFFF),
                               char32_t(0x110000), NoCharacter}) {
                std::uint8_t septet = 0;
                bool escaped = false;
                if (a.septets(c) != 0 || a.encode(c, septet, escaped))
                    ++wrong;
            }
            check(wrong == 0, "lookup " + name(lock) + "/" + name(shift) + ": " +
                                  std::to_string(wrong) + " wrong, first U+" + hex(first));
        }
    }
}

// The default alphabet and extension table against the second listing, every cell.
void defaultTablesMatchSecondListing() {
    int rows = 0;
    for (const auto &tokens : readListing("default_alphabet.txt")) {
        if (tokens.size() != 18) {
            check(false, "default_alphabet.txt: a row needs 18 words");
            continue;
        }
        const bool basic = tokens[0] == "basic";
        const Gsm7Table &t =
            basic ? LockingTable(Language::Default) : SingleShiftTable(Language::Default);
        const unsigned row = std::stoul(tokens[1], nullptr, 16);
        for (unsigned i = 0; i < 16; ++i) {
            const char32_t listed = cellFromListing(tokens[2 + i]);
            check(t[row + i] == listed, std::string(basic ? "default alphabet" : "extension") +
                                            " 0x" + hex(row + i) + ": table U+" + hex(t[row + i]) +
                                            ", listing U+" + hex(listed));
        }
        ++rows;
    }
    check(rows == 16, "default_alphabet.txt should hold 16 rows");
}

// Every national table against its second listing, every cell; where a table differs from
// the listing on purpose, it holds the cell the listing's "differs" line gives.
void nationalTablesMatchSecondListing() {
    const auto listing = readListing("national_tables.txt");
    std::map<std::string, std::string> differs; // "hi lock 2C" -> the table's cell
    for (const auto &tokens : listing)
        if (tokens.at(0) == "differs" && tokens.size() == 5)
            differs[tokens[1] + " " + tokens[2] + " " + hex(std::stoul(tokens[3], nullptr, 16))] =
                tokens[4];
    const auto cell = [](const std::string &word) {
        return word.starts_with("U+") ? char32_t(std::stoul(word.substr(2), nullptr, 16))
                                      : cellFromListing(word);
    };
    int rows = 0;
    std::size_t used = 0;
    for (const auto &tokens : listing) {
        if (tokens.at(0) == "differs")
            continue;
        const auto language = LanguageFromCode(tokens.at(0));
        if (tokens.size() != 19 || !language) {
            check(false, "national_tables.txt: a row needs a language and 19 words");
            continue;
        }
        const bool locking = tokens[1] == "lock";
        const Gsm7Table &t = locking ? LockingTable(*language) : SingleShiftTable(*language);
        const unsigned row = std::stoul(tokens[2], nullptr, 16);
        for (unsigned i = 0; i < 16; ++i) {
            const auto kept = differs.find(tokens[0] + " " + tokens[1] + " " + hex(row + i));
            const bool differing = kept != differs.end();
            used += differing;
            const char32_t listed = cell(differing ? kept->second : tokens[3 + i]);
            check(t[row + i] == listed && (!differing || cell(tokens[3 + i]) != listed),
                  tokens[0] + " " + tokens[1] + " 0x" + hex(row + i) + ": table U+" +
                      hex(t[row + i]) + ", listing " + tokens[3 + i] +
                      (differing ? ", kept " + kept->second : std::string()));
        }
        ++rows;
    }
    check(rows == (5 + 20) * 8, "national_tables.txt should hold the 8 rows of 25 tables");
    check(used == differs.size(), "national_tables.txt: a \"differs\" line names no cell");
}

void nationalTablesMatchPublishedFacts() {
    int facts = 0;
    for (const auto &tokens : readListing("national_facts.txt")) {
        const auto l = LanguageFromCode(tokens.at(0));
        check(l.has_value(), "unknown language " + tokens[0]);
        if (!l)
            continue;
        const std::string &what = tokens.at(1);
        if (what == "reach" || what == "lock") {
            const Gsm7Alphabet a(*l, what == "lock" ? Language::Default : *l);
            for (std::size_t i = 2; i < tokens.size(); ++i, ++facts) {
                const int cost = a.septets(decodeOne(tokens[i]));
                check(what == "lock" ? cost == 1 : cost > 0,
                      tokens[0] + " " + what + " " + tokens[i] + ": costs " + std::to_string(cost));
            }
        } else if (what == "shift") {
            const unsigned pos = std::stoul(tokens.at(2), nullptr, 16);
            check(SingleShiftTable(*l).at(pos) == decodeOne(tokens.at(3)),
                  tokens[0] + " single shift " + tokens[2] + " should be " + tokens[3]);
            ++facts;
        }
    }
    check(facts >= 45, "national_facts.txt: fewer facts than written");
}

// What every table of the standard shares.
void tablesKeepTheCommonLayout() {
    for (Language l : AllLanguages()) {
        const Gsm7Table &lock = LockingTable(l);
        bool ok = lock[0x0A] == U'\n' && lock[0x0D] == U'\r' && lock[0x1B] == NoCharacter &&
                  lock[0x20] == U' ' && lock[0x3F] == U'?';
        for (int d = 0; d < 10; ++d)
            ok = ok && lock[0x30 + d] == char32_t(U'0' + d);
        for (int k = 0; k < 26; ++k)
            ok = ok && lock[0x61 + k] == char32_t(U'a' + k);
        check(ok, name(l) + " locking table: LF CR SP ? digits a-z in place");

        const Gsm7Table &shift = SingleShiftTable(l);
        // (Telugu's has no euro sign.)
        const std::map<int, char32_t> ext = {
            {0x0A, U'\f'},       {0x14, U'^'},
            {0x28, U'{'},        {0x29, U'}'},
            {0x2F, U'\\'},       {0x3C, U'['},
            {0x3D, U'~'},        {0x3E, U']'},
            {0x40, U'|'},        {0x65, l == Language::Telugu ? NoCharacter : char32_t(0x20AC)},
            {0x0D, NoCharacter}, {0x1B, NoCharacter}};
        ok = true;
        for (const auto &[pos, c] : ext)
            ok = ok && shift[pos] == c;
        check(ok,
              name(l) + " single shift table: FF and the default extension characters in place");
    }
    // No table holds a character twice, but for '*' (0x0B, 0x18) and '¡' (0x13, 0x15) in the
    // Indic and Urdu single shift tables: a slip of one hex digit inside a script block shows
    // up here when it lands on a character the table already has.
    for (Language l : AllLanguages()) {
        for (bool single : {false, true}) {
            const Gsm7Table &t = single ? SingleShiftTable(l) : LockingTable(l);
            std::string repeated;
            for (std::size_t p = 0; p < t.size(); ++p)
                for (std::size_t q = 0; q < p; ++q)
                    if (t[p] != NoCharacter && t[p] == t[q] &&
                        !(single && (t[p] == U'*' || t[p] == 0xA1)))
                        repeated += " 0x" + hex(unsigned(p));
            check(repeated.empty(),
                  name(l) + (single ? " single shift" : " locking") + ": repeated at" + repeated);
        }
    }
    // Indic and Urdu tables: every cell past Latin-1 lies in the script's Unicode block (the
    // single shift tables may also hold the Devanagari dandas U+0964 U+0965).
    const std::map<Language, char32_t> blocks = {
        {Language::Bengali, 0x0980}, {Language::Gujarati, 0x0A80},  {Language::Hindi, 0x0900},
        {Language::Kannada, 0x0C80}, {Language::Malayalam, 0x0D00}, {Language::Oriya, 0x0B00},
        {Language::Punjabi, 0x0A00}, {Language::Tamil, 0x0B80},     {Language::Telugu, 0x0C00},
        {Language::Urdu, 0x0600}};
    for (const auto &[l, base] : blocks) {
        const char32_t end = base + (l == Language::Urdu ? 0x100 : 0x80);
        for (bool single : {false, true}) {
            const Gsm7Table &t = single ? SingleShiftTable(l) : LockingTable(l);
            std::string stray;
            for (std::size_t p = 0; p < t.size(); ++p) {
                const char32_t c = t[p];
                const bool euro = single && c == 0x20AC;
                const bool danda = single && (c == 0x0964 || c == 0x0965);
                if (c != NoCharacter && c >= 0x100 && !euro && !danda && (c < base || c >= end))
                    stray += " 0x" + hex(unsigned(p));
            }
            check(stray.empty(), name(l) + (single ? " single shift" : " locking") +
                                     ": cells outside the script block:" + stray);
        }
    }
}

void spotChecks() {
    struct Case {
        Language lock, shift;
        char32_t c;
        int septets;
    };
    // A few cells read off the standard's tables, and characters that must cost 0.
    const Case cases[] = {
        {Language::Default, Language::Default, U'@', 1},
        {Language::Default, Language::Default, U'\n', 1},
        {Language::Default, Language::Default, U'\r', 1},
        {Language::Default, Language::Default, U'\f', 2},
        {Language::Default, Language::Default, 0x20AC, 2},
        {Language::Default, Language::Default, U'`', 0},
        {Language::Default, Language::Default, 0x00E7, 0},
        {Language::Default, Language::Default, U'\t', 0},
        {Language::Default, Language::Default, 0x0000, 0},
        {Language::Turkish, Language::Default, 0x011F, 1},
        {Language::Turkish, Language::Default, 0x20AC, 1},
        {Language::Turkish, Language::Default, 0x00E8, 0},
        {Language::Default, Language::Turkish, 0x015F, 2},
        {Language::Default, Language::Spanish, 0x00FA, 2},
        {Language::Spanish, Language::Spanish, U'@', 1},
        {Language::Portuguese, Language::Default, 0x221E, 1},
        {Language::Portuguese, Language::Default, U'[', 2},
        {Language::Hindi, Language::Hindi, 0x0915, 1},
        {Language::Hindi, Language::Hindi, U'@', 2},
        {Language::Hindi, Language::Default, U'@', 0},
        {Language::Hindi, Language::Hindi, U'A', 2},
        {Language::Urdu, Language::Urdu, 0x0627, 1},
        {Language::Urdu, Language::Urdu, 0x06F1, 2},
        {Language::Tamil, Language::Tamil, 0x0B95, 1},
    };
    for (const Case &k : cases) {
        const Gsm7Alphabet a(k.lock, k.shift);
        check(a.septets(k.c) == k.septets, name(k.lock) + "/" + name(k.shift) + " U+" + hex(k.c) +
                                               " should cost " + std::to_string(k.septets));
    }
    std::uint8_t septet = 0;
    bool escaped = false;
    const Gsm7Alphabet def;
    check(def.encode(U'@', septet, escaped) && septet == 0x00 && !escaped, "'@' is 0x00");
    check(def.encode(0x20AC, septet, escaped) && septet == 0x65 && escaped, "euro is 1B 65");
    check(Gsm7Alphabet(Language::Hindi, Language::Hindi).encode(0x00A1, septet, escaped) &&
              septet == 0x13 && escaped,
          "a repeated cell encodes at its lower position");
}

void languages() {
    const std::pair<const char *, Language> codes[] = {
        {"tr", Language::Turkish}, {"es", Language::Spanish},   {"pt", Language::Portuguese},
        {"bn", Language::Bengali}, {"gu", Language::Gujarati},  {"hi", Language::Hindi},
        {"kn", Language::Kannada}, {"ml", Language::Malayalam}, {"or", Language::Oriya},
        {"pa", Language::Punjabi}, {"ta", Language::Tamil},     {"te", Language::Telugu},
        {"ur", Language::Urdu}};
    for (const auto &[code, l] : codes) {
        check(LanguageFromCode(code) == l && LanguageCode(l) == code,
              std::string("language code ") + code);
        check(HasSingleShiftTable(l) && HasLockingTable(l) == (l != Language::Spanish),
              std::string("tables of ") + code);
    }
    check(LanguageCode(Language::Default).empty(), "Default has no code");
    check(HasLockingTable(Language::Default) && HasSingleShiftTable(Language::Default),
          "Default has the default tables");
    for (const char *bad : {"", "TR", "en", "tur", "t"})
        check(!LanguageFromCode(bad).has_value(), std::string("no language for '") + bad + "'");
    check(static_cast<int>(Language::Urdu) == 13 && AllLanguages().size() == 14,
          "language identifiers 0..13");
}

void capacities() {
    check(HeaderOctets(false, false) == 0 && HeaderOctets(true, false) == 3 &&
              HeaderOctets(false, true) == 3 && HeaderOctets(true, true) == 6,
          "header octets 0/3/3/6");
    const int want[2][3] = {{160, 155, 152}, {153, 149, 146}};
    for (int concatenated = 0; concatenated < 2; ++concatenated)
        for (int tables = 0; tables < 3; ++tables)
            check(Gsm7Capacity(concatenated != 0, tables) == want[concatenated][tables],
                  "capacity concatenated=" + std::to_string(concatenated) +
                      " tables=" + std::to_string(tables));
    check(Gsm7Capacity(false, 3) == 0 && Gsm7Capacity(true, -1) == 0, "capacity of a bad count");
}

void lookAlikes() {
    const Gsm7Alphabet def;
    const auto entries = LookAlikes();
    check(entries.size() >= 40, "look-alike table is there");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LookAlikeEntry &e = entries[i];
        const std::string from = "U+" + hex(e.from);
        check(e.from >= 0x80, from + ": never below U+0080");
        check(i == 0 || entries[i - 1].from < e.from, from + ": sorted and unique");
        check(!e.to.empty(), from + ": never empty");
        check(e.to.find("  ") == std::string_view::npos, from + ": never two blanks");
        bool basic = true;
        for (char ch : e.to)
            basic = basic && static_cast<unsigned char>(ch) < 0x80 &&
                    def.septets(static_cast<unsigned char>(ch)) == 1;
        check(basic, from + ": maps to characters of the basic default alphabet only");
        check(def.septets(e.from) == 0, from + ": not itself in the default tables");
        check(LookAlike(e.from) == e.to, from + ": found by LookAlike");
        check(LookAlike(e.from + 1) == (i + 1 < entries.size() && entries[i + 1].from == e.from + 1
                                            ? entries[i + 1].to
                                            : std::string_view()),
              from + " + 1: found only when listed");
    }
    const std::pair<char32_t, std::string_view> cases[] = {
        {0x2019, "'"}, {0x201C, "\""}, {0x2014, "-"}, {0x2026, "..."}, {0x00A0, " "},
        {0x3000, " "}, {0x2212, "-"},  {0x2011, "-"}, {0x202F, " "},   {0x205F, " "},
        {U'a', ""},    {U'"', ""},     {0x00E9, ""},  {0x200B, ""},    {0x1F600, ""}};
    for (const auto &[c, to] : cases)
        check(LookAlike(c) == to, "LookAlike(U+" + hex(c) + ")");
    for (char32_t c = 0x2000; c <= 0x200A; ++c)
        check(LookAlike(c) == " ", "space U+" + hex(c) + " becomes one blank");
}

} // namespace

int main() {
    everyCellCostsWhatItsTableSays();
    lookupMatchesPlainSearch();
    defaultTablesMatchSecondListing();
    nationalTablesMatchSecondListing();
    nationalTablesMatchPublishedFacts();
    tablesKeepTheCommonLayout();
    spotChecks();
    languages();
    capacities();
    lookAlikes();
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
