// Checksums and copies: how fast a file is read for its checksum, and how long the Duplicates
// window's one statement takes over a large catalogue in which a third of the files carry a
// checksum. Usage: bench_duplicates [catalogue rows, default 300000]
#include "catalogue/Duplicates.h"
#include "BenchTiming.h"
#include "app/CreateDatabase.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Prepared.h"
#include "platform/db/Transaction.h"
#include "platform/fs/Checksum.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr qint64 kFileBytes = qint64(256) << 20;

template<typename F> double bestMs(F &&run)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < 3; ++i)
        best = std::min(best, timed(run).wall);
    return best;
}

void checksumThroughput(const QString &folder)
{
    const QString path = folder + QStringLiteral("/large.bin");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray chunk(fs::kSumChunk, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (qint64 written = 0; written < kFileBytes; written += chunk.size()) {
        random.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        file.write(chunk);
    }
    file.close();
    const double ms = bestMs([&] { fs::SumOfFile(path); });
    std::printf("checksum of a 256 MB file (in the page cache): %.0f ms, %.0f MB/s\n", ms,
                256.0 / (ms / 1000.0));
}

void copiesListing(const QString &folder, int rows)
{
    const QString path = folder + QStringLiteral("/catalogue.mdb");
    CreateDatabase(path);
    db::Connection connection;
    connection.Open(db::ConnectStringFor(path));
    QRandomGenerator random(11);
    QElapsedTimer built;
    built.start();
    {
        db::Transaction transaction(connection);
        db::Prepared insert(connection,
                            QStringLiteral("INSERT INTO fileprofile (FileName, FilePath, FSize, "
                                           "Checksum) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < rows; ++i) {
            // A third are summed; of those, contents are drawn from fewer values than files,
            // so about one in ten has a copy somewhere.
            const bool summed = i % 3 == 0;
            const quint32 contents = random.bounded(quint32(rows / 3 * 10));
            const QString name = QStringLiteral("file%1.dat").arg(i);
            insert.Execute(
                    {name, QStringLiteral("/data/%1/%2").arg(i % 997).arg(name),
                     QString::number(summed ? contents * 4096 + 1 : i),
                     summed ? QVariant(QStringLiteral("%1").arg(contents, 64, 16, QLatin1Char('0')))
                            : QVariant()});
        }
        transaction.Commit();
    }
    std::printf("catalogue of %d rows built in %.1f s\n", rows, built.elapsed() / 1000.0);
    catalogue::CopyListing listing;
    const double ms = bestMs([&] { listing = catalogue::FindCopies(connection, 500, 5000); });
    std::printf("Duplicates listing: %.0f ms for %lld groups shown of %lld, %lld files\n", ms,
                static_cast<long long>(listing.groups.size()),
                static_cast<long long>(listing.allGroups), static_cast<long long>(listing.rows));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(QString::fromLocal8Bit(argv[1]).toInt(), 3) : 300000;
    QTemporaryDir folder;
    checksumThroughput(folder.path());
    copiesListing(folder.path(), rows);
    return 0;
}
