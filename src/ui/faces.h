#pragma once

#include <QColor>
#include <QPalette>

namespace tovrik::ui {

// Gives `palette` the face `colour` in the role `face`, and for the text on
// it the system's colour of role `text`, group by group, where that can be
// read on the face; where it cannot (light text of a dark or high-contrast
// scheme on the design's white), black or white, whichever reads better.
void SetFace(QPalette &palette, QPalette::ColorRole face, const QColor &colour,
             QPalette::ColorRole text);

// The contrast of two colours, 1 to 21, as the accessibility guidelines
// measure it.
double Contrast(const QColor &a, const QColor &b);

} // namespace tovrik::ui
