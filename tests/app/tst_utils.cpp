#include "Fixture.h"
#include "TestRegistry.h"
#include "app/AppIcon.h"
#include "app/CParm.h"
#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QTest>

class TestUtils : public QObject
{
    Q_OBJECT
private slots:
    void toDate_data();
    void toDate();
    void toDateRejects_data();
    void toDateRejects();
    void toDateLowersFormatInPlace();
    void quote2MSSQL_data();
    void quote2MSSQL();
    void fixQuotes_data();
    void fixQuotes();
    void getNonNullAndTrim();
    void parametersAndSetUp();
    void parametersOverUnreadableLines_data();
    void parametersOverUnreadableLines();
    void addressesGoToTheDesktop();
    void programIconIsDrawn_data();
    void programIconIsDrawn();
};

void TestUtils::toDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime now = Fixture::kNow;
    QTest::newRow("full stamp") << "20031231235959"
                                << "yyyymmddhhnnss"
                                << QDateTime(QDate(2003, 12, 31), QTime(23, 59, 59));
    QTest::newRow("time only is today") << "235959"
                                        << "hhnnss" << QDateTime(now.date(), QTime(23, 59, 59));
    QTest::newRow("month and day")
            << "1231"
            << "mmdd" << QDateTime(QDate(now.date().year(), 12, 31), now.time());
    QTest::newRow("empty format is now") << "whatever"
                                         << "" << now;
    QTest::newRow("upper-case format") << "07122026"
                                       << "DDMMYYYY" << QDateTime(QDate(2026, 12, 7), now.time());
    QTest::newRow("mm is the month, nn the minutes")
            << "0230"
            << "mmnn"
            << QDateTime(QDate(now.date().year(), 2, now.date().day()),
                         QTime(now.time().hour(), 30, now.time().second()));
}

void TestUtils::toDate()
{
    QFETCH(QString, text);
    QFETCH(QString, format);
    QFETCH(QDateTime, expected);
    Fixture f;
    QCOMPARE(Utils().toDate(text, format), expected);
}

void TestUtils::toDateRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format");
    QTest::newRow("too short") << "2003123"
                               << "yyyymmdd";
    QTest::newRow("letters in a number") << "2003AB31"
                                         << "yyyymmdd";
    QTest::newRow("impossible date") << "20030231"
                                     << "yyyymmdd";
    QTest::newRow("impossible time") << "256000"
                                     << "hhnnss";
    QTest::newRow("blank for a digit") << "2003 131"
                                       << "yyyymmdd";
    QTest::newRow("line break for a digit") << "2003\n131"
                                            << "yyyymmdd";
    QTest::newRow("sign") << "2003+131"
                          << "yyyymmdd";
    QTest::newRow("digits of another script") << QString::fromUtf8("2003١٢٣١") << "yyyymmdd";
}

void TestUtils::toDateRejects()
{
    QFETCH(QString, text);
    QFETCH(QString, format);
    Fixture f;
    QVERIFY_THROWS_EXCEPTION(ConversionError, Utils().toDate(text, format));
}

void TestUtils::toDateLowersFormatInPlace()
{
    Fixture f;
    QString format = QStringLiteral("YYYYMMDD");
    Utils().toDate(QStringLiteral("20261207"), format);
    QCOMPARE(format, QStringLiteral("yyyymmdd"));
}

void TestUtils::quote2MSSQL_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no quote") << "abc"
                              << " 'abc' ";
    QTest::newRow("only a quote") << "'"
                                  << "  CHAR(39) ";
    QTest::newRow("quote inside") << "O'Brien"
                                  << " 'O' +  CHAR(39)  + 'Brien' ";
    QTest::newRow("quote at the end") << "it'"
                                      << " 'it' +  CHAR(39) ";
    QTest::newRow("two quotes") << "''"
                                << "  CHAR(39)  +  CHAR(39) ";
}

void TestUtils::quote2MSSQL()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Utils().quote2MSSQL(text), expected);
}

void TestUtils::fixQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << "plain"
                          << "plain";
    QTest::newRow("one") << "it's"
                         << "it''s";
    QTest::newRow("two together") << "''"
                                  << "''''";
    QTest::newRow("ends") << "'a'"
                          << "''a''";
    QTest::newRow("long text") << QString(40000, QLatin1Char('\''))
                               << QString(80000, QLatin1Char('\''));
}

void TestUtils::fixQuotes()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FixQuotes(text), expected);
}

void TestUtils::getNonNullAndTrim()
{
    QCOMPARE(Utils().getNonNull(QVariant(), 0), QVariant(0));
    QCOMPARE(Utils().getNonNull(QString(""), 0), QVariant(QString("")));
    QCOMPARE(Utils().getNonNull(QVariant(QMetaType::fromType<QString>()), 7), QVariant(7));
    // Only blanks are trimmed: a tab or a line feed is part of the value.
    QCOMPARE(Trim(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    QCOMPARE(Trim(QStringLiteral("\tx\n")), QStringLiteral("\tx\n"));
    QCOMPARE(TextOf(QVariant()), QString());
}

void TestUtils::parametersAndSetUp()
{
    Fixture f;
    CParm &parm = Parm();
    QCOMPARE(parm.getRParm("TARNU", "fallback"), QStringLiteral("fallback"));
    QVERIFY(!Utils().isSetUp());
    parm.setRParm("COMPLETE", "1");
    parm.setRParm("TARNU", "o'neil.mdb");
    QVERIFY(Utils().isSetUp());
    QCOMPARE(parm.getRParm("TARNU", ""), QStringLiteral("o'neil.mdb"));
    parm.removeRParm("TARNU");
    QCOMPARE(parm.getRParm("TARNU", "gone"), QStringLiteral("gone"));
    parm.removeRAllParm();
    QVERIFY(!Utils().isSetUp());
    QVERIFY(!parm.isError());
    QVERIFY(parm.getError().isEmpty());
}

// A settings file edited by hand may hold lines the store cannot read: a write still goes
// through and is reported as done, and the settings that did read are kept.
void TestUtils::parametersOverUnreadableLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("line without a value") << QByteArray("[Setup]\nLOGIN=1\nnot a setting\n");
    QTest::newRow("broken section") << QByteArray("Setup]\n[Setup]\nLOGIN=1\n");
}

void TestUtils::parametersOverUnreadableLines()
{
    QFETCH(QByteArray, file);
    Fixture f;
    const QString path = settings::FileName();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile store(path);
    QVERIFY(store.open(QIODevice::WriteOnly));
    QCOMPARE(store.write(file), file.size());
    store.close();
    CParm parm;
    parm.setRParm("TARNU", "a.mdb");
    QVERIFY2(!parm.isError(), qPrintable(parm.getError()));
    QCOMPARE(parm.getRParm("TARNU", ""), QStringLiteral("a.mdb"));
    QCOMPARE(parm.getRParm("LOGIN", ""), QStringLiteral("1"));
}

void TestUtils::addressesGoToTheDesktop()
{
    Fixture f;
    LaunchAddress = QStringLiteral("https://example.org/a?b=c");
    OpenAddress();
    LaunchMailAddress = QStringLiteral("someone@example.org");
    OpenMailAddress();
    QCOMPARE(f.ui.launched,
             QStringList({"https://example.org/a?b=c", "mailto:someone@example.org"}));
}

void TestUtils::programIconIsDrawn_data()
{
    // Points as fractions of the icon's side, and the colour the drawing has there.
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("corner left clear") << QPointF(0.02, 0.02) << QColor(Qt::transparent);
    QTest::newRow("cabinet") << QPointF(0.16, 0.5) << QColor(0x2c, 0x56, 0x85);
    QTest::newRow("drawer front") << QPointF(0.3, 0.25) << QColor(0xf2, 0xf5, 0xf9);
    QTest::newRow("handle") << QPointF(0.5, 0.68) << QColor(0xe0, 0x8a, 0x1e);
}

// The windows, the desktop's icon theme and the package all take their pictures from one drawing
// in the program's resources; a lost or broken drawing would leave them blank.
void TestUtils::programIconIsDrawn()
{
    QFETCH(QPointF, point);
    QFETCH(QColor, colour);
    for (int size : {48, 256}) {
        const QImage image = AppImage(size);
        QCOMPARE(image.size(), QSize(size, size));
        const QColor seen = image.pixelColor((point * size).toPoint());
        const int distance = std::abs(seen.red() - colour.red())
                + std::abs(seen.green() - colour.green()) + std::abs(seen.blue() - colour.blue())
                + std::abs(seen.alpha() - colour.alpha());
        QVERIFY2(
                distance < 40,
                qPrintable(QStringLiteral("%1 px: %2 instead of %3")
                                   .arg(size)
                                   .arg(seen.name(QColor::HexArgb), colour.name(QColor::HexArgb))));
    }
}

REGISTER_TEST(TestUtils)
#include "tst_utils.moc"
