#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/ui/ToolBar.h"
#include "websites/LinkCheck.h"
#include "websites/frmGetWebs.h"
#include "websites/frmWebInfo.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

// The directory's columns in the order the window's fields hold them.
const QStringList kColumns = {"webid",  "webname",        "webaddress", "companyname", "address",
                              "city",   "state",          "zip",        "country",     "phonenum",
                              "faxnum", "pointofcontact", "email",      "notes"};

QList<QWidget *> fields(frmWebInfo &window)
{
    return {window.txtWebID,   window.txtWebName,  window.txtWebAddress, window.txtCompany,
            window.txtAddress, window.txtCity,     window.txtState,      window.txtZip,
            window.txtCountry, window.txtPhoneNum, window.txtFaxNum,     window.txtPointofContact,
            window.txtEmail,   window.txtNotes};
}

QStringList texts(frmWebInfo &window)
{
    QStringList result;
    for (QWidget *field : fields(window)) {
        if (auto *line = qobject_cast<QLineEdit *>(field))
            result << line->text();
        else
            result << static_cast<QPlainTextEdit *>(field)->toPlainText();
    }
    return result;
}

// Puts values into the fields from the first on; missing values leave a field as it is.
void type(frmWebInfo &window, const QStringList &values)
{
    const QList<QWidget *> all = fields(window);
    for (int i = 0; i < values.size() && i < all.size(); ++i) {
        if (auto *line = qobject_cast<QLineEdit *>(all[i]))
            line->setText(values[i]);
        else
            static_cast<QPlainTextEdit *>(all[i])->setPlainText(values[i]);
    }
}

void addSite(Fixture &f, const QString &name, const QString &address = {})
{
    f.exec("insert into webname (webname, webaddress) values (?, ?)", {name, address});
}

// Every column of one row, null as "<null>".
QStringList row(Fixture &f, const QString &webid)
{
    QStringList values;
    for (const QString &column : kColumns)
        values << f.column(QString("select coalesce(CStr(%1), '<null>') from webname where webid = "
                                   "?")
                                   .arg(column),
                           {webid})
                          .value(0);
    return values;
}

QStringList names(Fixture &f)
{
    return f.column("select webname from webname order by webid");
}

// Selects the picker's row whose first column reads name and presses Finish; an empty name
// leaves the picker with no row selected.
int pick(QWidget *window, const QString &name)
{
    auto *picker = static_cast<frmGetWebs *>(window);
    picker->ensureLoaded();
    picker->lstParms->clearSelection();
    if (!name.isEmpty()) {
        const QList<QTreeWidgetItem *> found = picker->lstParms->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return -1;
        picker->lstParms->setCurrentItem(found.first());
    }
    picker->tbrMain2->click("kFinish2");
    return picker->result();
}

QStringList listed(QTreeWidget *list, int column)
{
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result << list->topLevelItem(i)->text(column);
    return result;
}

} // namespace

class TestWebInfo : public QObject
{
    Q_OBJECT
private slots:
    void save_data();
    void save();
    void everyFieldSavedAndChosenAgain();
    void choose_data();
    void choose();
    void pickerSortsByTheClickedColumn();
    void remove_data();
    void remove();
    void visitAndWrite_data();
    void visitAndWrite();
    void print_data();
    void print();
    void failuresKeepWhatWasTyped_data();
    void failuresKeepWhatWasTyped();
    void helpCancelAndExit();
};

void TestWebInfo::save_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after"); // names by webid
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("logged");
    const QString added = "Record Added to Database!";
    const QString updated = "Record Updated in Database!";
    QTest::newRow("first site into an empty directory")
            << QStringList{} << ""
            << "Alpha" << QStringList{"Alpha"} << "" << added;
    QTest::newRow("empty ID adds though the name exists")
            << QStringList{"Alpha"} << ""
            << "Alpha" << QStringList{"Alpha", "Alpha"} << "" << added;
    QTest::newRow("chosen site updated")
            << QStringList{"Alpha", "Beta"} << "2"
            << "Gamma" << QStringList{"Alpha", "Gamma"} << "" << updated;
    QTest::newRow("ID with blanks around")
            << QStringList{"Alpha", "Beta"} << " 1 "
            << "First" << QStringList{"First", "Beta"} << "" << updated;
    QTest::newRow("ID of no row adds") << QStringList{"Alpha"} << "9"
                                       << "Beta" << QStringList{"Alpha", "Beta"} << "" << added;
    QTest::newRow("quotes and percent stored as typed")
            << QStringList{"Alpha"} << "1"
            << "O'Brien's 100%" << QStringList{"O'Brien's 100%"} << "" << updated;
    QTest::newRow("empty name does nothing") << QStringList{"Alpha"} << "1"
                                             << "" << QStringList{"Alpha"} << ""
                                             << "";
    QTest::newRow("blank name refused")
            << QStringList{"Alpha"} << "1"
            << "   " << QStringList{"Alpha"} << "Please enter information!"
            << "";
}

void TestWebInfo::save()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(QStringList, after);
    QFETCH(QString, message);
    QFETCH(QString, logged);
    Fixture f;
    f.setUp();
    for (const QString &site : existing)
        addSite(f, site);
    frmWebInfo window;
    window.Form_Load();
    type(window, {id, name, "https://example.org"});
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    window.Toolbar1->click("kUpdate");
    QCOMPARE(names(f), after);
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.messages[0].title, QStringLiteral("Error!"));
        QCOMPARE(f.ui.messages[0].style, int(vbCritical));
    }
    if (logged.isEmpty()) {
        QVERIFY(!f.logText().contains("Record"));
        // Nothing saved: what was typed stays to be mended.
        QCOMPARE(window.txtWebName->text(), name);
    } else {
        QVERIFY(f.logText().contains(logged));
        QVERIFY(!f.logText().contains("Error1"));
        QVERIFY(texts(window).join("").isEmpty());
    }
    VERIFY_CLEAN(f);
}

// Each field reaches its own column untrimmed, and choosing the site brings every one back.
void TestWebInfo::everyFieldSavedAndChosenAgain()
{
    Fixture f;
    f.setUp();
    addSite(f, "Other");
    frmWebInfo window;
    window.Form_Load();
    const QStringList typed = {"",
                               " Harbour ",
                               "https://harbour.example",
                               "Harbour Ltd",
                               "1 Quay",
                               "Leith",
                               "Lothian",
                               "EH6 6QQ",
                               "Scotland",
                               "+44 1",
                               "+44 2",
                               "Ann O'Hara",
                               "ann@harbour.example",
                               "line one\nline two"};
    type(window, typed);
    window.Toolbar1->click("kUpdate");
    QStringList stored = typed;
    stored[0] = "2";
    QCOMPARE(row(f, "2"), stored);

    f.ui.onModal("frmGetWebs", [](QWidget *picker) { return pick(picker, "Harbour"); });
    window.cmdShow->click();
    QCOMPARE(SelectedWebId, qint64(2));
    QCOMPARE(texts(window), stored);

    // Changed and saved again: the same row, updated.
    window.txtCity->setText("Edinburgh");
    window.Toolbar1->click("kUpdate");
    stored[5] = "Edinburgh";
    QCOMPARE(row(f, "2"), stored);
    QCOMPARE(names(f), QStringList({"Other", " Harbour "}));
    QVERIFY(texts(window).join("").isEmpty());
    VERIFY_CLEAN(f);
}

void TestWebInfo::choose_data()
{
    QTest::addColumn<QString>("picked"); // empty: Finish with no row selected
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("shown"); // ID, name, address afterwards
    const QStringList before = {"7", "Typed", "https://typed.example"};
    QTest::newRow("a site") << "Beta" << false << QStringList{"2", "Beta", "https://beta.example"};
    QTest::newRow("site with empty columns") << "Gamma" << false << QStringList{"3", "Gamma", ""};
    QTest::newRow("Finish with nothing selected") << "" << false << before;
    QTest::newRow("Cancel") << "Beta" << true << before;
}

void TestWebInfo::choose()
{
    QFETCH(QString, picked);
    QFETCH(bool, cancel);
    QFETCH(QStringList, shown);
    Fixture f;
    f.setUp();
    addSite(f, "  Alpha  ", "https://alpha.example");
    addSite(f, "Beta", "https://beta.example");
    f.exec("insert into webname (webname) values ('Gamma')");
    frmWebInfo window;
    window.Form_Load();
    type(window, {"7", "Typed", "https://typed.example", "Typed Ltd"});
    SelectedWebId = 5;
    QStringList names;
    qint64 idWhileOpen = -1;
    f.ui.onModal("frmGetWebs", [&](QWidget *opened) {
        auto *picker = static_cast<frmGetWebs *>(opened);
        picker->ensureLoaded();
        idWhileOpen = SelectedWebId;
        names = listed(picker->lstParms, 0);
        if (cancel) {
            picker->tbrMain2->click("kCancel2");
            return picker->result();
        }
        return pick(opened, picked);
    });
    window.cmdShow->click();

    QCOMPARE(f.ui.modals, QStringList{"frmGetWebs"});
    QCOMPARE(f.ui.owners, QStringList{"frmWebInfo"});
    QCOMPARE(idWhileOpen, 0);
    // By name, trimmed for the list.
    QCOMPARE(names, QStringList({"Alpha", "Beta", "Gamma"}));
    QCOMPARE(texts(window).mid(0, 3), shown);
    const bool chosen = shown.value(1) != "Typed";
    QCOMPARE(WebPicked, chosen);
    // A chosen site replaces every field, empty columns included.
    QCOMPARE(window.txtCompany->text(), chosen ? QString() : QStringLiteral("Typed Ltd"));
    VERIFY_CLEAN(f);
}

void TestWebInfo::pickerSortsByTheClickedColumn()
{
    Fixture f;
    f.setUp();
    for (const char *site : {"Kilo", "Alpha", "Juliet", "Echo", "Bravo", "India", "Golf", "Hotel",
                             "Delta", "Charlie", "Foxtrot"})
        addSite(f, site, QString("https://%1.example").arg(site).toLower());
    frmGetWebs picker;
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QCOMPARE(listed(picker.lstParms, 0).first(), QStringLiteral("Alpha"));
    QHeaderView *header = picker.lstParms->header();
    const auto clickHeader = [&](int column) {
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    // Numbers sort as the text they are listed as.
    clickHeader(2);
    QCOMPARE(listed(picker.lstParms, 2),
             QStringList({"1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9"}));
    clickHeader(1);
    QCOMPARE(listed(picker.lstParms, 1).first(), QStringLiteral("https://alpha.example"));
    QCOMPARE(listed(picker.lstParms, 1).last(), QStringLiteral("https://kilo.example"));

    f.ui.answer(vbOK);
    picker.tbrMain2->click("kHelp2");
    QCOMPARE(f.ui.texts(), QStringList{"Select the user you want to edit."});
    QCOMPARE(f.ui.messages[0].style, int(vbInformation));
    VERIFY_CLEAN(f);
}

void TestWebInfo::remove_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("chosen site") << QStringList{"Alpha", "Beta"} << "1"
                                 << "Alpha" << QStringList{"Beta"} << "";
    QTest::newRow("the name need not match") << QStringList{"Alpha", "Beta"} << " 2 "
                                             << "Renamed" << QStringList{"Alpha"} << "";
    QTest::newRow("empty ID") << QStringList{"Alpha"} << ""
                              << "Alpha" << QStringList{"Alpha"} << "";
    QTest::newRow("empty name") << QStringList{"Alpha"} << "1"
                                << "" << QStringList{"Alpha"} << "";
    QTest::newRow("no such site") << QStringList{"Alpha"} << "5"
                                  << "Alpha" << QStringList{"Alpha"} << "Record not found!";
    QTest::newRow("empty directory") << QStringList{} << "1"
                                     << "Alpha" << QStringList{} << "error_run2";
}

void TestWebInfo::remove()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(QStringList, after);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    for (const QString &site : existing)
        addSite(f, site);
    frmWebInfo window;
    window.Form_Load();
    type(window, {id, name, "https://example.org"});
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    window.Toolbar1->click("kDelete");

    QCOMPARE(names(f), after);
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    const bool deleted = after.size() < existing.size();
    QCOMPARE(window.WebFound, deleted);
    QCOMPARE(texts(window).join("").isEmpty(), deleted);
    if (message == "Record not found!") {
        QCOMPARE(f.ui.messages[0].title, QStringLiteral("Error!"));
        QCOMPARE(f.ui.messages[0].style, int(vbCritical));
    }
    QCOMPARE(f.logText().contains("Error1"), message == "error_run2");
    VERIFY_CLEAN(f);
}

void TestWebInfo::visitAndWrite_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("launched"); // empty: refused, or nothing to do
    QTest::addColumn<QString>("message");
    const QString web = "cmdGoToWeb";
    const QString mail = "cmdSendEmail";
    const QString notWeb = "\"%1\" is not a web address, so it is not opened. Only addresses "
                           "beginning with http:// or https://, or a site name such as "
                           "www.example.org, are visited.";
    const QString notMail = "\"%1\" is not an e-mail address such as someone@example.org, so no "
                            "message is written to it.";
    QTest::newRow("https") << web << "https://example.org/a?b=c#d"
                           << "https://example.org/a?b=c#d"
                           << "";
    QTest::newRow("http, blanks around") << web << "  http://Example.org  "
                                         << "http://Example.org"
                                         << "";
    QTest::newRow("scheme in capitals") << web << "HTTPS://EXAMPLE.ORG"
                                        << "HTTPS://EXAMPLE.ORG"
                                        << "";
    QTest::newRow("bare site name") << web << "www.example.org"
                                    << "http://www.example.org"
                                    << "";
    QTest::newRow("bare name with port and path") << web << "example.org:8080/docs"
                                                  << "http://example.org:8080/docs"
                                                  << "";
    QTest::newRow("blanks only") << web << "   "
                                 << ""
                                 << "";
    for (const char *refused :
         {"file:///etc/passwd", "C:\\Windows\\system32\\cmd.exe", "/usr/bin/xterm",
          "\\\\server\\share\\run.bat", "javascript:alert(1)", "ftp://example.org", "http://",
          "mailto:ann@example.org", "notepad", "https://exa mple.org", "http:example.org"})
        QTest::addRow("web address %s", refused) << web << refused << "" << notWeb.arg(refused);
    QTest::newRow("e-mail") << mail << "ann@example.org"
                            << "mailto:ann@example.org"
                            << "";
    QTest::newRow("e-mail given as mailto") << mail << "mailto:ann@example.org"
                                            << "mailto:ann@example.org"
                                            << "";
    QTest::newRow("e-mail, letters beyond ASCII") << mail << " José.Núñez@correo.example "
                                                  << "mailto:José.Núñez@correo.example"
                                                  << "";
    QTest::newRow("e-mail blanks only") << mail << "  "
                                        << ""
                                        << "";
    for (const char *refused : {"ann@example.org?attach=/etc/passwd", "ann@example.org&cc=x@y.z",
                                "not an address", "ann@localhost", "@example.org",
                                "ann@example.org, bob@example.org", "file:///etc/passwd"})
        QTest::addRow("e-mail %s", refused) << mail << refused << "" << notMail.arg(refused);
}

// Only a web address or an e-mail address ever reaches the desktop.
void TestWebInfo::visitAndWrite()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(QString, launched);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    frmWebInfo window;
    window.Form_Load();
    (button == "cmdGoToWeb" ? window.txtWebAddress : window.txtEmail)->setText(typed);
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    window.findChild<QPushButton *>(button)->click();
    QCOMPARE(f.ui.launched, launched.isEmpty() ? QStringList{} : QStringList{launched});
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.messages[0].style, int(vbExclamation));
        QCOMPARE(f.ui.messages[0].title,
                 button == "cmdGoToWeb" ? QStringLiteral("Visit Web Site")
                                        : QStringLiteral("Send E-mail"));
    }
    VERIFY_CLEAN(f);
}

void TestWebInfo::print_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("reportTitle");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Yes, no report chosen") << int(vbYes) << ""
                                           << "Web Site List";
    QTest::newRow("Yes, under the chosen report's title") << int(vbYes) << "Web Sites"
                                                          << "Web Sites";
    QTest::newRow("No") << int(vbNo) << ""
                        << "";
}

// The whole directory in the order the sites were added, whichever site is shown.
void TestWebInfo::print()
{
    QFETCH(int, answer);
    QFETCH(QString, reportTitle);
    QFETCH(QString, caption);
    Fixture f;
    f.setUp();
    addSite(f, "Zulu", "https://zulu.example");
    f.exec("insert into webname (webname, webaddress, notes, companyname, pointofcontact, email) "
           "values ('Alpha', 'https://alpha.example', 'it''s, quoted', 'Alpha Ltd', 'Ann', "
           "'ann@alpha.example')");
    ReportTitle = reportTitle;
    frmWebInfo window;
    window.Form_Load();
    type(window, {"2", "Alpha"});
    const QString csv = f.dir() + "/sites.csv";
    QString shownCaption;
    f.ui.onModal("rptWebSiteList", [&](QWidget *preview) {
        shownCaption = preview->windowTitle();
        preview->findChild<QAction *>("kExportCsv")->trigger();
        return 0;
    });
    f.ui.answer(answer);
    if (answer == vbYes)
        f.ui.saveAs(csv);
    window.Toolbar1->click("kPrint");

    QCOMPARE(f.ui.texts(), QStringList{"Print Web Site Report?"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Print Confirmation"));
    QCOMPARE(f.ui.messages[0].style, vbYesNo + vbCritical);
    if (answer != vbYes) {
        QVERIFY(f.ui.modals.isEmpty());
        return;
    }
    QCOMPARE(f.ui.modals, QStringList{"rptWebSiteList"});
    QCOMPARE(f.ui.owners, QStringList{"frmWebInfo"});
    QCOMPARE(shownCaption, caption);
    QCOMPARE(QString::fromUtf8(ReadFile(csv)).split("\r\n", Qt::SkipEmptyParts),
             QStringList({"Web Site Name,Notes,Web Address,Company,Contact,Email",
                          "Zulu,,https://zulu.example,,,",
                          "Alpha,\"it's, quoted\",https://alpha.example,Alpha Ltd,Ann,"
                          "ann@alpha.example"}));
    VERIFY_CLEAN(f);
}

void TestWebInfo::failuresKeepWhatWasTyped_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("save") << "kUpdate";
    QTest::newRow("delete") << "kDelete";
    QTest::newRow("print") << "kPrint";
    QTest::newRow("choose") << "cmdShow";
    QTest::newRow("check all links") << "cmdCheckAll";
}

// With the database gone, each task says why and leaves the fields as they were.
void TestWebInfo::failuresKeepWhatWasTyped()
{
    QFETCH(QString, key);
    Fixture f;
    f.setUp();
    addSite(f, "Alpha");
    frmWebInfo window;
    window.Form_Load();
    type(window, {"1", "Alpha", "https://alpha.example"});
    ConnectString = db::ConnectStringFor(f.dir() + "/missing.mdb");
    if (key == "kPrint")
        f.ui.answer(vbYes);
    f.ui.answer(vbOK);
    if (key == "cmdShow") {
        f.ui.onModal("frmGetWebs", [](QWidget *picker) {
            static_cast<frmGetWebs *>(picker)->ensureLoaded();
            return 0;
        });
        window.cmdShow->click();
    } else if (key == "cmdCheckAll") {
        window.cmdCheckAll->click();
        QVERIFY(!window.LinkChecker->busy());
    } else {
        window.Toolbar1->click(key);
    }
    QVERIFY(f.ui.texts().last().startsWith("Error: "));
    QCOMPARE(f.ui.messages.last().style, int(vbOKOnly));
    QCOMPARE(texts(window).mid(0, 3), QStringList({"1", "Alpha", "https://alpha.example"}));
    QCOMPARE(names(f), QStringList{"Alpha"});
    VERIFY_CLEAN(f);
}

void TestWebInfo::helpCancelAndExit()
{
    Fixture f;
    f.setUp();
    frmWebInfo window;
    window.show();
    type(window,
         {"1", "Alpha", "https://alpha.example", "Alpha Ltd", "", "", "", "", "", "", "", "",
          "ann@alpha.example", "notes"});
    f.ui.answer(vbOK);
    window.Toolbar1->click("kHelp");
    QCOMPARE(f.ui.texts(), QStringList{"Enter Web Site Information."});
    QCOMPARE(f.ui.messages[0].style, int(vbInformation));
    window.Toolbar1->click("kCancel");
    QVERIFY(texts(window).join("").isEmpty());
    window.Toolbar1->click("kExit");
    QVERIFY(!window.isVisible());
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestWebInfo)
#include "tst_webinfo.moc"
