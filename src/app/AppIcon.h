#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's icon, rendered from its one drawing (resources/icons/corvina.svg, which the
// desktop's icon theme gets too) at the size asked, so that it is sharp at every size.
QImage AppImage(int size);
QPixmap AppPixmap(int size);
QIcon AppIcon();
