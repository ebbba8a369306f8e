#include "core/numbering.h"

#include "core/utf8.h"

namespace tovrik::core {

std::optional<NumberFormat> NumberFormat::parse(std::string_view format, std::string *error) {
    const auto refuse = [&](std::string why) -> std::optional<NumberFormat> {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };
    if (const std::ptrdiff_t bad = FirstInvalidUtf8(format.data(), format.size()); bad >= 0)
        return refuse("the format is not UTF-8 at byte " + std::to_string(bad));

    NumberFormat result;
    int texts = 0;
    const auto addField = [&](Item::Kind kind) { result.m_items.push_back({kind, 0, 0}); };
    for (std::size_t i = 0; i < format.size(); ++i) {
        char literal = format[i];
        if (literal == '%') {
            ++i;
            if (i >= format.size())
                return refuse("the format ends in a lone %");
            const char next = format[i];
            if (next == 't') {
                ++texts;
                addField(Item::Text);
                continue;
            }
            if (next == 'k') {
                ++result.m_numberFields;
                addField(Item::Number);
                continue;
            }
            if (next == 'n') {
                ++result.m_countFields;
                addField(Item::Count);
                continue;
            }
            if (next != '%') {
                std::size_t length = 0;
                DecodeAt(format.data(), i, length);
                return refuse("%" + Shown(format.substr(i, length)) + " is not %t, %k, %n or %%");
            }
        }
        // Neighbouring literal bytes share one item.
        if (result.m_items.empty() || result.m_items.back().kind != Item::Literal)
            result.m_items.push_back({Item::Literal, result.m_literal.size(), 0});
        result.m_literal.push_back(literal);
        ++result.m_items.back().length;
    }
    if (texts != 1)
        return refuse("the format must hold %t exactly once");
    return result;
}

std::string NumberFormat::render(std::ptrdiff_t number, std::ptrdiff_t count,
                                 std::string_view text) const {
    std::string out;
    render(number, count, text, [&](std::string_view part) { out.append(part); });
    return out;
}

std::string_view NumberFormat::decimal(std::ptrdiff_t value, char (&buffer)[24]) {
    std::size_t end = 24;
    do {
        buffer[--end] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    return std::string_view(buffer + end, 24 - end);
}

int DecimalWidth(std::ptrdiff_t value) {
    int width = 1;
    while (value >= 10) {
        value /= 10;
        ++width;
    }
    return width;
}

} // namespace tovrik::core
