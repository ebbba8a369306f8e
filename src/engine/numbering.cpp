#include "numbering.h"

using namespace Qt::StringLiterals;

namespace tovrik {

std::optional<NumberFormat> NumberFormat::parse(QStringView format, QString *error) {
    NumberFormat result;
    int texts = 0;
    const auto addField = [&](Item::Kind kind) { result.m_items.push_back({kind, 0, 0}); };
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        QChar literal = c;
        if (c == u'%') {
            const QChar next = i + 1 < format.size() ? format[i + 1] : QChar();
            ++i;
            if (next == u't') {
                ++texts;
                addField(Item::Text);
                continue;
            }
            if (next == u'k') {
                ++result.m_numberFields;
                addField(Item::Number);
                continue;
            }
            if (next == u'n') {
                ++result.m_countFields;
                addField(Item::Count);
                continue;
            }
            if (next != u'%') {
                if (error)
                    *error = next.isNull() ? u"the format ends in a lone %"_s
                                           : QString(u'%') + next + u" is not %t, %k, %n or %%"_s;
                return std::nullopt;
            }
            literal = u'%';
        }
        // Neighbouring literal characters share one item.
        if (result.m_items.empty() || result.m_items.back().kind != Item::Literal)
            result.m_items.push_back({Item::Literal, result.m_literal.size(), 0});
        result.m_literal.append(literal);
        ++result.m_items.back().length;
    }
    if (texts != 1) {
        if (error)
            *error = u"the format must hold %t exactly once"_s;
        return std::nullopt;
    }
    return result;
}

QString NumberFormat::render(qsizetype number, qsizetype count, QStringView text) const {
    QString out;
    render(number, count, text, [&](QStringView part) { out.append(part); });
    return out;
}

QStringView NumberFormat::decimal(qsizetype value, char16_t (&buffer)[24]) {
    qsizetype end = 24;
    do {
        buffer[--end] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    return QStringView(buffer + end, 24 - end);
}

int DecimalWidth(qsizetype value) {
    int width = 1;
    while (value >= 10) {
        value /= 10;
        ++width;
    }
    return width;
}

} // namespace tovrik
