#pragma once

#include <QDateTime>

#include <optional>

// The current local date and time. Tests may fix it, so that "today" and log stamps are exact.
QDateTime Now();
void SetNow(std::optional<QDateTime> fixed);
