#include "Accessibility.h"
#include "Fixture.h"
#include "TestRegistry.h"
#include "app/CLog.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmLog.h"
#include "app/frmMenu.h"
#include "app/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modGlobals.h"
#include "platform/ui/WindowCatalogue.h"
#include "security/frmLogin.h"
#include "security/frmVerify.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The names of the section frames that show their buttons.
QStringList openSections(frmMenu &menu)
{
    QStringList open;
    for (QFrame *frame : {menu.Frame1, menu.Frame2, menu.Frame3, menu.Frame4}) {
        if (!frame->isHidden())
            open << frame->objectName();
    }
    return open;
}

} // namespace

class TestMenu : public QObject
{
    Q_OBJECT
private slots:
    void accessRule_data();
    void accessRule();
    void menuBarAsBuilt();
    void sectionsExpandOneAtATime();
    void exitQuestion_data();
    void exitQuestion();
    void closingTheMenuEndsTheSession();
    void logoutAndLoginAgain();
    void logoutCancelled();
    void viewAndClearLog();
    void aboutAndHelp();
    void splashClosesOnceOnKeyOrTimer();
    void helpWindowsPaintTheirLines();
    void windowsNameEveryField();
    void tasksOpenTheirWindows_data();
    void tasksOpenTheirWindows();
};

void TestMenu::accessRule_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("admin");
    QTest::newRow("Administrator") << "Administrator" << true;
    QTest::newRow("blanks around") << "  administrator  " << true;
    QTest::newRow("upper case") << "ADMINISTRATOR" << true;
    QTest::newRow("Admin") << "Admin" << false;
    QTest::newRow("User") << "User" << false;
    QTest::newRow("empty") << "" << false;
}

void TestMenu::accessRule()
{
    QFETCH(QString, group);
    QFETCH(bool, admin);
    Fixture f;
    f.setUp();
    CurrentGroup = group;
    frmMenu menu;
    menu.Form_Load();
    QCOMPARE(frmMenu::IsAdministrator(), admin);
    QCOMPARE(menu.mnuDatabase->isEnabled(), admin);
    QCOMPARE(menu.mnuAddEditUsers->isEnabled(), admin);
    if (admin) {
        f.ui.onModal("frmSetup");
        f.ui.onModal("frmUser");
    } else {
        f.ui.answer(vbOK);
        f.ui.answer(vbOK);
    }
    menu.cmdDatabase_Click();
    menu.cmdUsers_Click();
    if (admin) {
        QCOMPARE(f.ui.modals, QStringList({"frmSetup", "frmUser"}));
        QVERIFY(f.ui.messages.isEmpty());
    } else {
        QVERIFY(f.ui.modals.isEmpty());
        QCOMPARE(f.ui.texts(), QStringList(2, "You do not have access rights to this task."));
        QCOMPARE(f.ui.messages[0].style, int(vbExclamation));
        QCOMPARE(f.ui.messages[0].title, AppTitle());
    }
    VERIFY_CLEAN(f);
}

void TestMenu::menuBarAsBuilt()
{
    Fixture f;
    f.setUp();
    CurrentGroup = "administrator";
    frmMenu menu;
    menu.Form_Load();
    QCOMPARE(menu.windowTitle(), QStringLiteral("ZEP Main Menu"));
    QStringList captions;
    for (QAction *action : menu.mnuFile->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, QStringList({"&Change User Password", "-", "&User Login", "-", "E&xit"}));
    captions.clear();
    for (QAction *action : menu.mnuSetup->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, QStringList({"Log File", "-", "Add/&Edit Users", "-", "&Change Database"}));
    QCOMPARE(menu.mnuLogfile->actions(), QList<QAction *>({menu.mnuViewLog, menu.mnuClearLog}));
    // The buttons carry pictures and tool tips, no captions.
    QCOMPARE(menu.cmdSearch->toolTip(), QStringLiteral("Seacrh for File"));
    QVERIFY(menu.cmdSearch->text().isEmpty());
    QVERIFY(!menu.cmdSearch->icon().isNull());
    QCOMPARE(menu.lblCInfo->text(), QStringLiteral("Common Information"));
}

void TestMenu::sectionsExpandOneAtATime()
{
    Fixture f;
    f.setUp();
    frmMenu menu;
    menu.Form_Load();
    QVERIFY(!Relogin);
    QCOMPARE(openSections(menu), QStringList{"Frame1"});
    QVERIFY(!menu.sectionCollapsed(1));
    const int collapsedHeight = menu.Picture2->height();
    QVERIFY(menu.Picture1->height() > collapsedHeight);

    menu.Picture3_Click();
    QCOMPARE(openSections(menu), QStringList{"Frame3"});
    QVERIFY(menu.sectionCollapsed(1));
    QCOMPARE(menu.Picture1->height(), collapsedHeight);
    menu.Picture3_Click();
    QCOMPARE(openSections(menu), QStringList{"Frame3"});

    // A click on a title label, or Space on a focused header, works as a click on the header.
    menu.show();
    QTest::mouseClick(menu.lblSysMgr, Qt::LeftButton);
    QCOMPARE(openSections(menu), QStringList{"Frame4"});
    QTest::keyClick(menu.Picture2, Qt::Key_Space);
    QCOMPARE(openSections(menu), QStringList{"Frame2"});
    // The four headers fill the window's inner area.
    QCOMPARE(menu.Picture4->geometry().bottom() + 1, menu.centralWidget()->height());
}

void TestMenu::exitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("OK ends") << int(vbOK);
    QTest::newRow("Cancel stays") << int(vbCancel);
}

void TestMenu::exitQuestion()
{
    QFETCH(int, answer);
    Fixture f;
    f.setUp();
    frmMenu menu;
    menu.Form_Load();
    f.ui.answer(answer);
    menu.mnuExit->trigger();
    QCOMPARE(f.ui.texts(), QStringList{"This will end your current session."});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Session Exit"));
    QCOMPARE(f.ui.messages[0].style, 65);
    QCOMPARE(MsgAnswer, QString::number(answer));
    QCOMPARE(f.ui.endings, answer == vbOK ? 1 : 0);
    VERIFY_CLEAN(f);
}

void TestMenu::closingTheMenuEndsTheSession()
{
    Fixture f;
    f.setUp();
    ShowNewMainMenu(false);
    QPointer<frmMenu> menu = MainMenu();
    QVERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(f.ui.endings, 1);
    QVERIFY(f.ui.messages.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(menu.isNull());
    QVERIFY(!MainMenu());
}

void TestMenu::logoutAndLoginAgain()
{
    Fixture f;
    f.setUp("1");
    CurrentGroup = "Administrator";
    ShowNewMainMenu(false);
    QPointer<frmMenu> first = MainMenu();
    first->Form_Load();
    bool reloginDuringLogin = false;
    f.ui.onModal("frmLogin", [&](QWidget *window) {
        reloginDuringLogin = Relogin;
        auto *login = static_cast<frmLogin *>(window);
        login->txtUID->setText("admin");
        login->txtPWD->setText("rowan");
        login->cmdOK_Click();
        return login->result();
    });
    f.ui.onModal("frmMenu");
    f.ui.answer(vbOK);
    first->mnuLogin->trigger();
    QVERIFY(reloginDuringLogin);
    QVERIFY(!Relogin);
    QCOMPARE(f.ui.modals, QStringList({"frmLogin", "frmMenu"}));
    QVERIFY(MainMenu());
    QVERIFY(MainMenu() != first.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QCOMPARE(f.ui.endings, 0);
    VERIFY_CLEAN(f);
}

void TestMenu::logoutCancelled()
{
    Fixture f;
    f.setUp("1");
    ShowNewMainMenu(false);
    frmMenu *menu = MainMenu();
    f.ui.answer(vbCancel);
    menu->mnuLogin_Click();
    QCOMPARE(MainMenu(), menu);
    QVERIFY(menu->isVisible());
    QVERIFY(f.ui.modals.isEmpty());
    VERIFY_CLEAN(f);
}

void TestMenu::viewAndClearLog()
{
    Fixture f;
    f.setUp();
    Log().addEntry(LogInfo, QStringLiteral("something"));
    frmMenu menu;
    menu.Form_Load();
    int listed = -1;
    f.ui.onModal("frmLog", [&](QWidget *window) {
        listed = static_cast<frmLog *>(window)->lstLog->model()->rowCount();
        return 0;
    });
    menu.mnuViewLog->trigger();
    QCOMPARE(listed, 1);

    f.ui.answer(vbOK);
    menu.mnuClearLog->trigger();
    QCOMPARE(f.ui.texts(), QStringList{"Log File has been cleared."});
    QCOMPARE(f.ui.messages[0].style, int(vbInformation));
    QCOMPARE(QFile(f.logPath).size(), 0);

    // A log that cannot be emptied is not reported as cleared.
    f.setting("LOGFILE", "");
    f.ui.answer(vbOK);
    menu.mnuClearLog->trigger();
    QVERIFY(f.ui.texts().last().startsWith("Error: "));
    VERIFY_CLEAN(f);
}

void TestMenu::aboutAndHelp()
{
    Fixture f;
    f.setUp();
    frmMenu menu;
    menu.Form_Load();
    f.ui.answer(vbOK);
    menu.mnuAboutHelp->trigger();
    QCOMPARE(f.ui.texts(), QStringList{"Corvina."});
    QCOMPARE(f.ui.messages[0].style, int(vbInformation));

    QStringList shown;
    f.ui.onModal("frmAbout", [&](QWidget *window) {
        auto *about = static_cast<frmAbout *>(window);
        shown << about->windowTitle() << about->lblTitle->text() << about->lblVersion->text();
        about->lblWebPage_Click();
        about->lblWebAddr_Click();
        about->cmdOK->click();
        return about->result();
    });
    menu.mnuAbout->trigger();
    QCOMPARE(shown, QStringList({"About Corvina - Version 1.0", "Corvina", "Version 1.0.0"}));
    QCOMPARE(f.ui.launched.size(), 2);
    QVERIFY(f.ui.launched[0].startsWith("https://"));
    QVERIFY(f.ui.launched[1].startsWith("mailto:"));
    VERIFY_CLEAN(f);
}

void TestMenu::splashClosesOnceOnKeyOrTimer()
{
    Fixture f;
    frmSplash splash;
    int closings = 0;
    connect(&splash, &QDialog::finished, this, [&] { ++closings; });
    splash.show();
    QCOMPARE(splash.lblProductName->text(), QStringLiteral("Corvina"));
    QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(splash.Timer1->interval(), 1800);
    QVERIFY(splash.Timer1->isActive());
    QTest::keyClick(&splash, Qt::Key_A);
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.Timer1->isActive());
    QCOMPARE(closings, 1);

    frmSplash timed;
    connect(&timed, &QDialog::finished, this, [&] { ++closings; });
    timed.show();
    timed.Timer1->setInterval(10);
    timed.Timer1->start();
    QTRY_VERIFY(!timed.isVisible());
    QCOMPARE(closings, 2);
}

void TestMenu::helpWindowsPaintTheirLines()
{
    Fixture f;
    frmHelpAdd add;
    frmHelpShow show;
    frmHelpSnip snip;
    QCOMPARE(add.windowTitle(), QStringLiteral("ZEP Help"));
    QCOMPARE(add.lines().size(), 16);
    QCOMPARE(show.lines()[1],
             QStringLiteral(" Double click on the record in the data grid to view the file "
                            "information."));
    QCOMPARE(snip.lines().last(),
             QStringLiteral(" The Clear ALL button will erase the text boxes."));
    for (const QString &line : add.lines())
        QVERIFY(line.isEmpty() || line.startsWith(' '));
    add.show();
    QVERIFY(add.width() >= Twips(&add, 7000));
    QVERIFY(add.height() >= Twips(&add, 4600));
    // Painting twice gives the same picture.
    const QImage first = add.grab().toImage();
    add.Form_Paint();
    QCOMPARE(add.grab().toImage(), first);
    QTest::mouseClick(&add, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!add.isVisible());
}

void TestMenu::windowsNameEveryField()
{
    Fixture f;
    f.setUp();
    QStringList checked;
    for (const WindowEntry *entry : RegisteredWindows()) {
        std::unique_ptr<QWidget> window = CreateWindow(entry->name);
        QCOMPARE(window->objectName(), entry->name);
        const QStringList faults = AccessibilityFaults(window.get());
        QVERIFY2(faults.isEmpty(), qPrintable(entry->name + ": " + faults.join("; ")));
        checked << entry->name;
    }
    for (const char *shell : {"frmSetup", "frmLogin", "frmVerify", "frmLog", "frmMenu", "frmAbout"})
        QVERIFY2(checked.contains(shell), shell);
    // A mnemonic moves the focus to the field its label names.
    frmLogin login;
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    login.cmdOK->setFocus();
    QTest::keyClick(&login, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(login.txtPWD));
}

void TestMenu::tasksOpenTheirWindows_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("owned");
    QTest::newRow("cmdAdd") << "cmdAdd"
                            << "frmAdd" << true;
    QTest::newRow("cmdDisplay") << "cmdDisplay"
                                << "frmShow" << true;
    QTest::newRow("cmdSearch") << "cmdSearch"
                               << "frmSearch" << true;
    QTest::newRow("cmdSnippets") << "cmdSnippets"
                                 << "frmSnippet" << true;
    QTest::newRow("cmdGroups") << "cmdGroups"
                               << "frmGroups" << true;
    QTest::newRow("cmdPatterns") << "cmdPatterns"
                                 << "frmPatterns" << true;
    QTest::newRow("cmdWebName") << "cmdWebName"
                                << "frmWebInfo" << true;
    QTest::newRow("cmdUsers") << "cmdUsers"
                              << "frmUser" << false;
    QTest::newRow("cmdDatabase") << "cmdDatabase"
                                 << "frmSetup" << true;
    QTest::newRow("mnuChangePass") << "mnuChangePass"
                                   << "frmChangePass" << false;
    QTest::newRow("mnuCalculater") << "mnuCalculater"
                                   << "frmCalc" << false;
    QTest::newRow("mnuCalendar") << "mnuCalendar"
                                 << "frmCalendar" << false;
    QTest::newRow("mnuViewLog") << "mnuViewLog"
                                << "frmLog" << true;
    QTest::newRow("mnuAddEditUsers") << "mnuAddEditUsers"
                                     << "frmUser" << false;
    QTest::newRow("mnuDatabase") << "mnuDatabase"
                                 << "frmSetup" << true;
    QTest::newRow("mnuAbout") << "mnuAbout"
                              << "frmAbout" << true;
}

// A task is offered exactly when this program has its window, and opens it by name, with the
// menu as owner or with none.
void TestMenu::tasksOpenTheirWindows()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    QFETCH(bool, owned);
    Fixture f;
    f.setUp();
    Log().addEntry(LogInfo, QStringLiteral("something to view"));
    CurrentGroup = "Administrator";
    frmMenu menu;
    menu.Form_Load();
    auto *button = menu.findChild<QPushButton *>(control);
    auto *item = menu.findChild<QAction *>(control);
    QVERIFY(button || item);
    const bool offered = button ? button->isEnabled() : item->isEnabled();
    QCOMPARE(offered, WindowRegistered(window));
    if (!offered)
        return;
    f.ui.onModal(window);
    if (button)
        button->click();
    else
        item->trigger();
    QCOMPARE(f.ui.modals, QStringList{window});
    QCOMPARE(f.ui.owners, QStringList{owned ? "frmMenu" : ""});
}

REGISTER_TEST(TestMenu)
#include "tst_menu.moc"
