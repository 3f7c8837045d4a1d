#pragma once

#include <QString>

// The entry of the group lists (catalogue browser, snippets) that filters nothing: never a
// group of its own, never listed or changed as one.
inline const QString kAllGroups = QStringLiteral("[All Groups]");
