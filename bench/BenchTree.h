// The tree the walking benchmarks share: 100 folders at the top, each with 99 folders below it,
// ten files in each folder (half of them *.txt): 10,000 folders and 100,000 files.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace {

constexpr int kTop = 100; // folders at the top, each with kLeaves folders below it
constexpr int kLeaves = 99;
constexpr int kFilesPerLeaf = 10;

// top folders at the top: 100 make 100,000 files, 1,000 a million.
bool makeTree(const QString &root, int top = kTop)
{
    const auto fill = [](const QString &folder) {
        if (!QDir().mkpath(folder))
            return false;
        for (int f = 0; f < kFilesPerLeaf; ++f) {
            const QString suffix = f % 2 == 0 ? QStringLiteral(".txt") : QStringLiteral(".dat");
            QFile file(folder + QStringLiteral("/file%1").arg(f, 3, 10, QLatin1Char('0')) + suffix);
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
        return true;
    };
    for (int at = 0; at < top; ++at) {
        const QString folder = root + QStringLiteral("/dir%1").arg(at, 3, 10, QLatin1Char('0'));
        if (!fill(folder))
            return false;
        for (int leaf = 0; leaf < kLeaves; ++leaf) {
            if (!fill(folder + QStringLiteral("/sub%1").arg(leaf, 3, 10, QLatin1Char('0'))))
                return false;
        }
    }
    return true;
}

} // namespace
