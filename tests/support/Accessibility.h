#pragma once

#include <QStringList>

class QWidget;

// What a keyboard or screen-reader user would miss in a window: a text box without a label
// that names it, a picture-only button or tool bar button without a name, a tool bar button
// without an icon. Returns one line per fault, empty when the window is sound.
QStringList AccessibilityFaults(QWidget *window);
