// What the catalogue benchmarks share: a catalogue of realistic files built from a fixed seed,
// and what every benchmark shares (BenchTiming.h).
#pragma once

#include "BenchTiming.h"
#include "catalogue/FileGroups.h"
#include "platform/db/Connection.h"
#include "platform/db/Prepared.h"
#include "platform/db/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

const QStringList kWords = {"report", "invoice", "photo",   "holiday", "setup",   "readme",
                            "notes",  "budget",  "draft",   "letter",  "scan",    "backup",
                            "music",  "track",   "video",   "clip",    "project", "design",
                            "logo",   "manual",  "guide",   "paper",   "thesis",  "data",
                            "export", "import",  "summary", "agenda",  "minutes", "plan"};
const QStringList kExtensions = {"txt", "pdf", "jpg", "png", "doc",
                                 "xls", "zip", "mp3", "cpp", "h"};
constexpr int kGroups = 200;
constexpr int kSites = 2000;
constexpr int kKeystrokes = 50;

QRandomGenerator random(20261208);

const QString &pick(const QStringList &list)
{
    return list[random.bounded(static_cast<int>(list.size()))];
}

QString capitalised(const QString &word)
{
    return word.left(1).toUpper() + word.mid(1);
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

struct Names
{
    QStringList groups;
    QStringList sites;
};

// Drawn first from a fixed seed, so that a reused catalogue gets the same names.
Names drawNames()
{
    Names names;
    for (int i = 0; i < kGroups; ++i)
        names.groups << QStringLiteral("%1 %2").arg(capitalised(pick(kWords))).arg(i);
    for (int i = 0; i < kSites; ++i)
        names.sites << QStringLiteral("%1%2.example.org").arg(pick(kWords)).arg(i);
    return names;
}

QVariantList fileRow(const Names &names, int i)
{
    const QString word = pick(kWords);
    const QString name =
            QStringLiteral("%1_%2_%3.%4")
                    .arg(random.bounded(10) < 3 ? capitalised(word) : word, pick(kWords))
                    .arg(random.bounded(1, 100000))
                    .arg(pick(kExtensions));
    const QString directory = QStringLiteral("/home/user/") + word;
    const QString site = pick(names.sites);
    return {name,
            QStringLiteral("%1 %2 %3").arg(capitalised(pick(kWords)), pick(kWords), pick(kWords)),
            directory + QLatin1Char('/') + name,
            pick(names.groups),
            QStringLiteral("2026-%1-%2").arg(twoDigits(1 + i % 12), twoDigits(1 + i % 28)),
            i,
            QStringLiteral("https://") + site,
            site,
            QStringLiteral("Author %1").arg(i % 500),
            QStringLiteral("author%1@example.org").arg(i % 500),
            QStringLiteral("/"),
            directory,
            QStringLiteral("DATA"),
            QString::number(random.bounded(1, 10000000))};
}

// One row to a statement inside one transaction: Qt binds a statement's values in time that
// grows faster than their number, so several rows to a statement are slower. In bulk (a database
// file only), the catalogue's indexes are made again after the rows are written, each in one
// sort, instead of kept up to date row by row: the same file, several times sooner.
void fill(db::Connection &connection, const Names &names, int rows, bool bulk = false)
{
    QStringList indexes;
    if (bulk) {
        db::Recordset made;
        made.Open(QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND "
                                 "tbl_name = 'fileprofile' AND sql IS NOT NULL"),
                  connection);
        QStringList dropped;
        for (; !made.AtEnd(); made.MoveNext()) {
            dropped << made.Fields(0).toString();
            indexes << made.Fields(1).toString();
        }
        made.Close();
        for (const QString &name : dropped)
            connection.Execute(QStringLiteral("DROP INDEX %1").arg(name));
    }
    // Each row names its group's number, as the program's own writes do.
    const QString insert = QStringLiteral(
            "INSERT INTO fileprofile (FileName, FileDesc, FilePath, FileGroup, FileDate, "
            "FileIndex, WebAddress, WebSiteName, Author, Email, Drive, Directory, Label, FSize, "
            "GroupKey) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, (SELECT GroupKey FROM "
            "filegroups WHERE FileGroup = ?))");
    connection.BeginTrans();
    for (const QString &group : names.groups)
        catalogue::NumberGroup(connection, group);
    {
        db::Prepared statement(connection, insert);
        for (int i = 0; i < rows; ++i) {
            QVariantList row = fileRow(names, i);
            row << row[3];
            statement.Execute(row);
        }
    }
    for (const QString &index : indexes)
        connection.Execute(index);
    connection.CommitTrans();
}

// Lets the view lay itself out and paints it, which reads the rows on screen.
[[maybe_unused]] void paint(QTableView &view)
{
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

// What a user types: the first characters of values in the catalogue, a key at a time.
[[maybe_unused]] QStringList keystrokes(db::Connection &connection, const QString &column)
{
    QStringList typed;
    while (typed.size() < kKeystrokes) {
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT %1 FROM fileprofile WHERE Inum = ?").arg(column), connection,
                {random.bounded(1, 1000)});
        const QString value = rs.AtEnd() ? QString() : rs.Fields(0).toString();
        for (int length = 1; length <= std::min<int>(static_cast<int>(value.size()), 10)
             && typed.size() < kKeystrokes;
             ++length)
            typed << value.left(length);
    }
    return typed;
}

} // namespace
