// The window catalogue as the program fills it: every name a window opens, every sample picture
// and every registration refers to a window that exists, and a name nobody registered is
// refused at once instead of quietly showing nothing.

#include "Fixture.h"
#include "Samples.h"
#include "TestRegistry.h"
#include "accessories/Windows.h"
#include "app/Windows.h"
#include "catalogue/Windows.h"
#include "platform/ui/WindowCatalogue.h"
#include "reports/Windows.h"
#include "security/Windows.h"
#include "snippets/Windows.h"
#include "websites/Windows.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include <stdexcept>

class TestWindowCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void unregisteredNameIsRefused_data();
    void unregisteredNameIsRefused();
    void everyNameOpenedIsRegistered_data();
    void everyNameOpenedIsRegistered();
    void everySampleIsOfARegisteredWindow();
    void registeringAgainChangesNothing();
};

void TestWindowCatalogue::unregisteredNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("misspelt") << "frmGrups";
    QTest::newRow("letter case") << "frmgroups";
    QTest::newRow("blank after") << "frmGroups ";
    QTest::newRow("empty") << "";
    QTest::newRow("a report, not a window") << "rptFileList";
}

// OpenWindow used to answer -1 and show nothing: the user's click did nothing, and nobody heard
// of the misspelling.
void TestWindowCatalogue::unregisteredNameIsRefused()
{
    QFETCH(QString, name);
    Fixture f;
    f.setUp();
    bool prepared = false;
    try {
        OpenWindow(name, nullptr, [&prepared](QWidget *) { prepared = true; });
        QFAIL("OpenWindow accepted a name nobody registered");
    } catch (const std::invalid_argument &error) {
        QVERIFY2(QString::fromUtf8(error.what()).startsWith("Error: "), error.what());
        QVERIFY2(QString::fromUtf8(error.what()).contains('"' + name + '"'), error.what());
    }
    QVERIFY(!prepared);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, CreateWindow(name));
    QVERIFY(!WindowRegistered(name));
    VERIFY_CLEAN(f);
}

// Each window a window opens by a name written in the sources, one row per place: a misspelling
// fails here, without a test having to walk to the button that opens it.
void TestWindowCatalogue::everyNameOpenedIsRegistered_data()
{
    QTest::addColumn<QString>("name");
    static const QRegularExpression kOpened(
            QStringLiteral(R"re(OpenWindow\(\s*QStringLiteral\("([^"]*)"\))re"));
    const QString sources = QStringLiteral(CORVINA_SOURCE_DIR "/src");
    QDirIterator files(sources, {QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int places = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch &match : kOpened.globalMatch(text)) {
            const int line = text.left(match.capturedStart()).count(QLatin1Char('\n')) + 1;
            QTest::addRow("%s:%d %s", qPrintable(QDir(sources).relativeFilePath(file.fileName())),
                          line, qPrintable(match.captured(1)))
                    << match.captured(1);
            ++places;
        }
    }
    // The windows do open others by name; finding none means the pattern no longer matches.
    QVERIFY(places >= 10);
}

void TestWindowCatalogue::everyNameOpenedIsRegistered()
{
    QFETCH(QString, name);
    QVERIFY2(WindowRegistered(name), qPrintable(name));
}

// A sample kept under a name that is no window would leave that window's picture and hostile
// walk without their content, silently.
void TestWindowCatalogue::everySampleIsOfARegisteredWindow()
{
    const QStringList sampled = SampledWindows();
    QVERIFY(sampled.size() >= 20);
    for (const QString &name : sampled)
        QVERIFY2(WindowRegistered(name), qPrintable(name));
}

void TestWindowCatalogue::registeringAgainChangesNothing()
{
    QStringList before;
    QList<const WindowEntry *> entries = RegisteredWindows();
    for (const WindowEntry *entry : entries)
        before << entry->name;
    RegisterAppWindows();
    RegisterReportsWindows();
    RegisterSecurityWindows();
    RegisterAccessoriesWindows();
    RegisterCatalogueWindows();
    RegisterSnippetsWindows();
    RegisterWebsitesWindows();
    QStringList after;
    for (const WindowEntry *entry : RegisteredWindows())
        after << entry->name;
    QCOMPARE(after, before);
    QCOMPARE(RegisteredWindows(), entries);
    for (const char *name :
         {"frmMenu", "frmShow", "frmSnippet", "frmWebInfo", "frmLogin", "frmCalc", "frmReports"})
        QVERIFY2(before.contains(name), name);
}

REGISTER_TEST(TestWindowCatalogue)
#include "tst_windows.moc"
