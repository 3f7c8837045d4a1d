#include "Fixture.h"
#include "Plans.h"
#include "TestRegistry.h"
#include "app/CreateDatabase.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/DataControl.h"
#include "platform/db/Dialect.h"
#include "platform/db/DistinctValues.h"
#include "platform/db/Engine.h"
#include "platform/db/GridQuery.h"
#include "platform/db/Recordset.h"
#include "platform/db/Select.h"
#include "platform/db/Statement.h"

#include <QAccessible>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Rows with repeated names in both cases, NULL names and descriptions, three groups.
void fillCatalogue(db::Connection &connection, int rows)
{
    connection.Execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
            "INSERT INTO fileprofile (FileName, FileDesc, FileGroup, WebSiteName) SELECT "
            "CASE WHEN i % 97 = 0 THEN NULL WHEN i % 3 = 0 THEN 'File' || (i % 400) "
            "ELSE 'file' || (i % 400) END, "
            "CASE WHEN i % 7 = 0 THEN NULL ELSE 'desc ' || (i % 13) END, "
            "'G' || (i % 3), 'site' || (i % 11) || '.example.org' FROM n",
            {rows});
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void countStatement_data();
    void countStatement();
    void model_readsRowsInOrder_data();
    void model_readsRowsInOrder();
    void select_readsItsParts_data();
    void select_readsItsParts();
    void model_headersForViewsAndScreenReaders();
    void model_failedRefreshKeepsRows();
    void dataControl_addNewBecomesCurrent_data();
    void dataControl_addNewBecomesCurrent();
    void dataControl_holdsNoReadWhileShown();
    void distinctValues_data();
    void distinctValues();
    void browserStatements_useIndexes_data();
    void browserStatements_useIndexes();

private:
    QString cs() const { return db::ConnectStringFor(path_); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScratchDatabase> database_;
    QString path_;
    db::Connection db_;
};

void TestGrid::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    database_ = std::make_unique<ScratchDatabase>(dir_->path(), QStringLiteral("catalog.mdb"));
    path_ = database_->address;
    CreateDatabase(path_);
    db_.Open(cs());
}

void TestGrid::cleanup()
{
    db_.Close();
    database_.reset();
    dir_.reset();
}

void TestGrid::countStatement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("count"); // empty: counted through a subquery

    QTest::newRow("ordered") << "SELECT * FROM FileProfile order by filename" << QVariantList{}
                             << "SELECT count(*) FROM FileProfile";
    QTest::newRow("two filters") << "Select * from fileprofile where Websitename =? and FileGroup=?"
                                 << QVariantList{"site1.example.org", "G1"}
                                 << "SELECT count(*) FROM fileprofile WHERE Websitename =? and "
                                    "FileGroup=?";
    QTest::newRow("search ending in a semicolon")
            << "SELECT * FROM FileProfile WHERE FileName Like ? ORDER BY FileName;  "
            << QVariantList{"fi%"} << "SELECT count(*) FROM FileProfile WHERE FileName Like ?";
    QTest::newRow("subquery with its own order and limit")
            << "select Inum from fileprofile where Inum in (select Inum from fileprofile order by "
               "Inum desc limit 3) order by FileName desc"
            << QVariantList{}
            << "SELECT count(*) FROM fileprofile WHERE Inum in (select Inum from fileprofile "
               "order by Inum desc limit 3)";
    QTest::newRow("keywords inside text and brackets")
            << "select [datetime], title from [source] where title <> 'a group by b' or [datetime] "
               "like ?"
            << QVariantList{"x%"}
            << "SELECT count(*) FROM [source] WHERE title <> 'a group by b' or [datetime] like ?";
    QTest::newRow("join") << "select f.* from fileprofile f join tempfile t on t.Inum = f.Inum"
                          << QVariantList{} << "";
    QTest::newRow("list of tables")
            << "select * from fileprofile, tempfile" << QVariantList{} << "";
    QTest::newRow("distinct") << "select distinct FileGroup from fileprofile order by FileGroup;"
                              << QVariantList{} << "";
    QTest::newRow("group by") << "select FileGroup, count(*) from fileprofile group by FileGroup"
                              << QVariantList{} << "";
    QTest::newRow("union") << "select FileName from fileprofile union select FileName from tempfile"
                           << QVariantList{} << "";
    QTest::newRow("limit") << "select * from fileprofile order by Inum limit 10" << QVariantList{}
                           << "";
    QTest::newRow("alias") << "select * from fileprofile f where f.FileGroup = ?"
                           << QVariantList{"G1"} << "";
    QTest::newRow("comment") << "select * from fileprofile -- where FileGroup = 'G1'"
                             << QVariantList{} << "";
    QTest::newRow("order by position")
            << "select FileName, FileGroup from fileprofile order by 2" << QVariantList{} << "";
    QTest::newRow("value in the columns")
            << "select ? as tag, FileName from fileprofile where FileGroup = ?"
            << QVariantList{"t", "G1"} << "";
    QTest::newRow("common table") << "with x as (select 1 as a) select * from x" << QVariantList{}
                                  << "";
}

void TestGrid::countStatement()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, count);
    QCOMPARE(db::ParseSimpleSelect(sql).has_value(), !count.isEmpty());
    if (!count.isEmpty())
        QCOMPARE(db::CountStatement(sql), count);
    // A server is never sent a statement its translation cannot read: it is refused instead.
    if (db_.engine().kind() == db::Engine::Kind::Server && sql.contains("--")) {
        db::Recordset refused;
        QVERIFY_THROWS_EXCEPTION(db::DbError, refused.Open(sql, db_, values));
        return;
    }
    // Whatever the form, the count is the number of rows the statement gives.
    fillCatalogue(db_, 300);
    db_.Execute("INSERT INTO tempfile (FileName) SELECT FileName FROM fileprofile LIMIT 20");
    db::Recordset all;
    all.Open(sql, db_, values);
    QCOMPARE(FirstColumn(db_, db::CountStatement(sql), values),
             QStringList{QString::number(all.RecordCount())});
}

void TestGrid::model_readsRowsInOrder_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("expected"); // the same rows in the grid's order, first column a key

    QTest::newRow("text order ignores case, NULL first")
            << "SELECT * FROM fileprofile ORDER BY FileName" << QVariantList{}
            << "SELECT Inum FROM fileprofile ORDER BY FileName COLLATE NOCASE, Inum";
    QTest::newRow("filter without order: order of adding")
            << "Select Inum, FileName from fileprofile where FileGroup=?" << QVariantList{"G1"}
            << "SELECT Inum FROM fileprofile WHERE FileGroup = 'G1' ORDER BY Inum";
    QTest::newRow("search, descending with NULLs, two terms")
            << "SELECT * FROM FileProfile WHERE FileName Like ? ORDER BY FileDesc DESC, FileName;"
            << QVariantList{"FILE1%"}
            << "SELECT Inum FROM fileprofile WHERE FileName LIKE 'file1%' "
               "ORDER BY FileDesc COLLATE NOCASE DESC, FileName COLLATE NOCASE, Inum";
    QTest::newRow("expressions keep their order")
            << "select Inum, FileName from fileprofile order by FileDesc is null, "
               "length(FileName) desc"
            << QVariantList{}
            << "SELECT Inum FROM fileprofile ORDER BY FileDesc is null, length(FileName) desc, "
               "Inum";
    QTest::newRow("read as written") << "select distinct FileName from fileprofile "
                                        "where FileName is not null order by FileName"
                                     << QVariantList{}
                                     << "select distinct FileName from fileprofile "
                                        "where FileName is not null order by FileName";
    QTest::newRow("no rows") << "select * from fileprofile where FileGroup = ?"
                             << QVariantList{"none"} << "SELECT Inum FROM fileprofile WHERE 1 = 0";
}

void TestGrid::model_readsRowsInOrder()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, expected);
    fillCatalogue(db_, 3000);
    const QStringList rows = FirstColumn(db_, expected);
    const int last = static_cast<int>(rows.size()) - 1;

    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.model()->setPaging(64, 6); // small pages, few kept: the reads start from known rows
    grid.setRecordSource(sql, values);
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), rows.size());
    QCOMPARE(grid.model()->rowCount(), rows.size());
    QCOMPARE(grid.Caption(), QString("%1 of %2").arg(rows.isEmpty() ? 0 : 1).arg(rows.size()));

    // Jumps to both ends and the middle, then walks forward and back across pages.
    QList<int> visits = {0, last, last / 2, last / 2 - 1, last / 2 + 200, 5, last - 70};
    for (int row = last / 2 - 1; row >= last / 2 - 300; --row)
        visits << row;
    for (int row = 0; row <= last; ++row)
        visits << row;
    for (int row = last; row >= 0; row -= 7)
        visits << row;
    auto *model = grid.model();
    for (int row : visits) {
        if (row < 0 || row > last)
            continue;
        const QString shown = model->index(row, 0).data().toString();
        QVERIFY2(shown == rows[row],
                 qPrintable(QString("row %1: %2, expected %3").arg(row).arg(shown, rows[row])));
    }
    QVERIFY(model->heldRows() <= 64 * 6);
}

// A statement built of parts reads what its parts say, each condition holding on its own,
// and the grid pages it with statements of its own, forward and back.
void TestGrid::select_readsItsParts_data()
{
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<QVariantList>("values"); // each condition's in turn
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an OR beside another condition")
            << QStringList{"FileGroup = ? or FileGroup = ?", "FileName Like ?"}
            << QVariantList{"G1", "G2", "file1%"} << QStringList{"FileName"}
            << "SELECT Inum FROM fileprofile WHERE FileGroup IN ('G1', 'G2') AND FileName "
               "LIKE 'file1%' ORDER BY FileName COLLATE NOCASE, Inum";
    QTest::newRow("no condition, two terms")
            << QStringList{} << QVariantList{} << QStringList{"FileGroup", "FileDesc"}
            << "SELECT Inum FROM fileprofile ORDER BY FileGroup COLLATE NOCASE, FileDesc COLLATE "
               "NOCASE, Inum";
}

void TestGrid::select_readsItsParts()
{
    QFETCH(QStringList, conditions);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, order);
    QFETCH(QString, expected);
    fillCatalogue(db_, 1000);
    auto select = db::Select::From("fileprofile", {"Inum", "FileName"});
    qsizetype used = 0;
    for (const QString &condition : conditions) {
        const qsizetype marks = condition.count('?');
        select.Where(condition, values.mid(used, marks));
        used += marks;
    }
    for (const QString &term : order)
        select.OrderBy(term);
    const QStringList rows = FirstColumn(db_, expected);
    QCOMPARE(FirstColumn(db_, select.CountText(), select.values),
             QStringList{QString::number(rows.size())});

    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.model()->setPaging(16, 4);
    grid.setRecordSource(select);
    grid.Refresh();
    QCOMPARE(grid.RecordCount(), rows.size());
    QStringList shown;
    for (qint64 row = rows.size() - 1; row >= 0; --row)
        shown.prepend(grid.model()->index(static_cast<int>(row), 0).data().toString());
    QCOMPARE(shown, rows);
}

void TestGrid::model_headersForViewsAndScreenReaders()
{
    fillCatalogue(db_, 50);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setColumnCaption("filename", "File Name"); // before the first refresh
    grid.setRecordSource("SELECT Inum, FileName, FileDesc FROM fileprofile ORDER BY Inum");
    grid.Refresh();
    grid.setColumnCaption("FileDesc", "Description");
    auto *model = grid.model();
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), "Inum");
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), "File Name");
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), "Description");
    QCOMPARE(model->headerData(41, Qt::Vertical).toString(), "42");
    QVERIFY(!model->index(6, 2).data().isValid()); // NULL shows as an empty cell

    QTableView view;
    view.setModel(model);
    view.resize(500, 300);
    view.show();
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(table && table->tableInterface());
    QAccessibleTableInterface *cells = table->tableInterface();
    QCOMPARE(cells->rowCount(), 50);
    QCOMPARE(cells->columnCount(), 3);
    QCOMPARE(cells->cellAt(3, 1)->text(QAccessible::Name), "file4");
    const QList<QAccessibleInterface *> header =
            cells->cellAt(3, 1)->tableCellInterface()->columnHeaderCells();
    QCOMPARE(header.size(), 1);
    QCOMPARE(header.front()->text(QAccessible::Name), "File Name");
}

void TestGrid::model_failedRefreshKeepsRows()
{
    fillCatalogue(db_, 500);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT * FROM fileprofile WHERE FileName LIKE ? ORDER BY FileName",
                         {"file1%"});
    grid.Refresh();
    const qint64 count = grid.RecordCount();
    const QString first = grid.model()->index(0, 1).data().toString();
    grid.setRecordSource("SELECT * FROM FileProfile WHERE FileName Like 'O'Brien%' ORDER BY "
                         "FileName;");
    QVERIFY_THROWS_EXCEPTION(db::DbError, grid.Refresh());
    QCOMPARE(grid.RecordCount(), count);
    QCOMPARE(grid.model()->rowCount(), count);
    QCOMPARE(grid.model()->index(0, 1).data().toString(), first);
}

void TestGrid::dataControl_addNewBecomesCurrent_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QVariantMap>("row");
    QTest::addColumn<QString>("expected"); // Inum of the grid's rows in order; empty: shown last

    QTest::newRow("among equal names") << "SELECT * FROM fileprofile ORDER BY FileName"
                                       << QVariantList{} << QVariantMap{{"FileName", "FILE250"}}
                                       << "SELECT Inum FROM fileprofile "
                                          "ORDER BY FileName COLLATE NOCASE, Inum";
    QTest::newRow("NULL among descending")
            << "SELECT * FROM fileprofile ORDER BY FileDesc DESC, FileName" << QVariantList{}
            << QVariantMap{{"FileName", "a"}, {"FileDesc", QVariant()}}
            << "SELECT Inum FROM fileprofile "
               "ORDER BY FileDesc COLLATE NOCASE DESC, FileName COLLATE NOCASE, Inum";
    QTest::newRow("filtered and shown")
            << "SELECT * FROM fileprofile WHERE FileGroup = ? ORDER BY FileName"
            << QVariantList{"G1"} << QVariantMap{{"FileName", "file3"}, {"FileGroup", "G1"}}
            << "SELECT Inum FROM fileprofile WHERE FileGroup = 'G1' "
               "ORDER BY FileName COLLATE NOCASE, Inum";
    QTest::newRow("filtered out")
            << "SELECT * FROM fileprofile WHERE FileGroup = ? ORDER BY FileName"
            << QVariantList{"G1"} << QVariantMap{{"FileName", "file3"}, {"FileGroup", "G2"}} << "";
    QTest::newRow("read as written") << "SELECT * FROM fileprofile ORDER BY Inum LIMIT 100000"
                                     << QVariantList{} << QVariantMap{{"FileName", "file3"}} << "";
}

void TestGrid::dataControl_addNewBecomesCurrent()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QVariantMap, row);
    QFETCH(QString, expected);
    fillCatalogue(db_, 3000);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.model()->setPaging(64, 4);
    grid.setRecordSource(sql, values);
    grid.setUpdateTarget("fileprofile", "Inum");
    grid.Refresh();
    grid.setCurrentRow(10);

    grid.AddNew(row);
    const QString added = FirstColumn(db_, "SELECT max(Inum) FROM fileprofile").value(0);
    const qint64 count = grid.RecordCount();
    const qint64 position =
            expected.isEmpty() ? count - 1 : FirstColumn(db_, expected).indexOf(added);
    QCOMPARE(grid.CurrentRow(), position);
    QCOMPARE(grid.Caption(), QString("%1 of %2").arg(position + 1).arg(count));
    if (!expected.isEmpty())
        QCOMPARE(grid.Fields("Inum").toString(), added);
    QVERIFY2(grid.model()->heldRows() < count, "every row was read");

    // Editing and deleting keep the place; the rows after it move up.
    const QString next = position + 1 < count
            ? grid.model()->index(static_cast<int>(position + 1), 0).data().toString()
            : QString();
    grid.UpdateCurrent({{"Author", "me"}});
    QCOMPARE(grid.CurrentRow(), position);
    QCOMPARE(grid.Fields("Author").toString(), "me");
    grid.DeleteCurrent();
    QCOMPARE(grid.RecordCount(), count - 1);
    QCOMPARE(grid.CurrentRow(), std::min(position, count - 2));
    if (!next.isEmpty())
        QCOMPARE(grid.Fields("Inum").toString(), next);
}

void TestGrid::dataControl_holdsNoReadWhileShown()
{
    fillCatalogue(db_, 3000);
    db::DataControl grid;
    grid.ConnectionString = cs();
    grid.setRecordSource("SELECT * FROM fileprofile ORDER BY FileName");
    grid.Refresh();
    QTableView view;
    view.setModel(grid.model());
    view.resize(800, 400);
    view.show();
    view.grab();
    view.scrollTo(grid.model()->index(1500, 0));
    view.grab();
    view.scrollToBottom();
    view.grab();

    db::Connection other;
    other.Open(cs());
    QCOMPARE(other.Execute("UPDATE fileprofile SET FileName = 'aaa first' WHERE Inum = 2999"), 1);
    other.Execute("INSERT INTO fileprofile (FileName) VALUES ('zzz last')");
    // Only a connection that is reading holds the log: moving it all into the file and emptying
    // it succeeds at once when the grid holds no read.
    if (other.engine().kind() == db::Engine::Kind::File)
        QCOMPARE(FirstColumn(other, "PRAGMA wal_checkpoint(TRUNCATE)").value(0), "0");

    grid.Refresh();
    QCOMPARE(grid.RecordCount(), 3001);
    const int unnamed =
            FirstColumn(db_, "SELECT count(*) FROM fileprofile WHERE FileName IS NULL")[0].toInt();
    QCOMPARE(grid.model()->index(unnamed, 1).data().toString(), "aaa first");
    QCOMPARE(grid.model()->index(3000, 1).data().toString(), "zzz last");
}

void TestGrid::distinctValues_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("groups, one NULL and an empty text") << "fileprofile"
                                                        << "FileGroup";
    QTest::newRow("web sites") << "fileprofile"
                               << "WebSiteName";
    QTest::newRow("empty table") << "tempfile"
                                 << "FileGroup";
}

void TestGrid::distinctValues()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    fillCatalogue(db_, 400);
    db_.Execute("INSERT INTO fileprofile (FileGroup, WebSiteName) VALUES (NULL, ''), ('', 'Z'), "
                "('g1', 'a'), ('G1', 'site1.example.org')");
    QStringList expected;
    db::Recordset all;
    all.Open(QString("select distinct %1 from %2 order by %1").arg(column, table), db_);
    for (; !all.AtEnd(); all.MoveNext())
        expected << (all.Fields(0).isNull() ? "(null)" : all.Fields(0).toString());
    QStringList found;
    for (const QVariant &value : db::DistinctValues(db_, table, column))
        found << (value.isNull() ? "(null)" : value.toString());
    QCOMPARE(found, expected);
}

void TestGrid::browserStatements_useIndexes_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("sorts"); // matches from a range of sites, listed by file name

    const QString group = "Docs";
    const QString site = "site1.example.org";
    QTest::newRow("load") << "SELECT * FROM FileProfile order by filename" << QVariantList{}
                          << false;
    // A group is filtered by its number, the name looked up once.
    const QString inGroup =
            "GroupKey = (SELECT g.GroupKey FROM filegroups AS g WHERE g.FileGroup = ?)";
    QTest::newRow("group") << "Select * from fileprofile where " + inGroup << QVariantList{group}
                           << false;
    QTest::newRow("site") << "Select * from fileprofile where Websitename =?" << QVariantList{site}
                          << false;
    QTest::newRow("site and group")
            << "Select * from fileprofile where Websitename =? and " + inGroup
            << QVariantList{site, group} << false;
    const struct
    {
        const char *name;
        const char *column;
        const char *order;
        bool sorts;
    } modes[] = {{"name", "FileName", "ORDER BY FileName;", false},
                 {"description", "FileDesc", "ORDER BY FileDesc;", false},
                 {"site name", "Websitename", "ORDER BY filename;", true}};
    for (const auto &mode : modes) {
        const QString search =
                QString("SELECT * FROM FileProfile WHERE %1 Like ? ").arg(mode.column);
        const QString like = "rep%";
        QTest::addRow("%s search", mode.name)
                << search + mode.order << QVariantList{like} << mode.sorts;
        QTest::addRow("%s search in group", mode.name) << search + "and " + inGroup + mode.order
                                                       << QVariantList{like, group} << mode.sorts;
        QTest::addRow("%s search at site", mode.name)
                << search + "and Websitename =?" + mode.order << QVariantList{like, site} << false;
        QTest::addRow("%s search at site in group", mode.name)
                << search + "and Websitename =? and " + inGroup + mode.order
                << QVariantList{like, site, group} << mode.sorts;
    }
}

void TestGrid::browserStatements_useIndexes()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(bool, sorts);
    const auto select = db::ParseSimpleSelect(sql, values);
    QVERIFY(select);
    const db::GridQuery query(db_.database(), *select);
    QVERIFY(query.keyed());
    QVariantList keys(query.hiddenColumns(), "m");
    keys.back() = 100;
    const QList<db::BoundStatement> statements = {query.count(), query.rows(0, 256),
                                                  query.rows(0, 256, true),
                                                  query.rows(10, 256, false, keys)};
    for (const db::BoundStatement &statement : statements) {
        const Plan plan = PlanOf(db_, statement.sql, statement.values);
        QVERIFY2(!plan.scans("fileprofile"), qPrintable(plan.shown(statement.sql)));
        QVERIFY2(sorts || !plan.sorts(), qPrintable(plan.shown(statement.sql)));
    }
}

REGISTER_TEST(TestGrid)
#include "tst_grid.moc"
