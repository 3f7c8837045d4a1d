// The connection string: the path it is made for comes back out unchanged, the path read from
// any string is what follows its "Data Source=", and opening any string either opens a file
// that is there or fails with the layer's error, and never leaves a new file behind.

#include "Check.h"
#include "app/CreateDatabase.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QTemporaryDir>

namespace {

const QString kKey = QStringLiteral("Data Source=");

QTemporaryDir *folder()
{
    static QTemporaryDir dir;
    return &dir;
}

QSet<QString> filesThere()
{
    const QStringList names = QDir(folder()->path()).entryList(QDir::Files | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

// Only names inside the scratch folder are tried: the fuzzer must not reach real files.
bool staysInFolder(const QString &path)
{
    return !path.contains(u'/') && !path.contains(u'\\') && !path.contains(QChar());
}

void checkOpen(const QString &connectString)
{
    const QString path = db::DataSourceOf(connectString);
    if (!staysInFolder(path))
        return;
    const QSet<QString> before = filesThere();
    db::Connection connection;
    try {
        connection.Open(connectString);
        FUZZ_CHECK(QFileInfo(path).isFile(), Shown(connectString));
        connection.Close();
    } catch (const db::DbError &) { }
    // A database opened in WAL mode keeps its companion files beside it.
    for (const QString &name : filesThere() - before) {
        FUZZ_CHECK(name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm")),
                   Shown(connectString) + QStringLiteral(" left ") + Shown(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    FUZZ_CHECK(folder()->isValid(), folder()->errorString());
    QDir::setCurrent(folder()->path());
    CreateDatabase(QStringLiteral("tarnu.mdb"));
    QFile text(QStringLiteral("notes.txt"));
    if (!text.open(QIODevice::WriteOnly) || text.write("not a database\n") < 0)
        Broken("scratch file", text.errorString());
    QFile(QStringLiteral("empty.mdb")).open(QIODevice::WriteOnly);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
            QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    FUZZ_CHECK(db::DataSourceOf(db::ConnectStringFor(text)) == text, Shown(text));

    const QString path = db::DataSourceOf(text);
    if (!path.isEmpty()) {
        FUZZ_CHECK(text.endsWith(path), Shown(text) + QStringLiteral(" read as ") + Shown(path));
        const QString key = text.mid(text.size() - path.size() - kKey.size(), kKey.size());
        FUZZ_CHECK(key.compare(kKey, Qt::CaseInsensitive) == 0, Shown(text));
    }
    checkOpen(text);
    return 0;
}
