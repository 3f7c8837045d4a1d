#pragma once

#include <QString>

// This release: major, minor and revision.
constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 0;

inline QString VersionText()
{
    return QStringLiteral("Version %1.%2.%3")
            .arg(kVersionMajor)
            .arg(kVersionMinor)
            .arg(kVersionRevision);
}

inline const QString kProductName = QStringLiteral("Corvina");
inline const QString kMakerWebAddress = QStringLiteral("https://corvina.example.org");
inline const QString kMakerMailAddress = QStringLiteral("support@corvina.example.org");
