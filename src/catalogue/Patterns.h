#pragma once

#include <QString>

// A stored file pattern starts with "*" and "."; what follows is not examined. A leading blank
// spoils it.
bool IsValidPattern(const QString &text);
