#include "platform/Clock.h"

namespace {
std::optional<QDateTime> g_fixed;
}

QDateTime Now()
{
    return g_fixed ? *g_fixed : QDateTime::currentDateTime();
}

void SetNow(std::optional<QDateTime> fixed)
{
    g_fixed = std::move(fixed);
}
