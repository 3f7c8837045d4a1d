#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn in code so that it is sharp at every size.
QPixmap AppPixmap(int size);
QIcon AppIcon();
