#include "catalogue/Patterns.h"

bool IsValidPattern(const QString &text)
{
    return text.startsWith(QLatin1String("*."));
}
