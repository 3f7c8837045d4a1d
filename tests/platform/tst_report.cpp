#include "Fixture.h"
#include "ReportPages.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/Clock.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Reader.h"
#include "platform/report/Preview.h"
#include "platform/report/Report.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

using report::Page;
using report::Style;

namespace {

const report::Definition kItems{"rptItems",
                                "Item List",
                                {{"Name", "NAME", 2}, {"Notes", "notes", 3}, {"City", "City", 1}},
                                report::Orientation::Portrait};
const QString kAllItems = QStringLiteral("SELECT name, notes, city FROM items ORDER BY id");

QString failureOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const db::DbError &error) {
        return error.description();
    }
    return {};
}

QString withoutLineBreaks(QString text)
{
    return text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
}

qreal inkWidth(const QFontMetricsF &metrics, QString line)
{
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return metrics.horizontalAdvance(line);
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bandsAndPages_data();
    void bandsAndPages();
    void longTextWraps_data();
    void longTextWraps();
    void fieldsBoundByName_data();
    void fieldsBoundByName();
    void savePdf_holdsTitleRowsAndPages();
    void exportCsv_quotes_data();
    void exportCsv_quotes();
    void exportCsv_formulasShowAsText_data();
    void exportCsv_formulasShowAsText();
    void exportCsv_oneColumn_data();
    void exportCsv_oneColumn();
    void exportCsv_manyRows();
    void unwritableFile_data();
    void unwritableFile();
    void preview_savesAndExports();

private:
    void addItems(int count, const QString &notes = {});
    std::vector<Page> record(const report::Definition &definition, const QString &sql,
                             ReportSheet &sheet);

    std::unique_ptr<Fixture> f_;
    db::Connection connection_;
};

void TestReport::init()
{
    f_ = std::make_unique<Fixture>();
    connection_.Open(db::ConnectStringFor(f_->dbPath));
    connection_.Execute("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, notes TEXT, "
                        "city TEXT)");
}

void TestReport::cleanup()
{
    connection_.Close();
    f_.reset();
}

// Items "Item 1" ... with notes "Note 1" ... (or the notes given) in "Town".
void TestReport::addItems(int count, const QString &notes)
{
    if (count < 1)
        return;
    connection_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < ?) INSERT INTO items (name, notes, city) "
                        "SELECT 'Item ' || i, coalesce(?, 'Note ' || i), 'Town' FROM n",
                        {count, notes.isNull() ? QVariant() : QVariant(notes)});
}

std::vector<Page> TestReport::record(const report::Definition &definition, const QString &sql,
                                     ReportSheet &sheet)
{
    db::Reader rows;
    rows.Open(sql, connection_);
    return report::Record(definition, rows, sheet.writer);
}

void TestReport::bandsAndPages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<report::Orientation>("orientation");
    QTest::addColumn<QString>("notes"); // null: "Note 1", "Note 2", ...
    const auto portrait = report::Orientation::Portrait;
    QTest::newRow("no rows: the headers alone") << 0 << portrait << QString();
    QTest::newRow("one row") << 1 << portrait << QString();
    QTest::newRow("a few hundred rows") << 300 << portrait << QString();
    QTest::newRow("landscape") << 300 << report::Orientation::Landscape << QString();
    // Rows of three lines never break across a page when the next page takes them whole.
    QTest::newRow("three-line rows") << 200 << portrait << "one\ntwo\nthree";
}

void TestReport::bandsAndPages()
{
    QFETCH(int, count);
    QFETCH(report::Orientation, orientation);
    QFETCH(QString, notes);
    const QDate day(1999, 3, 4);
    SetNow(QDateTime(day, QTime(10, 0)));
    addItems(count, notes);
    report::Definition definition = kItems;
    definition.orientation = orientation;
    ReportSheet sheet(definition);
    const std::vector<Page> pages = record(definition, kAllItems, sheet);

    QList<QStringList> expected;
    for (int i = 1; i <= count; ++i)
        expected << QStringList{
                QString("Item %1").arg(i),
                notes.isNull() ? QString("Note %1").arg(i) : withoutLineBreaks(notes), "Town"};
    QCOMPARE(DetailRows(pages), expected);

    const int perPage = count ? static_cast<int>(DetailRows({pages.front()}).size()) : 1;
    QCOMPARE(static_cast<int>(pages.size()), std::max(1, (count + perPage - 1) / perPage));
    if (count > 100)
        QVERIFY(pages.size() > 1);

    const QString date = QLocale().toString(day, QLocale::LongFormat);
    for (size_t i = 0; i < pages.size(); ++i) {
        const Page &page = pages[i];
        const bool last = i + 1 == pages.size();
        QCOMPARE(page.number, int(i) + 1);
        QCOMPARE(page.area.width() > page.area.height(),
                 orientation == report::Orientation::Landscape);
        QCOMPARE(page.textList().mid(0, 7),
                 (QStringList{"Item List", date, "Page No:", QString::number(i + 1), "Name",
                              "Notes", "City"}));
        if (!last)
            QCOMPARE(int(DetailRows({page}).size()), perPage);
        // Two rules under the title, one under the captions, one closing the report.
        QCOMPARE(int(page.rules.size()), last ? 4 : 3);
        qreal rowTop = -1;
        qreal bottom = 0;
        for (const report::Text &text : page.texts) {
            QVERIFY(page.area.adjusted(-0.01, -0.01, 0.01, 0.01).contains(text.rect));
            if (text.style != Style::Detail)
                continue;
            if (text.rect.top() != rowTop)
                QVERIFY2(text.rect.top() >= bottom, "rows overlap");
            rowTop = text.rect.top();
            bottom = std::max(bottom, text.rect.bottom());
        }
        if (last)
            QVERIFY(page.rules.back().line.y1() >= bottom);
    }
}

void TestReport::longTextWraps_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<int>("minimumPages");
    QTest::newRow("words") << QString("lorem ipsum dolor sit amet ").repeated(20) << 1;
    QTest::newRow("one word wider than its column") << QString("W").repeated(300) << 1;
    QTest::newRow("line breaks") << "first line\nsecond\r\nthird\rfourth" << 1;
    QTest::newRow("non-ASCII")
            << QString::fromUtf8("Grüße aus Köln, 日本語のテキスト ").repeated(12) << 1;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QString("line %1").arg(i);
    QTest::newRow("taller than a page") << lines.join('\n') << 2;
}

void TestReport::longTextWraps()
{
    QFETCH(QString, notes);
    QFETCH(int, minimumPages);
    addItems(1, notes);
    connection_.Execute("INSERT INTO items (name, notes, city) VALUES ('after', 'tail', 'x')");
    ReportSheet sheet(kItems);
    const std::vector<Page> pages = record(kItems, kAllItems, sheet);
    QVERIFY(int(pages.size()) >= minimumPages);

    const report::Typefaces faces(sheet.writer);
    const QFontMetricsF &metrics = faces.metrics(Style::Detail);
    QString shown;
    int lineCount = 0;
    for (const Page &page : pages) {
        QCOMPARE(page.textList().first(), "Item List");
        // The notes column is the second caption's; every text that starts there is a note.
        qreal notesLeft = -1;
        qreal cityLeft = -1;
        for (const report::Text &text : page.texts) {
            if (text.style == Style::Caption && text.text() == "Notes")
                notesLeft = text.rect.left();
            if (text.style == Style::Caption && text.text() == "City")
                cityLeft = text.rect.left();
        }
        qreal bottom = 0;
        for (const report::Text &text : page.texts) {
            if (text.style != Style::Detail)
                continue;
            QVERIFY(text.rect.top() >= bottom || text.rect.left() != notesLeft);
            if (text.rect.left() != notesLeft || text.text() == "tail")
                continue;
            QVERIFY(text.rect.right() <= cityLeft);
            QCOMPARE(text.rect.height(), text.lines.size() * metrics.lineSpacing());
            for (const QString &line : text.lines)
                QVERIFY2(inkWidth(metrics, line) <= text.rect.width() + 0.01, qPrintable(line));
            shown += text.text();
            lineCount += text.lines.size();
            bottom = text.rect.bottom();
        }
    }
    QVERIFY(lineCount > 1);
    QCOMPARE(shown, withoutLineBreaks(notes));
    QCOMPARE(DetailRows(pages).last(), (QStringList{"after", "tail", "x"}));
}

void TestReport::fieldsBoundByName_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<QString>("error");
    QTest::newRow("names in another case")
            << "SELECT name AS nAmE, notes AS NOTES, city AS city FROM items"
            << QStringList{"Item 1", "Note 1", "Town"} << "";
    QTest::newRow("other order, extra columns") << "SELECT city, id, notes, name FROM items"
                                                << QStringList{"Item 1", "Note 1", "Town"} << "";
    QTest::newRow("null and number") << "SELECT name, NULL AS notes, 42 AS city FROM items"
                                     << QStringList{"Item 1", "", "42"} << "";
    QTest::newRow("a bound field missing")
            << "SELECT name, notes FROM items" << QStringList{} << "'City'";
}

void TestReport::fieldsBoundByName()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, firstRow);
    QFETCH(QString, error);
    addItems(2);
    ReportSheet sheet(kItems);
    if (error.isEmpty()) {
        QCOMPARE(DetailRows(record(kItems, sql, sheet)).first(), firstRow);
        return;
    }
    // Every output names the field and the report, and leaves no file behind.
    const QString pdf = f_->dir() + "/items.pdf";
    const QString csv = f_->dir() + "/items.csv";
    const QList<std::function<void(db::Reader &)>> outputs = {
            [&](db::Reader &rows) { report::Record(kItems, rows, sheet.writer); },
            [&](db::Reader &rows) { report::SavePdf(kItems, rows, pdf); },
            [&](db::Reader &rows) {
                report::ExportCsv(kItems, rows, csv);
            }};
    for (const auto &output : outputs) {
        db::Reader rows;
        rows.Open(sql, connection_);
        const QString failure = failureOf([&] { output(rows); });
        QVERIFY2(failure.contains(error) && failure.contains(kItems.name), qPrintable(failure));
    }
    QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(!QFileInfo::exists(csv));
}

void TestReport::savePdf_holdsTitleRowsAndPages()
{
    addItems(150);
    connection_.Execute("UPDATE items SET name = ? WHERE id = 77", {QString::fromUtf8("Grüße")});
    const QString path = f_->dir() + "/items.pdf";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    const int pages = report::SavePdf(kItems, rows, path, "Imported Items");
    QVERIFY(ReadFile(path).startsWith("%PDF"));

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const char *expected :
         {"Item List", "Page No:", "Name", "Notes", "City", "Item 1", "Note 150", "Grüße", "Town"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    ReportSheet sheet(kItems);
    QCOMPARE(pages, int(record(kItems, kAllItems, sheet).size()));
    QVERIFY(pages > 1);
    // pdftotext ends every page with a form feed.
    QCOMPARE(text.count('\f'), pages);
}

void TestReport::exportCsv_quotes_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "plain text" << QByteArray("plain text");
    QTest::newRow("blanks kept") << "  padded  " << QByteArray("  padded  ");
    QTest::newRow("comma") << "a,b" << QByteArray("\"a,b\"");
    QTest::newRow("quotes doubled") << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("line feed") << "one\ntwo" << QByteArray("\"one\ntwo\"");
    QTest::newRow("line end") << "one\r\ntwo" << QByteArray("\"one\r\ntwo\"");
    QTest::newRow("carriage return") << "one\rtwo" << QByteArray("\"one\rtwo\"");
    QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße 日本")
                               << QString::fromUtf8("Grüße 日本").toUtf8();
    QTest::newRow("null") << QString() << QByteArray();
}

void TestReport::exportCsv_quotes()
{
    QFETCH(QString, notes);
    QFETCH(QByteArray, field);
    connection_.Execute("INSERT INTO items (name, notes, city) VALUES ('n', ?, 'c')",
                        {notes.isNull() ? QVariant() : QVariant(notes)});
    report::Definition definition = kItems;
    definition.columns[1].caption = "Notes, long";
    const QString path = f_->dir() + "/items.csv";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    report::ExportCsv(definition, rows, path);
    QCOMPARE(ReadFile(path), "Name,\"Notes, long\",City\r\nn," + field + ",c\r\n");
}

void TestReport::exportCsv_formulasShowAsText_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("equals") << "=HYPERLINK(\"http://x\",\"y\")"
                            << QByteArray("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    QTest::newRow("plus") << "+1+2" << QByteArray("\"'+1+2\"");
    QTest::newRow("minus") << "-2+3" << QByteArray("\"'-2+3\"");
    QTest::newRow("at") << "@SUM(A1)" << QByteArray("\"'@SUM(A1)\"");
    QTest::newRow("tab") << "\t=1" << QByteArray("\"'\t=1\"");
    QTest::newRow("carriage return") << "\r=1" << QByteArray("\"'\r=1\"");
    QTest::newRow("comma after equals") << "=1,2" << QByteArray("\"'=1,2\"");
    QTest::newRow("lone sign") << "-" << QByteArray("\"'-\"");
    QTest::newRow("sign inside") << "a=1-2" << QByteArray("a=1-2");
    QTest::newRow("blank first") << " =1" << QByteArray(" =1");
    QTest::newRow("quote first stays") << "'=1" << QByteArray("'=1");
}

// A cell that a spreadsheet would run as a formula shows as its text: quoted, one single quote
// before it, the value otherwise as it is.
void TestReport::exportCsv_formulasShowAsText()
{
    QFETCH(QString, notes);
    QFETCH(QByteArray, field);
    connection_.Execute("INSERT INTO items (name, notes, city) VALUES ('=n', ?, 'c')", {notes});
    const QString path = f_->dir() + "/items.csv";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    report::ExportCsv(kItems, rows, path);
    QCOMPARE(ReadFile(path), "Name,Notes,City\r\n\"'=n\"," + field + ",c\r\n");
}

// A row of one empty field must not read as a blank line, which CSV readers drop.
void TestReport::exportCsv_oneColumn_data()
{
    QTest::addColumn<QVariant>("notes");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QVariant(QString("")) << QByteArray("\"\"");
    QTest::newRow("null") << QVariant() << QByteArray("\"\"");
    QTest::newRow("blank") << QVariant(QString(" ")) << QByteArray(" ");
    QTest::newRow("text") << QVariant(QString("a")) << QByteArray("a");
}

void TestReport::exportCsv_oneColumn()
{
    QFETCH(QVariant, notes);
    QFETCH(QByteArray, line);
    connection_.Execute("INSERT INTO items (name, notes, city) VALUES ('n', ?, 'c')", {notes});
    report::Definition definition = kItems;
    definition.columns = {definition.columns[1]};
    const QString path = f_->dir() + "/notes.csv";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    report::ExportCsv(definition, rows, path);
    QCOMPARE(ReadFile(path), "Notes\r\n" + line + "\r\n");
}

void TestReport::exportCsv_manyRows()
{
    addItems(5000);
    const QString path = f_->dir() + "/items.csv";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    report::ExportCsv(kItems, rows, path);
    const QList<QByteArray> lines = ReadFile(path).split('\n');
    QCOMPARE(lines.size(), 5002); // header, rows, and the empty rest after the last line end
    QCOMPARE(lines[1], "Item 1,Note 1,Town\r");
    QCOMPARE(lines[5000], "Item 5000,Note 5000,Town\r");
}

void TestReport::unwritableFile_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::newRow("PDF") << true;
    QTest::newRow("CSV") << false;
}

void TestReport::unwritableFile()
{
    QFETCH(bool, pdf);
    addItems(3);
    const QString path = f_->dir() + "/no such folder/items.out";
    db::Reader rows;
    rows.Open(kAllItems, connection_);
    const QString failure = failureOf([&] {
        if (pdf)
            report::SavePdf(kItems, rows, path);
        else
            report::ExportCsv(kItems, rows, path);
    });
    QVERIFY2(failure.contains(path), qPrintable(failure));
}

void TestReport::preview_savesAndExports()
{
    addItems(120);
    const QString pdf = f_->dir() + "/preview.pdf";
    const QString csv = f_->dir() + "/preview.csv";
    const QString badPath = f_->dir() + "/missing/x.csv";
    f_->ui.saveAs(pdf);
    f_->ui.saveAs(QString()); // cancelled: nothing written
    f_->ui.saveAs(csv);
    f_->ui.saveAs(badPath);
    f_->ui.answer(vbOK);
    QString title;
    int previewPages = -1;
    f_->ui.onModal("rptItems", [&](QWidget *window) {
        title = window->windowTitle();
        if (auto *preview = window->findChild<QPrintPreviewWidget *>()) {
            preview->updatePreview();
            previewPages = preview->pageCount();
        }
        for (const char *key : {"kSavePdf", "kExportCsv", "kExportCsv", "kExportCsv"}) {
            if (auto *action = window->findChild<QAction *>(key))
                action->trigger();
        }
        return 0;
    });
    const QString sql = "SELECT name, notes, city FROM items WHERE id <= ? ORDER BY id";
    report::ShowPreview(kItems, connection_, sql, {100}, "Imported Items");

    QCOMPARE(f_->ui.modals, QStringList{"rptItems"});
    QCOMPARE(title, "Imported Items");
    ReportSheet sheet(kItems);
    const std::vector<Page> pages =
            record(kItems, "SELECT name, notes, city FROM items WHERE id <= 100", sheet);
    QCOMPARE(previewPages, int(pages.size()));
    QVERIFY(ReadFile(pdf).startsWith("%PDF"));
    const QByteArray written = ReadFile(csv);
    QVERIFY(written.endsWith("Item 100,Note 100,Town\r\n"));
    QCOMPARE(written.count('\n'), 101);
    QVERIFY(f_->ui.scriptDone());
    QCOMPARE(f_->ui.saveDialogs,
             (QStringList{"Save as PDF", "Export CSV", "Export CSV", "Export CSV"}));
    QCOMPARE(f_->ui.messages.size(), 1);
    QVERIFY(f_->ui.messages[0].text.startsWith("Error: Could not write the file"));
    VERIFY_CLEAN(*f_);

    // A statement that fails is reported to the caller before any window shows.
    QVERIFY(failureOf([&] {
                report::ShowPreview(kItems, connection_, "SELECT name FROM items");
            }).contains("'notes'"));
    QCOMPARE(f_->ui.modals.size(), 1);
}

REGISTER_TEST(TestReport)
#include "tst_report.moc"
