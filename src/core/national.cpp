#include "core/national.h"

#include "core/sms.h"
#include "core/utf8.h"

#include <algorithm>

namespace tovrik::core {

namespace {

// The languages whose tables have been checked cell by cell against a second
// listing of the standard. The others are written, but a wrong cell would
// send a garbled message, so they wait for their check.
bool Checked(Language language) {
    return language == Language::Turkish || language == Language::Spanish ||
           language == Language::Portuguese;
}

} // namespace

bool ParseLanguages(std::string_view list, LanguageSet &languages, std::string &error) {
    languages = 0;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view code = list.substr(0, comma);
        const std::optional<Language> language = LanguageFromCode(code);
        if (!language) {
            error = "unknown language '" + std::string(code) +
                    "' (tr, es or pt; ISO 639-1 codes, separated by commas)";
            return false;
        }
        if (!Checked(*language)) {
            error = "the '" + std::string(code) +
                    "' tables are not checked yet; tr, es and pt can be used";
            return false;
        }
        languages |= LanguageBit(*language);
        if (comma == std::string_view::npos)
            return true;
        list.remove_prefix(comma + 1);
    }
}

void NationalTables::enable(LanguageSet languages) {
    if (m_built && languages == m_enabled)
        return;
    m_enabled = languages;
    m_built = true;
    m_pairs.clear();
    std::vector<Language> locking{Language::Default};
    std::vector<Language> single{Language::Default};
    for (const Language language : AllLanguages()) {
        if (language == Language::Default || (languages & LanguageBit(language)) == 0)
            continue;
        if (HasLockingTable(language))
            locking.push_back(language);
        if (HasSingleShiftTable(language))
            single.push_back(language);
    }
    for (const Language lock : locking)
        for (const Language shift : single)
            m_pairs.push_back({{lock, shift}, Gsm7Alphabet(lock, shift)});
    m_any.assign(0x10000, false);
    for (char32_t c = 0; c < 0x10000; ++c)
        m_any[c] = std::any_of(m_pairs.begin(), m_pairs.end(),
                               [c](const Pair &pair) { return pair.alphabet.septets(c) != 0; });
    m_commonRuns = std::all_of(m_pairs.begin(), m_pairs.end(),
                               [](const Pair &pair) { return pair.alphabet.keepsDefaultAscii(); });
    for (char32_t c = 0; c < 128; ++c)
        m_common[c] = std::all_of(m_pairs.begin(), m_pairs.end(),
                                  [c](const Pair &pair) { return pair.alphabet.septets(c) == 1; });
}

bool NationalTables::has(char32_t c) const {
    return c < m_any.size() && m_any[c];
}

void NationalTables::lacking(std::string_view text, std::vector<std::ptrdiff_t> &rank) const {
    // A character lacking outweighs every septet the others can cost.
    const auto weight = std::ptrdiff_t(2 * text.size() + 1);
    rank.assign(m_pairs.size(), 0);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        const char32_t c = DecodeAt(text.data(), i, length);
        i += length;
        for (std::size_t p = 0; p < m_pairs.size(); ++p) {
            const int septets = m_pairs[p].alphabet.septets(c);
            rank[p] += septets == 0 ? weight : septets;
        }
    }
}

void NationalTables::costs(std::string_view text, std::vector<std::ptrdiff_t> &septets) {
    septets.assign(m_pairs.size(), -1);
    // Count the characters: those that cost one septet with every pair in
    // one sum, the others each on their own.
    for (const unsigned char b : m_asciiSeen)
        m_asciiCount[b] = 0;
    m_asciiSeen.clear();
    m_others.clear();
    std::ptrdiff_t common = 0;
    bool sendable = true;
    const auto count = [&](std::size_t at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            if (m_common[lead])
                ++common;
            else if (m_asciiCount[lead]++ == 0)
                m_asciiSeen.push_back(lead);
            return true;
        }
        std::size_t length = 0;
        const char32_t c = DecodeAt(text.data(), at, length);
        const auto known = std::find_if(m_others.begin(), m_others.end(),
                                        [c](const auto &other) { return other.first == c; });
        if (known != m_others.end())
            ++known->second;
        else if (has(c))
            m_others.emplace_back(c, 1);
        else
            sendable = false; // no pair sends it
        return sendable;
    };
    if (m_commonRuns)
        ForEachBlockOfText(
            text, [&](int basic) { common += basic; }, count);
    else
        for (std::size_t i = 0; i < text.size() && sendable; ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                count(i);
    if (!sendable)
        return;
    for (std::size_t p = 0; p < m_pairs.size(); ++p) {
        const Gsm7Alphabet &alphabet = m_pairs[p].alphabet;
        std::ptrdiff_t total = common;
        const auto add = [&](char32_t c, std::uint32_t count) {
            const int cost = alphabet.septets(c);
            total += std::ptrdiff_t(cost) * count;
            return cost != 0;
        };
        // The other characters first: they are the ones a pair lacks.
        const bool all =
            std::all_of(m_others.begin(), m_others.end(),
                        [&](const auto &other) { return add(other.first, other.second); }) &&
            std::all_of(m_asciiSeen.begin(), m_asciiSeen.end(),
                        [&](unsigned char b) { return add(b, m_asciiCount[b]); });
        if (all)
            septets[p] = total;
    }
}

} // namespace tovrik::core
