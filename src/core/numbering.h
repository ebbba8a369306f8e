#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A numbering format such as "%k/%n %t" or "%t (%k/%n)": %t the piece's text
// (exactly once), %k its number, %n the count, %% a literal %. UTF-8.

namespace tovrik::core {

class NumberFormat {
public:
    // The format, or nullopt with the reason in *error. A format that is not
    // UTF-8 is refused.
    static std::optional<NumberFormat> parse(std::string_view format, std::string *error);

    // Everything the format writes around the text but the numbers.
    std::string_view literal() const { return m_literal; }
    // How many %k and how many %n it holds.
    int numberFields() const { return m_numberFields; }
    int countFields() const { return m_countFields; }

    // The format's own characters with both numbers width digits wide, given
    // what the literal costs.
    std::ptrdiff_t overhead(std::ptrdiff_t literalCost, int width) const {
        return literalCost + std::ptrdiff_t(m_numberFields + m_countFields) * width;
    }

    // The numbered piece, handed out in stretches to append(std::string_view).
    template <class Append>
    void render(std::ptrdiff_t number, std::ptrdiff_t count, std::string_view text,
                Append &&append) const {
        char digits[2][24];
        const std::string_view numberText = decimal(number, digits[0]);
        const std::string_view countText = decimal(count, digits[1]);
        for (const Item &item : m_items) {
            switch (item.kind) {
            case Item::Literal:
                append(std::string_view(m_literal).substr(item.offset, item.length));
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
    std::string render(std::ptrdiff_t number, std::ptrdiff_t count, std::string_view text) const;

private:
    struct Item {
        enum Kind { Literal, Number, Count, Text } kind;
        std::size_t offset = 0; // a literal's stretch of m_literal
        std::size_t length = 0;
    };
    static std::string_view decimal(std::ptrdiff_t value, char (&buffer)[24]);

    std::string m_literal;
    std::vector<Item> m_items;
    int m_numberFields = 0;
    int m_countFields = 0;
};

// The number of decimal digits of a count.
int DecimalWidth(std::ptrdiff_t value);

} // namespace tovrik::core
