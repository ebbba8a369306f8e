#include "core/national.h"

#include "core/simd.h"
#include "core/sms.h"
#include "core/utf8.h"

#include <algorithm>
#include <bit>

namespace tovrik::core {

bool ParseLanguages(std::string_view list, LanguageSet &languages, std::string &error) {
    languages = 0;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view code = list.substr(0, comma);
        const std::optional<Language> language = LanguageFromCode(code);
        if (!language) {
            error = "unknown language '" + Shown(code) +
                    "' (tr, es, pt, bn, gu, hi, kn, ml, or, pa, ta, te or ur; ISO 639-1 codes, "
                    "separated by commas)";
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
    m_everywhere.assign(0x10000, NoPair);
    m_deltas.clear();
    m_lacks.clear();
    const bool rows = m_pairs.size() <= 64;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if ((c & 0xFF) == 0 && std::none_of(m_pairs.begin(), m_pairs.end(), [c](const Pair &pair) {
                return pair.alphabet.holdsBlock(c >> 8);
            })) {
            c += 0xFF; // no pair has any of these 256: they stay NoPair
            continue;
        }
        int least = 2;
        int most = 0;
        for (const Pair &pair : m_pairs) {
            const int septets = pair.alphabet.septets(c);
            least = std::min(least, septets);
            most = std::max(most, septets);
        }
        if (least == most) {
            m_everywhere[c] = std::uint16_t(most);
            continue;
        }
        m_everywhere[c] = std::uint16_t(Varies + m_lacks.size());
        if (!rows)
            continue;
        const int byDefault = m_pairs.front().alphabet.septets(c);
        std::uint64_t lacks = 0;
        for (std::size_t p = 0; p < m_pairs.size(); ++p) {
            const int septets = m_pairs[p].alphabet.septets(c);
            m_deltas.push_back(std::int8_t(septets - byDefault));
            lacks |= std::uint64_t(septets == 0) << p;
        }
        m_lacks.push_back(lacks);
    }
    // The runs of ASCII characters that cost one septet with every pair, the
    // longest first, at most eight (a run left out is counted a character at
    // a time).
    m_oneRuns.clear();
    for (unsigned c = 0; c < 128; ++c) {
        if (m_everywhere[c] != 1)
            continue;
        unsigned last = c;
        while (last + 1 < 128 && m_everywhere[last + 1] == 1)
            ++last;
        m_oneRuns.push_back({static_cast<unsigned char>(c), static_cast<unsigned char>(last)});
        c = last;
    }
    std::stable_sort(m_oneRuns.begin(), m_oneRuns.end(), [](const auto &a, const auto &b) {
        return a.second - a.first > b.second - b.first;
    });
    if (m_oneRuns.size() > 8)
        m_oneRuns.resize(8);
    m_asciiVariesCount = rows ? 0 : -1;
    for (unsigned char c = 0; c < 128 && m_asciiVariesCount >= 0; ++c) {
        if (m_everywhere[c] < Varies)
            continue;
        if (m_asciiVariesCount == int(m_asciiVaries.size()))
            m_asciiVariesCount = -1;
        else
            m_asciiVaries[std::size_t(m_asciiVariesCount++)] = c;
    }
    m_asciiVariesIndex.fill(-1);
    for (int k = 0; k < m_asciiVariesCount; ++k)
        m_asciiVariesIndex[m_asciiVaries[std::size_t(k)]] = std::int8_t(k);
    m_rowCounts.assign(m_lacks.size() + 1, 0);
    m_rowsMet.assign(m_lacks.size() + 1, 0); // (a slot more than there are rows to meet)
}

std::size_t NationalTables::nearest(std::span<const std::string_view> texts) const {
    // A character lacking outweighs every septet the others can cost.
    std::size_t size = 0;
    for (const std::string_view text : texts)
        size += text.size();
    const auto weight = std::ptrdiff_t(2 * size + 1);
    std::vector<std::ptrdiff_t> &rank = m_rank; // kept: no allocation once warm
    rank.assign(m_pairs.size(), 0);
    for (const std::string_view text : texts)
        for (std::size_t i = 0; i < text.size();) {
            std::size_t length = 0;
            const char32_t c = DecodeAt(text.data(), i, length);
            i += length;
            for (std::size_t p = 0; p < m_pairs.size(); ++p) {
                const int septets = m_pairs[p].alphabet.septets(c);
                rank[p] += septets == 0 ? weight : septets;
            }
        }
    return std::size_t(std::min_element(rank.begin(), rank.end()) - rank.begin());
}

void NationalTables::countOther(char32_t c, std::uint32_t count) {
    const auto known = std::find_if(m_others.begin(), m_others.end(),
                                    [c](const auto &other) { return other.first == c; });
    if (known != m_others.end())
        known->second += count;
    else
        m_others.emplace_back(c, count);
}

void NationalTables::costs(std::string_view text, std::vector<std::ptrdiff_t> &septets,
                           std::ptrdiff_t defaultSeptets) {
    septets.assign(m_pairs.size(), -1);
    if (defaultSeptets >= 0 && m_asciiVariesCount >= 0)
        return costsFromDefault(text, septets, defaultSeptets);
    // Count the characters: those that cost the same with every pair in one
    // sum, the others each on their own.
    for (const unsigned char b : m_asciiSeen)
        m_asciiCount[b] = 0;
    m_asciiSeen.clear();
    m_others.clear();
    std::ptrdiff_t common = 0;
    bool sendable = true;
    const auto count = [&](std::size_t at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 1;
        const char32_t c = lead < 0x80 ? char32_t(lead) : DecodeAt(text.data(), at, length);
        const std::uint16_t everywhere = c < 0x10000 ? m_everywhere[c] : NoPair;
        if (everywhere == NoPair) {
            sendable = false; // no pair sends it
            return false;
        }
        if (everywhere < Varies) {
            common += everywhere;
            return true;
        }
        if (lead < 0x80) {
            if (m_asciiCount[lead]++ == 0)
                m_asciiSeen.push_back(lead);
            return true;
        }
        countOther(c, 1);
        return true;
    };
    // The bytes of the runs of m_oneRuns in one count a block.
    const auto ones = [this](const char *block) {
#if TOVRIK_SSE2
        const __m128i v = simd::Load(block);
        __m128i one = _mm_setzero_si128();
        for (const auto &[low, high] : m_oneRuns)
            one = _mm_or_si128(one, low == high ? simd::Is(v, low) : simd::Within(v, low, high));
        return simd::Mask(one);
#else
        unsigned mask = 0;
        for (unsigned k = 0; k < 16; ++k) {
            const auto b = static_cast<unsigned char>(block[k]);
            for (const auto &[low, high] : m_oneRuns)
                mask |= unsigned(b >= low && b <= high) << k;
        }
        return mask;
#endif
    };
    ForEachBlockOfText(
        text, ones, [&](int basic) { common += basic; }, count);
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

// Each pair costs what the default tables cost, but for the characters
// whose cost differs from pair to pair: each of those costs the pair its own
// septets instead of the default ones. The few ASCII ones of m_asciiVaries
// are counted sixteen bytes at a time; the others are past ASCII, and the
// text has a GSM-7 form, so each is of two bytes or the euro sign. No branch
// on what a character is: letters that vary and letters that do not follow
// one another unforeseeably.
void NationalTables::costsFromDefault(std::string_view text, std::vector<std::ptrdiff_t> &septets,
                                      std::ptrdiff_t defaultSeptets) {
    const auto *s = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    const auto asciiVaries = std::size_t(m_asciiVariesCount);
    std::array<std::uint32_t, 8> asciiCounts{};
    // The character past ASCII at `at`: its row counted, and the row noted
    // where it is new (row 0, of the characters that do not vary, is not).
    std::uint32_t *const met = m_rowsMet.data();
    std::size_t rows = 0;
    const auto note = [&](std::size_t at) {
        std::size_t length = 0;
        const char32_t c = n - at >= 4 ? DecodeWithRoom(text.data(), at, length)
                                       : DecodeAt(text.data(), at, length);
        const std::uint16_t cost = m_everywhere[c & 0xFFFF]; // (a GSM-7 text stays below U+10000)
        const std::uint32_t row = std::max<std::uint16_t>(cost, Varies - 1) - (Varies - 1);
        met[rows] = row;
        rows += std::size_t((m_rowCounts[row]++ == 0) & (row != 0));
    };
    std::size_t i = 0;
#if TOVRIK_SSE2
    // The ASCII ones in the lanes of an accumulator each (a true lane is
    // 0xFF: subtracting counts it), summed before a lane can overflow.
    constexpr std::size_t Most = std::tuple_size_v<decltype(m_asciiVaries)>;
    __m128i varies[Most];
    __m128i lanes[Most];
    for (std::size_t k = 0; k < asciiVaries; ++k) {
        varies[k] = simd::Bytes(m_asciiVaries[k]);
        lanes[k] = _mm_setzero_si128();
    }
    const auto addLanes = [&] {
        for (std::size_t k = 0; k < asciiVaries; ++k) {
            asciiCounts[k] += std::uint32_t(simd::SumBytes(lanes[k]));
            lanes[k] = _mm_setzero_si128();
        }
    };
    for (int rounds = 1; n - i >= 16; i += 16, ++rounds) {
        const __m128i v = simd::Load(s + i);
        for (std::size_t k = 0; k < asciiVaries; ++k)
            lanes[k] = _mm_sub_epi8(lanes[k], _mm_cmpeq_epi8(v, varies[k]));
        if (rounds == 255) {
            addLanes();
            rounds = 0;
        }
        for (unsigned at = simd::Mask(simd::AtLeast(v, 0xC0)); at != 0; at &= at - 1)
            note(i + std::size_t(std::countr_zero(at)));
    }
    addLanes();
#endif
    for (; i < n; ++i) {
        if (s[i] >= 0xC0)
            note(i);
        else if (s[i] < 0x80 && m_asciiVariesIndex[s[i]] >= 0)
            ++asciiCounts[std::size_t(m_asciiVariesIndex[s[i]])];
    }
    for (std::size_t k = 0; k < asciiVaries; ++k) {
        const std::uint32_t row = m_everywhere[m_asciiVaries[k]] - (Varies - 1);
        met[rows] = row;
        rows += std::size_t(m_rowCounts[row] == 0 && asciiCounts[k] > 0);
        m_rowCounts[row] += asciiCounts[k];
    }
    // Each row met adds its deltas, times its count, to every pair's total.
    const std::size_t pairs = m_pairs.size();
    m_totals.assign(pairs, defaultSeptets);
    std::uint64_t lacking = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::uint32_t row = met[r];
        const auto count = std::ptrdiff_t(m_rowCounts[row]);
        m_rowCounts[row] = 0;
        lacking |= m_lacks[row - 1];
        const std::int8_t *deltas = m_deltas.data() + (row - 1) * pairs;
        for (std::size_t p = 0; p < pairs; ++p)
            m_totals[p] += std::ptrdiff_t(deltas[p]) * count;
    }
    for (std::size_t p = 0; p < pairs; ++p)
        if ((lacking >> p & 1) == 0)
            septets[p] = m_totals[p];
}

} // namespace tovrik::core
