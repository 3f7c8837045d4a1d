#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Reader.h"
#include "platform/db/TextRows.h"

#include <QTest>

namespace {

QString failureOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const db::DbError &error) {
        return error.description();
    }
    return {};
}

// Every row a reader walks, each as its fields' texts with nulls shown as "(null)".
QList<QStringList> walk(db::Reader &reader)
{
    QList<QStringList> rows;
    for (; !reader.AtEnd(); reader.MoveNext()) {
        QStringList row;
        for (int i = 0; i < reader.FieldCount(); ++i)
            row << (reader.Fields(i).isNull() ? QStringLiteral("(null)")
                                              : reader.Fields(i).toString());
        rows << row;
    }
    return rows;
}

} // namespace

class TestReader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void walksRows_data();
    void walksRows();
    void fieldsByNameIgnoreCase();
    void failures_data();
    void failures();
    void misuse();
    void writesGoOnDuringWalk();
    void textRows_data();
    void textRows();
    void textRowFailures_data();
    void textRowFailures();

private:
    std::unique_ptr<Fixture> f_;
    db::Connection connection_;
};

void TestReader::init()
{
    f_ = std::make_unique<Fixture>();
    connection_.Open(db::ConnectStringFor(f_->dbPath));
    connection_.Execute("INSERT INTO webname (webname, notes) VALUES "
                        "('Alpha', 'first'), ('Beta', NULL), ('Gamma', 'it''s 100%')");
}

void TestReader::cleanup()
{
    connection_.Close();
    f_.reset();
}

void TestReader::walksRows_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("all rows in order, nulls kept")
            << "SELECT webid, webname, notes FROM webname ORDER BY webid" << QVariantList{}
            << QStringList{"webid", "webname", "notes"}
            << QList<QStringList>{{"1", "Alpha", "first"},
                                  {"2", "Beta", "(null)"},
                                  {"3", "Gamma", "it's 100%"}};
    QTest::newRow("bound values")
            << "SELECT webname FROM webname WHERE notes = ? OR webid = ? ORDER BY webid"
            << QVariantList{"it's 100%", 2} << QStringList{"webname"}
            << QList<QStringList>{{"Beta"}, {"Gamma"}};
    // An empty result still names its columns, so a report over no rows binds its fields.
    QTest::newRow("no rows") << "SELECT webname AS Site, notes FROM webname WHERE webid > ?"
                             << QVariantList{99} << QStringList{"Site", "notes"}
                             << QList<QStringList>{};
}

void TestReader::walksRows()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, names);
    QFETCH(QList<QStringList>, rows);
    db::Reader reader;
    reader.Open(sql, connection_, values);
    QCOMPARE(reader.State(), 1);
    QStringList fieldNames;
    for (int i = 0; i < reader.FieldCount(); ++i)
        fieldNames << reader.FieldName(i);
    QCOMPARE(fieldNames, names);
    QCOMPARE(walk(reader), rows);
    QVERIFY(reader.AtEnd());
    // Past the end there is no current row to read or to leave.
    QVERIFY(!failureOf([&] { reader.Fields(0); }).isEmpty());
    QVERIFY(!failureOf([&] { reader.MoveNext(); }).isEmpty());
    reader.Close();
    QCOMPARE(reader.State(), 0);
    // A closed reader opens again, on another statement.
    reader.Open("SELECT count(*) FROM webname", connection_);
    QCOMPARE(reader.Fields(0).toInt(), 3);
}

void TestReader::fieldsByNameIgnoreCase()
{
    db::Reader reader;
    reader.Open("SELECT webname AS WebName, notes FROM webname ORDER BY webid", connection_);
    QCOMPARE(reader.FieldIndex("WEBNAME"), 0);
    QCOMPARE(reader.FieldIndex("Notes"), 1);
    QCOMPARE(reader.FieldIndex("webid"), -1);
    QCOMPARE(reader.Fields("webname").toString(), "Alpha");
    reader.MoveNext();
    QVERIFY(reader.Fields("NOTES").isNull());
    QVERIFY(failureOf([&] { reader.Fields("webid"); }).contains("cannot be found"));
    QVERIFY(failureOf([&] { reader.Fields(2); }).contains("cannot be found"));
}

void TestReader::failures_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("no such table") << "SELECT * FROM nosuch" << QVariantList{} << "nosuch";
    QTest::newRow("syntax") << "SELECT FROM WHERE" << QVariantList{} << "syntax error";
    QTest::newRow("no such column") << "SELECT colour FROM webname" << QVariantList{} << "colour";
}

void TestReader::failures()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, mentions);
    db::Reader reader;
    const QString error = failureOf([&] { reader.Open(sql, connection_, values); });
    QVERIFY2(error.contains(mentions), qPrintable(error));
    QCOMPARE(reader.State(), 0);
}

void TestReader::misuse()
{
    db::Reader reader;
    reader.Open("SELECT 1", connection_);
    QVERIFY(failureOf([&] { reader.Open("SELECT 2", connection_); }).contains("is open"));
    // A statement without rows leaves the reader closed.
    db::Reader update;
    update.Open("UPDATE webname SET notes = notes", connection_);
    QCOMPARE(update.State(), 0);
    QVERIFY(update.AtEnd());
    db::Connection closed;
    db::Reader other;
    QVERIFY(failureOf([&] { other.Open("SELECT 1", closed); }).contains("is closed"));
}

void TestReader::writesGoOnDuringWalk()
{
    connection_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 5000) INSERT INTO tempfile (FileName) SELECT 'f' || i FROM n");
    db::Reader reader;
    reader.Open("SELECT FileName FROM tempfile ORDER BY Inum", connection_);
    reader.MoveNext();
    db::Connection other;
    other.Open(db::ConnectStringFor(f_->dbPath));
    // Another connection writes while this walk is half-way, and the walk goes on unharmed.
    QCOMPARE(other.Execute("DELETE FROM tempfile WHERE Inum > 10"), 4990);
    qint64 seen = 2;
    for (reader.MoveNext(); !reader.AtEnd(); reader.MoveNext())
        ++seen;
    QCOMPARE(seen, 5000);
}

void TestReader::textRows_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("text beyond ASCII") << QVariant(QStringLiteral("Caf\u00e9 \U0001F600 o'n"))
                                       << QByteArray("Caf\xc3\xa9 \xf0\x9f\x98\x80 o'n");
    QTest::newRow("64-bit number") << QVariant(qint64(1) << 40) << QByteArray("1099511627776");
    QTest::newRow("number") << QVariant(42) << QByteArray("42");
    QTest::newRow("fraction") << QVariant(1.5) << QByteArray("1.5");
    // Each engine writes a truth value as its own text; a server's text holds no bytes.
    const bool file = TestServer().isEmpty();
    QTest::newRow("true") << QVariant(true) << QByteArray(file ? "1" : "true");
    QTest::newRow("null") << QVariant() << QByteArray();
    if (file)
        QTest::newRow("bytes") << QVariant(QByteArray("a\0b", 3)) << QByteArray("a\0b", 3);
}

// Each row's columns come as the engine's UTF-8, the values bound as the layer binds them.
void TestReader::textRows()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, text);
    QList<QByteArray> seen;
    const qint64 rows =
            db::ForEachTextRow(connection_, "SELECT ?, 'x' UNION ALL SELECT 'second', ?",
                               {value, value}, [&](std::span<const QByteArrayView> row) {
                                   QCOMPARE(row.size(), size_t(2));
                                   seen << row[0].toByteArray() << row[1].toByteArray();
                               });
    QCOMPARE(rows, 2);
    QCOMPARE(seen, (QList<QByteArray>{text, "x", "second", text}));
}

void TestReader::textRowFailures_data()
{
    failures_data();
    QTest::newRow("a value missing") << "SELECT ?, ?" << QVariantList{1} << "2 values, not 1";
}

void TestReader::textRowFailures()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, mentions);
    const QString error = failureOf([&] {
        db::ForEachTextRow(connection_, sql, values, [](std::span<const QByteArrayView>) {});
    });
    QVERIFY2(error.contains(mentions), qPrintable(error));
    // The connection is left as it was: the next statement runs.
    QCOMPARE(
            db::ForEachTextRow(connection_, "SELECT 1", {}, [](std::span<const QByteArrayView>) {}),
            1);
}

REGISTER_TEST(TestReader)
#include "tst_reader.moc"
