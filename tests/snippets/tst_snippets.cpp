#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/db/RowAsRead.h"
#include "platform/ui/ToolBar.h"
#include "snippets/LineEnds.h"
#include "snippets/PrintSource.h"
#include "snippets/TextBox.h"
#include "snippets/frmSnippet.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

namespace {

constexpr int kQuestion = vbYesNo + vbCritical;
const QString kNotebook = "Sourcecode Notebook";

void addSnippet(Fixture &f, const QString &title, const QString &group, const QString &site,
                const QString &code = "code")
{
    f.exec("insert into source (title, codetype, websitename, code, [datetime]) "
           "values (?, ?, ?, ?, '2026-01-02 03:04:05')",
           {title, group, site, code});
}

// Four snippets over three groups and two sites, listed in this order.
void addFour(Fixture &f)
{
    addSnippet(f, "loop", "C", "Beta");
    addSnippet(f, "Map", "Python", "Alpha");
    addSnippet(f, "array", "C", "Alpha");
    addSnippet(f, "quoted", "O'Neil", "Beta");
}

std::unique_ptr<frmSnippet> openNotebook()
{
    auto window = std::make_unique<frmSnippet>();
    window->Form_Load();
    return window;
}

QStringList column(QTreeWidget *list, int at = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(at);
    return texts;
}

QStringList entries(QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

void choose(QComboBox *box, const QString &text)
{
    const int at = box->findText(text);
    QVERIFY2(at >= 0, qPrintable(text));
    box->setCurrentIndex(at);
    emit box->activated(at);
}

void fill(frmSnippet &window, const QString &title, const QString &code, const QString &notes = {})
{
    window.txtTitle->setText(title);
    window.rtbCodeWindow->setText(code);
    window.rtbNotes->setText(notes);
}

// Drops data onto a text box as a drag from another program would: it enters, then drops.
void drop(TextBox *box, QMimeData *data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box->viewport(), &event);
    QVERIFY(event.isAccepted());
}

} // namespace

class TestSnippets : public QObject
{
    Q_OBJECT
private slots:
    void savedAndShownExactly_data();
    void savedAndShownExactly();
    void typedTextKeepsItsBlanks();
    void editKeepsLineEnds_data();
    void editKeepsLineEnds();
    void lineEndsFollowTheirLines_data();
    void lineEndsFollowTheirLines();
    void validation_data();
    void validation();
    void filters_data();
    void filters();
    void saveTwiceAfterClearAll_data();
    void saveTwiceAfterClearAll();
    void updateIsAllOrNothing_data();
    void updateIsAllOrNothing();
    void pickedTitleIsShown_data();
    void pickedTitleIsShown();
    void sortByHeader_data();
    void sortByHeader();
    void find_data();
    void find();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void dropOntoFields_data();
    void dropOntoFields();
    void clipboard_data();
    void clipboard();
    void printSource_data();
    void printSource();
    void windowsFromTheMenus();
    void webNameFillsAddress();
    void keepsItsMinimumSize();
};

void TestSnippets::savedAndShownExactly_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("notes");
    QTest::newRow("single quotes") << "O'Neil's 'trick'"
                                   << "puts 'it''s';\n"
                                   << "don't";
    QTest::newRow("tabs and trailing blanks") << "  padded  "
                                              << "if (x) {\n\treturn 1;   \n}\t\n\n"
                                              << "\tnote  ";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Größe – 大小 ✓")
                               << QString::fromUtf8("s = \"naïve café\"  # ünïcödé\n")
                               << QString::fromUtf8("日本語のメモ");
    QTest::newRow("wild cards and backslashes") << "100% _done_ \\n"
                                                << "printf(\"%d\\n\", x);"
                                                << "";
    QTest::newRow("line ends and hard blanks")
            << "crlf" << QString::fromUtf8("a\r\nb\r\n\u00a0c\u00a0\r\n") << QString("x\r\ny");
}

// What is typed, pasted or loaded is stored, listed and shown again letter for letter.
void TestSnippets::savedAndShownExactly()
{
    QFETCH(QString, title);
    QFETCH(QString, code);
    QFETCH(QString, notes);
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    window->cmdRest->click();
    fill(*window, title, code, notes);
    choose(window->cmbType, "Python");
    window->cboWebName->setEditText("Site 'A'");
    window->txtAuthor->setText("Pat O'Hara");
    window->toolBar->click("kSave");
    QVERIFY(f.ui.messages.isEmpty());
    QCOMPARE(f.column("select title from source"), QStringList{title});
    QCOMPARE(f.column("select code from source"), QStringList{code});
    QCOMPARE(f.column("select notes from source"), QStringList{notes});
    QCOMPARE(f.column("select codetype || '|' || websitename || '|' || author from source"),
             QStringList{"Python|Site 'A'|Pat O'Hara"});
    QCOMPARE(f.column("select [datetime] from source"), QStringList{"2026-12-07 13:45:12"});
    // The one snippet is listed and shown again, ready to be changed.
    QCOMPARE(column(window->lstTitles), QStringList{title});
    QCOMPARE(window->txtTitle->text(), title);
    QCOMPARE(window->rtbCodeWindow->text(), code);
    QCOMPARE(window->rtbNotes->text(), notes);
    QCOMPARE(window->cmbType->currentText(), QStringLiteral("Python"));
    QCOMPARE(window->cboWebName->currentText(), QStringLiteral("Site 'A'"));
    QCOMPARE(window->Label5->text(), QStringLiteral("12/07/2026"));
    QVERIFY(!window->NewSnippet);
    // Saved again unchanged (an update now), nothing moves.
    window->toolBar->click("kSave");
    QCOMPARE(f.column("select count(*) from source"), QStringList{"1"});
    QCOMPARE(f.column("select title from source"), QStringList{title});
    QCOMPARE(f.column("select code from source"), QStringList{code});
    QCOMPARE(f.column("select notes from source"), QStringList{notes});
}

// Typed by hand, the code keeps its tabs, trailing and hard blanks; lines end in "\n".
void TestSnippets::typedTextKeepsItsBlanks()
{
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    window->txtTitle->setText("typed");
    window->rtbCodeWindow->setFocus();
    QTest::keyClicks(window->rtbCodeWindow, "\tx = 1;  ");
    QTest::keyClick(window->rtbCodeWindow, Qt::Key_Return);
    QTest::keyClick(window->rtbCodeWindow, Qt::Key_Return, Qt::ShiftModifier);
    window->rtbCodeWindow->insertPlainText(QString::fromUtf8("\u00a0y\t"));
    window->mnuSave->trigger();
    QCOMPARE(f.column("select code from source"),
             QStringList{QString::fromUtf8("\tx = 1;  \n\n\u00a0y\t")});
}

void TestSnippets::editKeepsLineEnds_data()
{
    QTest::addColumn<QString>("field"); // code or notes
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("find"); // the text the user selects and types over; none: no edit
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    const QString mixed = QString::fromUtf8("one\r\ntwo\rthree\u2028four\nfive\u2029six\r\n");
    QTest::newRow("CRLF, one letter") << "code"
                                      << "int a;\r\nint b;\r\nint c;\r\n"
                                      << "b"
                                      << "x"
                                      << "int a;\r\nint x;\r\nint c;\r\n";
    QTest::newRow("lone CR, one letter") << "code"
                                         << "one\rtwo\rthree"
                                         << "w"
                                         << "W"
                                         << "one\rtWo\rthree";
    QTest::newRow("line separators, one letter")
            << "code" << QString::fromUtf8("a1\u2028b2\u2028c3\u2028") << "b"
            << "B" << QString::fromUtf8("a1\u2028B2\u2028c3\u2028");
    QTest::newRow("mixed, one letter")
            << "code" << mixed << "hr"
            << "Hr" << QString::fromUtf8("one\r\ntwo\rtHree\u2028four\nfive\u2029six\r\n");
    QTest::newRow("mixed, letter retyped as it was") << "code" << mixed << "f"
                                                     << "f" << mixed;
    QTest::newRow("mixed, not edited") << "code" << mixed << ""
                                       << "" << mixed;
    QTest::newRow("mixed, a line taken out")
            << "code" << mixed << QString::fromUtf8("three\u2028") << ""
            << QString::fromUtf8("one\r\ntwo\rfour\nfive\u2029six\r\n");
    QTest::newRow("CRLF, a line added takes CRLF") << "code"
                                                   << "a\r\nb\nc\r\n"
                                                   << "b"
                                                   << "b\nnew"
                                                   << "a\r\nb\nnew\r\nc\r\n";
    QTest::newRow("notes, CRLF and CR, one letter") << "notes"
                                                    << "see\r\nalso\rthis"
                                                    << "also"
                                                    << "alsO"
                                                    << "see\r\nalsO\rthis";
}

// A snippet whose line ends are of several kinds, edited in one place and saved, is stored
// changed in that place alone: every other line keeps its own line end.
void TestSnippets::editKeepsLineEnds()
{
    QFETCH(QString, field);
    QFETCH(QString, stored);
    QFETCH(QString, find);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Fixture f;
    f.setUp();
    const bool code = field == "code";
    f.exec("insert into source (title, codetype, websitename, code, notes, [datetime]) "
           "values ('ends', 'C', '', ?, ?, '2026-01-02 03:04:05')",
           {code ? stored : QString("x\r\n"), code ? QString("x\r\n") : stored});
    auto window = openNotebook();
    TextBox *box = code ? window->rtbCodeWindow : window->rtbNotes;
    QCOMPARE(box->text(), stored);
    if (!find.isEmpty()) {
        QTextCursor cursor = box->document()->find(find);
        QVERIFY2(!cursor.isNull(), qPrintable(find));
        cursor.insertText(typed);
    }
    window->toolBar->click("kSave");
    VERIFY_CLEAN(f);
    QCOMPARE(f.column("select " + field + " from source"), QStringList{saved});
    QCOMPARE(f.column("select " + QString(code ? "notes" : "code") + " from source"),
             QStringList{"x\r\n"});
}

void TestSnippets::lineEndsFollowTheirLines_data()
{
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("edited"); // as a text box gives it back: U+2029 between lines
    QTest::addColumn<QString>("kept");
    QTest::newRow("a line added above, one changed below")
            << "a\r\nb\rc\nd" << QString::fromUtf8("new\u2029a\u2029b\u2029c\u2029D")
            << "new\r\na\r\nb\rc\nD";
    QTest::newRow("lines swapped") << "a\rb\nc\r\n"
                                   << QString::fromUtf8("b\u2029a\u2029c\u2029") << "b\na\rc\r\n";
    QTest::newRow("all taken out") << "a\r\nb"
                                   << ""
                                   << "";
    QTest::newRow("a line end added after the last line")
            << "a\rb\rc" << QString::fromUtf8("a\u2029b\u2029c\u2029") << "a\rb\rc\r";
}

// Matched by their text, lines keep their own ends wherever the edit moved them.
void TestSnippets::lineEndsFollowTheirLines()
{
    QFETCH(QString, original);
    QFETCH(QString, edited);
    QFETCH(QString, kept);
    QCOMPARE(KeepLineEnds(original, edited), kept);
}

void TestSnippets::validation_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    const QString noTitle = "Please enter in a Title for the sourcecode snippet.";
    const QString noCode = "You must enter in some Sourcecode to save a sourcecode snippet.";
    QTest::newRow("no title") << ""
                              << "x" << noTitle;
    QTest::newRow("blank title") << "   "
                                 << "x" << noTitle;
    QTest::newRow("no title, no code, title first") << ""
                                                    << "" << noTitle;
    QTest::newRow("no code") << "t"
                             << "" << noCode;
    QTest::newRow("white space only") << "t"
                                      << " \n\t " << noCode;
}

void TestSnippets::validation()
{
    QFETCH(QString, title);
    QFETCH(QString, code);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    fill(*window, title, code, "notes");
    f.ui.answer(vbOK);
    window->mnuSave->trigger();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.ui.messages[0].title, kNotebook);
    QCOMPARE(f.ui.messages[0].style, int(vbOKOnly));
    QCOMPARE(f.column("select count(*) from source"), QStringList{"0"});
    QCOMPARE(window->txtTitle->text(), title);
    QCOMPARE(window->rtbNotes->text(), QStringLiteral("notes"));
}

void TestSnippets::filters_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("everything") << "All Groups"
                                << "All Sites" << QStringList{"loop", "Map", "array", "quoted"};
    QTest::newRow("one group") << "C"
                               << "All Sites" << QStringList{"loop", "array"};
    QTest::newRow("group and site") << "C"
                                    << "Alpha" << QStringList{"array"};
    QTest::newRow("one site") << "All Groups"
                              << "Beta" << QStringList{"loop", "quoted"};
    QTest::newRow("group with a quote") << "O'Neil"
                                        << "All Sites" << QStringList{"quoted"};
    QTest::newRow("nothing matches") << "Java"
                                     << "Alpha" << QStringList{};
}

void TestSnippets::filters()
{
    QFETCH(QString, group);
    QFETCH(QString, site);
    QFETCH(QStringList, titles);
    Fixture f;
    f.setUp();
    f.exec("insert into CodeTypes (CodeType) values ('O''Neil')");
    addFour(f);
    addSnippet(f, "no site", "Shell", "");
    auto window = openNotebook();
    // Groups in the order they were added, the pseudo-group left out; sites that snippets name.
    QCOMPARE(entries(window->cmbFilter).mid(0, 3), QStringList({"All Groups", "C", "C++"}));
    QCOMPARE(entries(window->cmbFilter).last(), QStringLiteral("O'Neil"));
    QCOMPARE(entries(window->cmbType), entries(window->cmbFilter).mid(1));
    QCOMPARE(entries(window->cboSiteList), QStringList({"All Sites", "Beta", "Alpha"}));
    choose(window->cmbFilter, group);
    choose(window->cboSiteList, site);
    if (group == "All Groups" && site == "All Sites")
        titles << "no site";
    QCOMPARE(column(window->lstTitles), titles);
    // The first listed snippet is shown, or the fields are empty when none is listed.
    QCOMPARE(window->txtTitle->text(), titles.value(0));
    QCOMPARE(window->NewSnippet, titles.isEmpty());
}

void TestSnippets::saveTwiceAfterClearAll_data()
{
    QTest::addColumn<bool>("clearAgain");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("cleared again: two new snippets") << true << QStringList{"old", "one", "two"};
    QTest::newRow("not cleared: the first listed is changed") << false << QStringList{"two", "one"};
}

void TestSnippets::saveTwiceAfterClearAll()
{
    QFETCH(bool, clearAgain);
    QFETCH(QStringList, stored);
    Fixture f;
    f.setUp();
    addSnippet(f, "old", "C", "");
    auto window = openNotebook();
    QCOMPARE(window->txtTitle->text(), QStringLiteral("old"));
    window->cmdRest->click();
    QVERIFY(window->NewSnippet);
    QVERIFY(window->txtTitle->text().isEmpty() && window->rtbCodeWindow->text().isEmpty());
    fill(*window, "one", "1");
    window->mnuSave->trigger();
    if (clearAgain)
        window->cmdRest->click();
    fill(*window, "two", "2");
    window->mnuSave->trigger();
    VERIFY_CLEAN(f);
    QCOMPARE(f.column("select title from source order by id"), stored);
}

void TestSnippets::updateIsAllOrNothing_data()
{
    // meanwhile: what happens to the table between showing the snippet and saving it.
    QTest::addColumn<QStringList>("meanwhile");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("a column refused")
            << RefusingTrigger("update of notes", "source", "notes are read-only")
            << "Error: notes are read-only" << QStringList{"kept|old code|2026-01-02 03:04:05"};
    QTest::newRow("removed at another desk")
            << QStringList{"DELETE FROM source"} << "Error: " + db::kRemovedAtAnotherDesk
            << QStringList{};
}

// A change that fails part way, or finds the snippet gone, leaves the table as it was.
void TestSnippets::updateIsAllOrNothing()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);
    Fixture f;
    f.setUp();
    addSnippet(f, "kept", "C", "Beta", "old code");
    auto window = openNotebook();
    f.exec(meanwhile);
    fill(*window, "changed", "new code", "new notes");
    f.ui.answer(vbOK);
    window->mnuSave->trigger();
    QCOMPARE(f.ui.texts(), QStringList{message});
    QCOMPARE(f.column("select title || '|' || code || '|' || [datetime] from source"), stored);
    // The fields keep what was typed, to be saved again.
    QCOMPARE(window->txtTitle->text(), QStringLiteral("changed"));
}

void TestSnippets::pickedTitleIsShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("stored"); // after the shown title is changed and saved
    QTest::newRow("arrow key") << "key" << QStringList{"loop", "changed", "array", "quoted"};
    QTest::newRow("click") << "click" << QStringList{"loop", "Map", "changed", "quoted"};
    QTest::newRow("click after Clear All")
            << "clear" << QStringList{"changed", "Map", "array", "quoted"};
}

// Whichever way a title is picked, the fields show it, and saving changes that one snippet.
void TestSnippets::pickedTitleIsShown()
{
    QFETCH(QString, how);
    QFETCH(QStringList, stored);
    Fixture f;
    f.setUp();
    addFour(f);
    frmSnippet window;
    window.show();
    QTreeWidget *list = window.lstTitles;
    const auto click = [list](int row) {
        const QRect place = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    };
    if (how == "key") {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
    } else if (how == "click") {
        click(2);
    } else {
        window.cmdRest->click();
        click(0);
    }
    const QString shown = list->currentItem()->text(0);
    QCOMPARE(window.txtTitle->text(), shown);
    QVERIFY(!window.NewSnippet);
    window.txtTitle->setText("changed");
    window.mnuSave->trigger();
    VERIFY_CLEAN(f);
    QCOMPARE(f.column("select title from source order by id"), stored);
}

void TestSnippets::sortByHeader_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("unsorted: as stored")
            << QList<int>{} << QStringList{"loop", "Map", "array", "quoted"};
    QTest::newRow("title once: ascending, case ignored")
            << QList<int>{0} << QStringList{"array", "loop", "Map", "quoted"};
    QTest::newRow("title twice: descending")
            << QList<int>{0, 0} << QStringList{"quoted", "Map", "loop", "array"};
    QTest::newRow("title thrice: ascending again")
            << QList<int>{0, 0, 0} << QStringList{"array", "loop", "Map", "quoted"};
    QTest::newRow("another column: ascending by it")
            << QList<int>{0, 0, 1} << QStringList{"loop", "array", "quoted", "Map"};
    QTest::newRow("site: ascending by it")
            << QList<int>{2} << QStringList{"Map", "array", "loop", "quoted"};
}

void TestSnippets::sortByHeader()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, titles);
    Fixture f;
    f.setUp();
    addFour(f);
    frmSnippet window;
    window.show();
    QHeaderView *header = window.lstTitles->header();
    for (int section : clicks)
        QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    QCOMPARE(column(window.lstTitles), titles);
    // Filled again, the list keeps its order, and the first listed snippet is the one shown.
    window.toolBar->click("kRefresh");
    QCOMPARE(column(window.lstTitles), titles);
    QCOMPARE(window.txtTitle->text(), titles.first());
}

void TestSnippets::find_data()
{
    QTest::addColumn<QString>("group"); // filter before the search
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown"); // title shown afterwards; empty: "Not Found"
    QTest::addColumn<int>("listed");
    QTest::newRow("found") << "All Groups"
                           << "rra"
                           << "array" << 8;
    QTest::newRow("case ignored") << "All Groups"
                                  << "MAP"
                                  << "Map" << 8;
    QTest::newRow("single quote") << "All Groups"
                                  << "it's"
                                  << "it's 100%" << 8;
    // Unlike a wild card, which would find "1000 rows" and "axb" first.
    QTest::newRow("percent is a letter") << "All Groups"
                                         << "100%"
                                         << "it's 100%" << 8;
    QTest::newRow("underscore is a letter") << "All Groups"
                                            << "a_b"
                                            << "a_b" << 8;
    QTest::newRow("not found") << "All Groups"
                               << "zzz"
                               << "" << 8;
    QTest::newRow("quote not found") << "All Groups"
                                     << "'; drop table source; --"
                                     << "" << 8;
    // A title the filters hide: the filters open up, so the list shows what the fields show.
    QTest::newRow("hidden by the filter") << "Python"
                                          << "loop"
                                          << "loop" << 8;
    QTest::newRow("a listed match first") << "SQL"
                                          << "a"
                                          << "axb" << 4;
}

void TestSnippets::find()
{
    QFETCH(QString, group);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, listed);
    Fixture f;
    f.setUp();
    addFour(f);
    for (const char *title : {"1000 rows", "axb", "it's 100%", "a_b"})
        addSnippet(f, title, "SQL", "");
    auto window = openNotebook();
    choose(window->cmbFilter, group);
    f.ui.input(text);
    if (shown.isEmpty())
        f.ui.answer(vbOK);
    window->toolBar->click("kFind");
    QCOMPARE(f.ui.prompts, QStringList{"Find What?"});
    if (shown.isEmpty()) {
        QCOMPARE(f.ui.texts(), QStringList{"Not Found"});
        QCOMPARE(f.ui.messages[0].title, QStringLiteral("Find"));
        QCOMPARE(f.column("select count(*) from source"), QStringList{"8"});
        return;
    }
    VERIFY_CLEAN(f);
    QCOMPARE(window->lstTitles->topLevelItemCount(), listed);
    QCOMPARE(window->lstTitles->currentItem()->text(0), shown);
    QVERIFY(window->lstTitles->currentItem()->isSelected());
    QCOMPARE(window->txtTitle->text(), shown);
    QVERIFY(!window->NewSnippet);
}

void TestSnippets::deleteAsksFirst_data()
{
    QTest::addColumn<QString>("selected"); // empty: after "Clear All" with nothing picked
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("Yes") << "Map" << int(vbYes) << QStringList{"loop", "array", "quoted"};
    QTest::newRow("No") << "Map" << int(vbNo) << QStringList{"loop", "Map", "array", "quoted"};
    QTest::newRow("after Clear All, the picked title")
            << "array" << int(vbYes) << QStringList{"loop", "Map", "quoted"};
    QTest::newRow("nothing listed") << "" << int(vbOK) << QStringList{};
}

void TestSnippets::deleteAsksFirst()
{
    QFETCH(QString, selected);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    Fixture f;
    f.setUp();
    if (selected.isEmpty()) {
        auto window = openNotebook();
        f.ui.answer(vbOK);
        window->toolBar->click("kDelete");
        QCOMPARE(f.ui.texts(), QStringList{"Error: No snippet is selected."});
        return;
    }
    addFour(f);
    auto window = openNotebook();
    QTreeWidgetItem *row = window->lstTitles->findItems(selected, Qt::MatchExactly).first();
    window->lstTitles->setCurrentItem(row);
    if (QString(QTest::currentDataTag()).startsWith("after"))
        window->cmdRest->click();
    f.ui.answer(answer);
    window->toolBar->click("kDelete");
    QCOMPARE(f.ui.texts(), QStringList{"Delete Record?"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Delete Confirmation"));
    QCOMPARE(f.ui.messages[0].style, kQuestion);
    QCOMPARE(f.column("select title from source order by id"), left);
    QCOMPARE(column(window->lstTitles), left);
    if (answer == vbYes) {
        QCOMPARE(window->txtTitle->text(), left.first());
        QVERIFY(!window->NewSnippet);
    }
}

void TestSnippets::dropOntoFields_data()
{
    QTest::addColumn<bool>("onNotes");
    QTest::addColumn<QString>("kind"); // text, or the file's bytes: utf8, utf16, binary, large
    QTest::addColumn<QString>("expected"); // the field's text afterwards
    QTest::addColumn<QString>("message");
    const QString code = QString::fromUtf8("int main()\r\n{\r\n\treturn 0;  // ✓\r\n}\r\n");
    QTest::newRow("text onto code") << false << "text"
                                    << "dropped\ttext  "
                                    << "";
    QTest::newRow("text onto notes") << true << "text"
                                     << "dropped\ttext  "
                                     << "";
    QTest::newRow("UTF-8 file onto code") << false << "utf8" << code << "";
    QTest::newRow("UTF-16 file onto notes") << true << "utf16" << code << "";
    QTest::newRow("Latin-1 file") << false << "latin1" << QString::fromUtf8("café\n") << "";
    QTest::newRow("binary file refused")
            << false << "binary"
            << "before"
            << "The file dropped.bin is not a text file and was not loaded.";
    QTest::newRow("large file refused")
            << true << "large"
            << "before"
            << "The file dropped.bin is larger than 4 MB and was not loaded.";
    QTest::newRow("folder refused") << false << "folder"
                                    << "before"
                                    << "The file folder is not a text file and was not loaded.";
}

void TestSnippets::dropOntoFields()
{
    QFETCH(bool, onNotes);
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    TextBox *box = onNotes ? window->rtbNotes : window->rtbCodeWindow;
    TextBox *other = onNotes ? window->rtbCodeWindow : window->rtbNotes;
    box->setText("before");
    other->setText("other");
    auto *data = new QMimeData;
    const QString path = f.dir() + "/dropped.bin";
    const QString code = QString::fromUtf8("int main()\r\n{\r\n\treturn 0;  // ✓\r\n}\r\n");
    if (kind == "text") {
        data->setText("dropped\ttext  ");
    } else if (kind == "folder") {
        QDir(f.dir()).mkdir("folder");
        data->setUrls({QUrl::fromLocalFile(f.dir() + "/folder")});
    } else {
        QByteArray bytes;
        if (kind == "utf8")
            bytes = code.toUtf8();
        else if (kind == "utf16")
            bytes = QByteArray("\xff\xfe", 2)
                    + QByteArray(reinterpret_cast<const char *>(code.utf16()), code.size() * 2);
        else if (kind == "latin1")
            bytes = "caf\xe9\n";
        else if (kind == "binary")
            bytes = QByteArray("\x7f"
                               "ELF\x02\x01\x01\0\0\0",
                               10);
        else
            bytes = QByteArray(4 * 1024 * 1024 + 1, 'a');
        QVERIFY(WriteFile(path, bytes));
        data->setUrls({QUrl::fromLocalFile(path)});
        data->setText(QUrl::fromLocalFile(path).toString());
    }
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    drop(box, data);
    QCOMPARE(box->text(), expected);
    QCOMPARE(other->text(), QStringLiteral("other"));
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.messages[0].title, kNotebook);
        QCOMPARE(f.ui.messages[0].style, int(vbExclamation));
    }
    delete data;
}

void TestSnippets::clipboard_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("clipboard"); // afterwards
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("notes");
    const QString code = "\tcode  \n";
    QTest::newRow("copy from source") << "kCopy" << code << code << "notes";
    QTest::newRow("copy from notes") << "kCopyNotes"
                                     << "notes" << code << "notes";
    QTest::newRow("paste to source") << "kPaste"
                                     << "on the\tboard "
                                     << "on the\tboard "
                                     << "notes";
    QTest::newRow("paste to notes") << "kPasteNotes"
                                    << "on the\tboard " << code << "on the\tboard ";
}

void TestSnippets::clipboard()
{
    QFETCH(QString, key);
    QFETCH(QString, clipboard);
    QFETCH(QString, code);
    QFETCH(QString, notes);
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    fill(*window, "t", "\tcode  \n", "notes");
    QGuiApplication::clipboard()->setText("on the\tboard ");
    window->toolBar->click(key);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    QCOMPARE(window->rtbCodeWindow->text(), code);
    QCOMPARE(window->rtbNotes->text(), notes);
}

void TestSnippets::printSource_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("previewed");
    const QString question = "Print Current Source?";
    QTest::newRow("printed") << "x :=\t'1';  \n" << int(vbYes) << QStringList{question} << true;
    QTest::newRow("answered No") << "x" << int(vbNo) << QStringList{question} << false;
    QTest::newRow("nothing to print")
            << "" << int(vbYes) << QStringList{question, "There is nothing to print!"} << false;
}

void TestSnippets::printSource()
{
    QFETCH(QString, code);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(bool, previewed);
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    fill(*window, "a/b: c", code);
    f.ui.answer(answer);
    if (messages.size() > 1)
        f.ui.answer(vbOK);
    QString printed;
    int pages = 0;
    const QString pdf = f.dir() + "/source.pdf";
    f.ui.onModal(kSourcePreview, [&](QWidget *preview) {
        printed = preview->findChild<QTextDocument *>(kSourceDocument)->toPlainText();
        f.ui.saveAs(pdf);
        preview->findChild<QAction *>("kSavePdf")->trigger();
        auto *pagesShown = preview->findChild<QPrintPreviewWidget *>();
        pagesShown->updatePreview();
        pages = pagesShown->pageCount();
        return 0;
    });
    window->toolBar->click("kPrint");
    QCOMPARE(f.ui.texts(), messages);
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Print Confirmation"));
    QCOMPARE(f.ui.messages[0].style, kQuestion);
    if (messages.size() > 1)
        QCOMPARE(f.ui.messages[1].title, QStringLiteral("Print"));
    QCOMPARE(f.ui.modals, previewed ? QStringList{kSourcePreview} : QStringList{});
    if (!previewed)
        return;
    QCOMPARE(f.ui.owners, QStringList{"frmSnippet"});
    QCOMPARE(printed, code);
    QCOMPARE(pages, 1);
    QVERIFY(ReadFile(pdf).startsWith("%PDF"));
}

void TestSnippets::windowsFromTheMenus()
{
    Fixture f;
    f.setUp();
    auto window = openNotebook();
    // A group added in the groups window is offered as soon as it closes.
    f.ui.onModal("frmGroups", [&f](QWidget *) {
        f.exec("insert into CodeTypes (CodeType) values ('Rust')");
        return 0;
    });
    f.ui.onModal("frmHelpSnip");
    window->mnuAdd->trigger();
    window->mnuHelp->trigger();
    window->toolBar->click("kHelp");
    QCOMPARE(f.ui.modals, QStringList({"frmGroups", "frmHelpSnip", "frmHelpSnip"}));
    QCOMPARE(f.ui.owners, QStringList({"frmSnippet", "frmSnippet", "frmSnippet"}));
    QCOMPARE(entries(window->cmbType).last(), QStringLiteral("Rust"));
    QCOMPARE(entries(window->cmbFilter).last(), QStringLiteral("Rust"));
}

void TestSnippets::webNameFillsAddress()
{
    Fixture f;
    f.setUp();
    f.exec("insert into webname (webname, webaddress) values ('Beta', 'https://old.example')");
    f.exec("insert into webname (webname, webaddress) values ('Beta', 'https://beta.example')");
    f.exec("insert into webname (webname, webaddress) values ('Alpha', 'https://alpha.example')");
    auto window = openNotebook();
    // Distinct names and addresses, each in order.
    QCOMPARE(entries(window->cboWebName), QStringList({"", "Alpha", "Beta"}));
    QCOMPARE(entries(window->cboWebAddr),
             QStringList(
                     {"", "https://alpha.example", "https://beta.example", "https://old.example"}));
    choose(window->cboWebName, "Alpha");
    QCOMPARE(window->cboWebAddr->currentText(), QStringLiteral("https://alpha.example"));
    // The last address of a site listed twice stands; an unknown site leaves it empty.
    choose(window->cboWebName, "Beta");
    QCOMPARE(window->cboWebAddr->currentText(), QStringLiteral("https://beta.example"));
    window->cboWebName->setEditText("Gamma");
    emit window->cboWebName->activated(-1);
    QCOMPARE(window->cboWebAddr->currentText(), QString());
}

void TestSnippets::keepsItsMinimumSize()
{
    Fixture f;
    f.setUp();
    frmSnippet window;
    window.show();
    window.resize(200, 150);
    QCOMPARE(window.width(), window.logicalDpiY() * 11000 / 1440);
    QCOMPARE(window.height(), window.logicalDpiY() * 8400 / 1440);
}

REGISTER_TEST(TestSnippets)
#include "tst_snippets.moc"
