#include "ui/framestyle.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOption>

namespace tovrik::ui {

void FrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const {
    if (element != PE_FrameGroupBox || option->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The base style draws the frame aside; every pixel of the colour that
    // fills its middle is then cleared, which leaves the border as drawn.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QImage frame((QSizeF(option->rect.size()) * ratio).toSize(),
                 QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(ratio);
    frame.fill(Qt::transparent);
    {
        QPainter aside(&frame);
        aside.translate(-option->rect.topLeft());
        QProxyStyle::drawPrimitive(element, option, &aside, widget);
    }
    const int w = frame.width(), h = frame.height();
    const QRgb fill = frame.pixel(w / 2, h - qMin(h / 2, int(8 * ratio)));
    if (qAlpha(fill) != 0) {
        for (int y = 0; y < h; ++y) {
            auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
            for (int x = 0; x < w; ++x)
                if (line[x] == fill)
                    line[x] = 0;
        }
    }
    painter->drawImage(option->rect.topLeft(), frame);
}

} // namespace tovrik::ui
