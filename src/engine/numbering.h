#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// A numbering format such as "%k/%n %t" or "%t (%k/%n)": %t the piece's text
// (exactly once), %k its number, %n the count, %% a literal %.

namespace tovrik {

class NumberFormat {
public:
    // The format, or nullopt with the reason in *error.
    static std::optional<NumberFormat> parse(QStringView format, QString *error);

    // Everything the format writes around the text but the numbers.
    QStringView literal() const { return m_literal; }
    // How many %k and how many %n it holds.
    int numberFields() const { return m_numberFields; }
    int countFields() const { return m_countFields; }

    // The format's own characters with both numbers width digits wide,
    // in UTF-16 code units (or SMS units with a cost of the literal given).
    qsizetype overhead(qsizetype literalCost, int width) const {
        return literalCost + qsizetype(m_numberFields + m_countFields) * width;
    }

    // The numbered piece, handed out in stretches to append(QStringView).
    template <class Append>
    void render(qsizetype number, qsizetype count, QStringView text, Append &&append) const {
        char16_t digits[2][24];
        const QStringView numberText = decimal(number, digits[0]);
        const QStringView countText = decimal(count, digits[1]);
        for (const Item &item : m_items) {
            switch (item.kind) {
            case Item::Literal:
                append(QStringView(m_literal).sliced(item.offset, item.length));
                break;
            case Item::Number:
                append(numberText);
                break;
            case Item::Count:
                append(countText);
                break;
            case Item::Text:
                append(text);
                break;
            }
        }
    }
    QString render(qsizetype number, qsizetype count, QStringView text) const;

private:
    struct Item {
        enum Kind { Literal, Number, Count, Text } kind;
        qsizetype offset = 0; // a literal's stretch of m_literal
        qsizetype length = 0;
    };
    static QStringView decimal(qsizetype value, char16_t (&buffer)[24]);

    QString m_literal;
    std::vector<Item> m_items;
    int m_numberFields = 0;
    int m_countFields = 0;
};

// The number of decimal digits of a count.
int DecimalWidth(qsizetype value);

} // namespace tovrik
