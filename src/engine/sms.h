#pragma once

#include "cutter.h"

#include <QLatin1StringView>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <optional>
#include <utility>
#include <vector>

// Text messages as a phone sends them: GSM-7 when every character has a
// GSM-7 form, else UCS-2; one SMS, or a concatenated message whose parts
// lose room to their header.

namespace tovrik {

enum class SmsEncoding : quint8 { Gsm7, Ucs2 };

// "GSM-7" or "UCS-2".
QLatin1StringView SmsEncodingName(SmsEncoding encoding);

// What one SMS holds: septets for GSM-7, UTF-16 code units for UCS-2.
inline constexpr qsizetype Gsm7Single = 160;
inline constexpr qsizetype Gsm7Part = 153; // a part of a concatenated message
inline constexpr qsizetype Ucs2Single = 70;
inline constexpr qsizetype Ucs2Part = 67;

inline constexpr qsizetype SingleCapacity(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? Gsm7Single : Ucs2Single;
}
inline constexpr qsizetype PartCapacity(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? Gsm7Part : Ucs2Part;
}

// One pass over a text: its encoding and its cost in that encoding.
struct SmsScan {
    SmsEncoding encoding = SmsEncoding::Gsm7;
    qsizetype units = 0;        // septets (GSM-7) or UTF-16 code units (UCS-2)
    bool escapes = false;       // holds characters of the extension table (GSM-7 text)
    bool plainGraphemes = true; // every code point is a grapheme of its own (CR LF aside)
};
// Without graphemes, plainGraphemes is not worked out (false), and a text
// found to be UCS-2 is not looked at further.
SmsScan ScanSms(QStringView text, bool graphemes = true);

// The cost of a text in an encoding; for GSM-7 the text must have a GSM-7 form.
qsizetype SmsCost(QStringView text, SmsEncoding encoding);

// How much of each piece is left for the text: a piece is GSM-7 when its
// text allows it (and gsm7Allowed), else UCS-2.
struct SmsBudget {
    bool gsm7Allowed = true;
    qsizetype gsm7 = Gsm7Single;
    qsizetype ucs2 = Ucs2Single;
};

// Cuts a message into pieces measured in SMS units. Never cuts inside a
// surrogate pair or a grapheme (CR LF counts as two graphemes) unless one
// grapheme alone is too big, then at a code point. Keeps its scratch memory
// from one message to the next.
class SmsCutter {
public:
    // The message to cut, and its scan; it must outlive the calls below.
    void setMessage(QStringView message, const SmsScan &scan);

    // The mode's rules, with "the limit" being the budget of the piece's own
    // encoding. A word (space mode) or sentence (period mode) that does not
    // fit alone is cut as the fixed-length mode would cut it. Pieces are
    // views into the message, appended to pieces.
    void cut(const SmsBudget &budget, SplitMode mode, std::vector<QStringView> &pieces);

    // The number of parts a phone sends the message in, as one concatenated
    // SMS: 0 for an empty message.
    qsizetype segments();

private:
    friend class SmsText;
    bool isGraphemeBoundary(qsizetype position);
    bool isSureBoundary(qsizetype position) const;

    QStringView m_message;
    SmsScan m_scan;
    std::vector<unsigned char> m_finderBuffer;
    std::optional<QTextBoundaryFinder> m_finder; // made when a cut needs it
    std::pair<qsizetype, qsizetype> m_window;    // the stretch the finder was made for
    std::vector<QStringView> m_scratch;
};

// The number of parts a phone sends the message in, as one concatenated SMS.
qsizetype SmsSegments(QStringView message);

} // namespace tovrik
