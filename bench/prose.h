#pragma once

// The message the benchmarks cut: English prose of a given length in UTF-16
// code units.
#include <QString>

#include <array>
#include <cstdint>

namespace tovrik::bench {

using namespace Qt::StringLiterals;

// Varied sentences picked by a fixed-seed generator, with a paragraph break
// now and then, so every run cuts the same text.
inline QString prose(qsizetype units) {
    static const std::array sentences = {
        u"The morning train left the station a few minutes late, as it did most days."_s,
        u"She folded the letter twice and slipped it into the pocket of her coat."_s,
        u"Nobody in the village could remember when the old mill had last turned."_s,
        u"If you leave now, you will reach the harbour before the tide comes in."_s,
        u"He asked whether the meeting had been moved to Thursday afternoon."_s,
        u"Prices rose again in March, though more slowly than the analysts expected."_s,
        u"The children ran down to the river, shouting and laughing all the way."_s,
        u"Why would anyone build a house so far from the nearest road?"_s,
        u"A thin rain had started to fall, and the streets were nearly empty."_s,
        u"Please bring your passport, two photographs and a copy of the form."_s,
        u"It was, by any measure, the strangest summer the town had ever seen."_s,
        u"They talked until midnight about books, music and the friends they had lost."_s,
        u"The committee will publish its findings at the end of the month."_s,
        u"What a relief it was to hear her voice on the telephone again!"_s,
        u"Most of the furniture had been sold, but the piano was still there."_s,
        u"Our flight was cancelled, so we spent the night in a small hotel near the airport."_s,
        u"Turn left at the bakery and walk on until you see the blue door."_s,
        u"The results were encouraging, although the sample was rather small."_s,
    };
    QString text;
    text.reserve(units + 128);
    std::uint32_t state = 12345;
    while (text.size() < units) {
        state = state * 1664525u + 1013904223u;
        text += sentences[(state >> 16) % sentences.size()];
        text += ((state >> 8) % 23 == 0) ? u"\r\n"_s : u" "_s;
    }
    text.truncate(units);
    return text;
}

} // namespace tovrik::bench
