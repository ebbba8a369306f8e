#pragma once

#include <QProxyStyle>

namespace tovrik::ui {

// The application's style, except that a frame is only its border: the
// window's background shows inside it. (Fusion fills group boxes with a
// faint grey.)
class FrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};

} // namespace tovrik::ui
