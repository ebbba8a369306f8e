#include "ui/faces.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace tovrik::ui {

namespace {

double luminance(const QColor &colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

} // namespace

double Contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void SetFace(QPalette &palette, QPalette::ColorRole face, const QColor &colour,
             QPalette::ColorRole text) {
    const QPalette system = QGuiApplication::palette();
    const QColor plain = Contrast(Qt::black, colour) >= Contrast(Qt::white, colour)
                             ? QColor(Qt::black)
                             : QColor(Qt::white);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, face, colour);
        const QColor wanted = system.color(group, text);
        palette.setColor(group, text, Contrast(wanted, colour) >= 4.5 ? wanted : plain);
    }
    // Text of a control that is off is meant to read fainter, but still read.
    palette.setColor(QPalette::Disabled, face, colour);
    const QColor faint = system.color(QPalette::Disabled, text);
    palette.setColor(QPalette::Disabled, text,
                     Contrast(faint, colour) >= 3 ? faint : QColor(0x76, 0x76, 0x76));
}

} // namespace tovrik::ui
