#include "SampleTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QString SampleTree()
{
    static QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("corvina-sample-XXXXXX")));
    static const QString root = [] {
        const QString top = QDir(folder.path()).filePath(QStringLiteral("projects"));
        const char *const files[] = {
                "readme.txt",          "notes.txt",           "build.log",
                "alpha/readme.txt",    "alpha/main.c",        "alpha/main.h",
                "alpha/todo.txt",      "beta/readme.txt",     "beta/setup.py",
                "beta/docs/guide.txt", "beta/docs/readme.md", "beta/docs/faq.txt",
                "gamma/report.txt",    "gamma/data.csv",
        };
        for (const char *file : files) {
            const QString path = QDir(top).filePath(QString::fromLatin1(file));
            QDir().mkpath(QFileInfo(path).path());
            QFile out(path);
            if (out.open(QIODevice::WriteOnly))
                out.write("example\n");
        }
        return QDir::toNativeSeparators(top);
    }();
    return root;
}
