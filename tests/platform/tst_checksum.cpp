#include "Fixture.h"
#include "TestRegistry.h"
#include "platform/fs/Checksum.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// A file's checksum: the same bytes give the same digest whatever the file, other bytes another,
// and a file that cannot be read through gives none.
class TestChecksum : public QObject
{
    Q_OBJECT
private slots:
    void sums_data();
    void sums();
    void stopsWhenAsked_data();
    void stopsWhenAsked();

private:
    QTemporaryDir dir_;
};

void TestChecksum::sums_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("special");
    QTest::addColumn<QString>("digest");
    const QByteArray chunks(2 * fs::kSumChunk + 5, 'x');
    // Digests as other BLAKE2b tools give them for a 32-byte digest.
    QTest::newRow("empty") << QByteArray() << ""
                           << "0e5751c026e543b2e8ab2eb06099daa1d1e5df47778f7787faab45cdf12fe3a8";
    QTest::newRow("three bytes") << QByteArray("abc") << ""
                                 << "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d"
                                    "52319";
    QTest::newRow("other bytes") << QByteArray("Corvina") << ""
                                 << "1e38f4e480c77184052ddd699f80f51d445f27168233681ee44b83afae5"
                                    "5e39b";
    QTest::newRow("over several chunks")
            << chunks << ""
            << "c88ba3412d10283d00964fd68e5bbc508147aba8ead2d508542b0071f3ad514b";
    QTest::newRow("missing") << QByteArray("abc") << "missing"
                             << "";
    QTest::newRow("a folder") << QByteArray() << "folder"
                              << "";
#ifdef Q_OS_UNIX
    QTest::newRow("no read permission") << QByteArray("abc") << "locked"
                                        << "";
#endif
}

void TestChecksum::sums()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, special);
    QFETCH(QString, digest);
    const QString path = dir_.filePath(QTest::currentDataTag());
    if (special == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (special != "missing") {
        QVERIFY(WriteFile(path, bytes));
    }
#ifdef Q_OS_UNIX
    if (special == "locked") {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    }
#endif
    const fs::FileSum sum = fs::SumOfFile(path);
    QCOMPARE(sum.hex, digest);
    QCOMPARE(sum.read(), !digest.isEmpty());
    QCOMPARE(sum.hex.isNull(), digest.isEmpty());
    if (sum.read()) {
        QCOMPARE(sum.bytes, qint64(bytes.size()));
        // The same bytes in another file sum alike.
        QVERIFY(WriteFile(path + ".copy", bytes));
        QCOMPARE(fs::SumOfFile(path + ".copy").hex, digest);
    }
}

void TestChecksum::stopsWhenAsked_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("read");
    QTest::newRow("less than a chunk: never asked") << fs::kSumChunk - 1 << 1 << 0 << true;
    QTest::newRow("three chunks, carried on") << 3 * fs::kSumChunk - 1 << 0 << 2 << true;
    QTest::newRow("stopped before the second chunk") << 3 * fs::kSumChunk << 1 << 1 << false;
    QTest::newRow("stopped before the third chunk") << 3 * fs::kSumChunk << 2 << 2 << false;
}

void TestChecksum::stopsWhenAsked()
{
    QFETCH(qint64, size);
    QFETCH(int, stopAt);
    QFETCH(int, asked);
    QFETCH(bool, read);
    const QString path = dir_.filePath("large");
    QVERIFY(WriteFile(path, QByteArray(size, 'z')));
    int questions = 0;
    const fs::FileSum sum = fs::SumOfFile(path, [&] { return ++questions != stopAt; });
    QCOMPARE(questions, asked);
    QCOMPARE(sum.read(), read);
}

REGISTER_TEST(TestChecksum)
#include "tst_checksum.moc"
