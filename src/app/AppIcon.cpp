#include "app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap AppPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A filing drawer: a rounded cabinet with a drawer front and a handle.
    QLinearGradient body(0, 0, 0, s);
    body.setColorAt(0, QColor(0x3a, 0x6e, 0xa5));
    body.setColorAt(1, QColor(0x1f, 0x3f, 0x66));
    painter.setPen(QPen(QColor(0x14, 0x2a, 0x45), s / 32));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(s * 0.12, s * 0.08, s * 0.76, s * 0.84), s * 0.08, s * 0.08);
    painter.setBrush(QColor(0xf2, 0xf5, 0xf9));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(s * 0.2, s * 0.18, s * 0.6, s * 0.3), s * 0.04, s * 0.04);
    painter.drawRoundedRect(QRectF(s * 0.2, s * 0.54, s * 0.6, s * 0.3), s * 0.04, s * 0.04);
    painter.setBrush(QColor(0xe0, 0x8a, 0x1e));
    painter.drawRoundedRect(QRectF(s * 0.4, s * 0.29, s * 0.2, s * 0.07), s * 0.03, s * 0.03);
    painter.drawRoundedRect(QRectF(s * 0.4, s * 0.65, s * 0.2, s * 0.07), s * 0.03, s * 0.03);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(AppPixmap(size));
    return icon;
}
