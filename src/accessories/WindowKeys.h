#pragma once

#include <QtCore/qnamespace.h>

#include <functional>

class QKeyEvent;
class QWidget;

// Sends every key pressed in a window, on the window itself or on any control in it, to handler
// first. A key the handler takes is done with; any other key is swallowed, except Tab and
// Shift+Tab, which still move between the controls, and Space, which still presses the focused
// button.
void RouteKeys(QWidget *window, std::function<bool(int key, Qt::KeyboardModifiers)> handler);
