#pragma once

#include <QString>

// The per-user settings store: application "TARNU", section "Setup", string values.
namespace settings {

QString Get(const QString &key, const QString &defaultValue);
// Each write reaches the disk before it returns; false when the store could not be written.
bool Set(const QString &key, const QString &value);
bool Remove(const QString &key);
bool RemoveAll();
// Where the store lives, for messages and tests.
QString FileName();

} // namespace settings
