#include "app/AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

QImage AppImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer drawing(QStringLiteral(":/icons/corvina.svg"));
    QPainter painter(&image);
    drawing.render(&painter);
    return image;
}

QPixmap AppPixmap(int size)
{
    return QPixmap::fromImage(AppImage(size));
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(AppPixmap(size));
    return icon;
}
