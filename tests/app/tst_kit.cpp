#include "Fixture.h"
#include "TestRegistry.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>

Q_DECLARE_METATYPE(std::function<void()>)

class TestKit : public QObject
{
    Q_OBJECT
private slots:
    void errorTrap_data();
    void errorTrap();
    void namedControls_data();
    void namedControls();
    void enterInDialog_data();
    void enterInDialog();
    void menuItems_data();
    void menuItems();
    void suggestedSavePath_data();
    void suggestedSavePath();
    void windowsKeepTheirPlaces_data();
    void windowsKeepTheirPlaces();
};

// The one path from a failure to the "Error: " box: what it shows, that the step ends at the
// failure, and what it tells the caller, with the engine's own description for a failing
// statement.
void TestKit::errorTrap_data()
{
    QTest::addColumn<std::function<void()>>("step");
    QTest::addColumn<QString>("context");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("shownStart");

    QTest::newRow("a step that runs through shows nothing")
            << std::function<void()>([] { RunCommand(QStringLiteral("delete from tempfile")); })
            << QString() << true << QString();
    QTest::newRow("a failure is shown with its description")
            << std::function<void()>([] { throw std::runtime_error("the disk is full"); })
            << QString() << false << QStringLiteral("Error: the disk is full");
    QTest::newRow("the context comes before the description")
            << std::function<void()>([] { throw std::runtime_error("no such table"); })
            << QStringLiteral("Find ") << false << QStringLiteral("Error: Find no such table");
    QTest::newRow("the engine's own words for a statement that fails") << std::function<void()>([] {
        RunCommand(QStringLiteral("select * from no_table_by_this_name"));
    }) << QString() << false << QStringLiteral("Error: ");
}

void TestKit::errorTrap()
{
    QFETCH(std::function<void()>, step);
    QFETCH(QString, context);
    QFETCH(bool, completes);
    QFETCH(QString, shownStart);
    Fixture f;
    f.setUp();
    ReopenConnection();
    if (!completes)
        f.ui.answer(vbOK);

    bool after = false;
    const bool ran = ErrorTrap(
            [&] {
                step();
                after = true;
            },
            context);

    QCOMPARE(ran, completes);
    QCOMPARE(after, completes);
    if (completes) {
        QVERIFY(f.ui.messages.isEmpty());
        return;
    }
    QCOMPARE(f.ui.messages.size(), 1);
    const ScriptedUi::Shown &shown = f.ui.messages.first();
    QVERIFY2(shown.text.startsWith(shownStart), qPrintable(shown.text));
    QVERIFY2(shown.text.size() > shownStart.size() || !shownStart.endsWith(QLatin1Char(' ')),
             "the description is missing");
    if (QTest::currentDataTag() == QByteArray("the engine's own words for a statement that fails"))
        QVERIFY2(shown.text.contains(QLatin1String("no_table_by_this_name")),
                 qPrintable(shown.text));
    QCOMPARE(shown.style, int(vbOKOnly));
    QCOMPARE(shown.title, AppTitle());
}

// Each kind of control the kit makes: named as asked, and with the behaviour every window
// relied on when it made its own.
void TestKit::namedControls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text box") << QStringLiteral("text");
    QTest::newRow("password box") << QStringLiteral("password");
    QTest::newRow("button") << QStringLiteral("button");
    QTest::newRow("button with a tool tip") << QStringLiteral("tip");
    QTest::newRow("frame") << QStringLiteral("frame");
    QTest::newRow("list combo") << QStringLiteral("list");
    QTest::newRow("editable combo") << QStringLiteral("editable");
    QTest::newRow("check box") << QStringLiteral("check");
    QTest::newRow("label") << QStringLiteral("label");
    QTest::newRow("dialog button") << QStringLiteral("dialog");
    QTest::newRow("default dialog button") << QStringLiteral("default");
    QTest::newRow("tool bar") << QStringLiteral("toolbar");
    QTest::newRow("report list") << QStringLiteral("report");
    QTest::newRow("list box") << QStringLiteral("listbox");
}

void TestKit::namedControls()
{
    QFETCH(QString, kind);
    QWidget window;
    const QString name = QStringLiteral("ctl") + kind;
    QWidget *made = nullptr;
    if (kind == QLatin1String("text") || kind == QLatin1String("password")) {
        QLineEdit *box = kind == QLatin1String("text") ? NamedTextBox(name, &window)
                                                       : NamedPasswordBox(name, &window);
        made = box;
        QCOMPARE(box->echoMode(),
                 kind == QLatin1String("text") ? QLineEdit::Normal : QLineEdit::Password);
        box->setText(QStringLiteral("typed before"));
        box->deselect();
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focus);
        QCoreApplication::processEvents();
        QCOMPARE(box->selectedText(), QStringLiteral("typed before"));
    } else if (kind == QLatin1String("button") || kind == QLatin1String("tip")) {
        const QString tip = kind == QLatin1String("tip") ? QStringLiteral("Explains") : QString();
        QPushButton *button = NamedButton(name, QStringLiteral("&Go"), &window, tip);
        made = button;
        QCOMPARE(button->text(), QStringLiteral("&Go"));
        QVERIFY(!button->autoDefault());
        QCOMPARE(button->toolTip(), tip);
    } else if (kind == QLatin1String("frame")) {
        QGroupBox *frame = NamedFrame(name, QStringLiteral("Title"), &window);
        made = frame;
        QCOMPARE(frame->title(), QStringLiteral("Title"));
    } else if (kind == QLatin1String("list") || kind == QLatin1String("editable")) {
        const bool editable = kind == QLatin1String("editable");
        QComboBox *combo = NamedCombo(name, &window, editable);
        made = combo;
        QCOMPARE(combo->isEditable(), editable);
        if (editable) {
            // Typed text is a value, not a new entry of the list.
            combo->setEditText(QStringLiteral("typed"));
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            QCOMPARE(combo->count(), 0);
        }
    } else if (kind == QLatin1String("check")) {
        QCheckBox *check = NamedCheckBox(name, QStringLiteral("Hold"), &window);
        made = check;
        QCOMPARE(check->text(), QStringLiteral("Hold"));
    } else if (kind == QLatin1String("label")) {
        QLabel *label = NamedLabel(name, QStringLiteral("Note"), &window);
        made = label;
        QCOMPARE(label->text(), QStringLiteral("Note"));
    } else if (kind == QLatin1String("dialog") || kind == QLatin1String("default")) {
        const bool isDefault = kind == QLatin1String("default");
        QPushButton *button = NamedDialogButton(name, QStringLiteral("&OK"), &window, isDefault);
        made = button;
        QCOMPARE(button->text(), QStringLiteral("&OK"));
        QCOMPARE(button->isDefault(), isDefault);
    } else if (kind == QLatin1String("toolbar")) {
        KeyedToolBar *bar =
                NamedToolBar(name, &window,
                             {{"kSep0"},
                              {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                              {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion}});
        made = bar;
        QStringList keys;
        for (QAction *action : bar->actions())
            keys << action->objectName();
        QCOMPARE(keys, (QStringList{"kSep0", "kExit", "kHelp"}));
        QVERIFY(bar->buttonAt(1)->isSeparator());
        QCOMPARE(bar->button(QStringLiteral("kHelp"))->toolTip(), QStringLiteral("Help"));
    } else if (kind == QLatin1String("report")) {
        const QStringList headings{QStringLiteral("Name"), QStringLiteral("Address")};
        QTreeWidget *list = NamedReportList(name, headings, &window);
        made = list;
        QCOMPARE(list->columnCount(), 2);
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Address"));
        QVERIFY(!list->rootIsDecorated());
        QVERIFY(list->alternatingRowColors());
        QVERIFY(list->uniformRowHeights());
    } else {
        QListWidget *list = NamedListBox(name, &window);
        made = list;
        QVERIFY(list->uniformItemSizes());
    }
    QVERIFY(made);
    QCOMPARE(made->objectName(), name);
    QCOMPARE(made->parentWidget(), &window);
    QCOMPARE(window.findChild<QWidget *>(name), made);
}

// Which button Enter presses in a dialog, by where the focus is: a field that leaves Enter alone
// gives it to the default button; a dialog button presses itself; a kit button never does.
void TestKit::enterInDialog_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("in a field, the default button") << "txtField"
                                                    << "cmdOK";
    QTest::newRow("on the default button, itself") << "cmdOK"
                                                   << "cmdOK";
    QTest::newRow("on another dialog button, itself") << "cmdCancel"
                                                      << "cmdCancel";
    QTest::newRow("on a kit button, the default button") << "cmdOther"
                                                         << "cmdOK";
}

void TestKit::enterInDialog()
{
    QFETCH(QString, focus);
    QFETCH(QString, pressed);
    QDialog dialog;
    NamedTextBox(QStringLiteral("txtField"), &dialog);
    const QList<QPushButton *> buttons{
            NamedDialogButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), &dialog, true),
            NamedDialogButton(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), &dialog),
            NamedButton(QStringLiteral("cmdOther"), QStringLiteral("Other"), &dialog)};
    QStringList clicked;
    for (QPushButton *button : buttons)
        connect(button, &QPushButton::clicked, &dialog,
                [&clicked, button] { clicked << button->objectName(); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QApplication::setActiveWindow(&dialog);
    auto *target = dialog.findChild<QWidget *>(focus);
    target->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();

    QTest::keyClick(target, Qt::Key_Return);

    QCOMPARE(clicked, QStringList{pressed});
}

// An item goes at the end of its menu, named, with the shortcut it is given and none otherwise.
void TestKit::menuItems_data()
{
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("without a shortcut") << QKeySequence();
    QTest::newRow("with a standard shortcut") << QKeySequence(QKeySequence::Save);
    QTest::newRow("with a typed shortcut") << QKeySequence(QStringLiteral("Alt+F4"));
}

void TestKit::menuItems()
{
    QFETCH(QKeySequence, shortcut);
    QMenu menu;
    NamedItem(&menu, QStringLiteral("mnuFirst"), QStringLiteral("&First"));
    menu.addSeparator();
    QAction *item = NamedItem(&menu, QStringLiteral("mnuLast"), QStringLiteral("&Last"), shortcut);

    QCOMPARE(menu.actions().size(), 3);
    QCOMPARE(menu.actions().last(), item);
    QCOMPARE(item->objectName(), QStringLiteral("mnuLast"));
    QCOMPARE(item->text(), QStringLiteral("&Last"));
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(menu.findChild<QAction *>(QStringLiteral("mnuLast")), item);
}

void TestKit::suggestedSavePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("documents"); // the account has a documents folder
    QTest::addColumn<QString>("offered"); // below the documents folder, or else the home folder
    QTest::newRow("a new account: the home folder")
            << "Files by Entry" << false << "HOME/Files by Entry.pdf";
    QTest::newRow("the documents folder")
            << "Files by Entry" << true << "DOCUMENTS/Files by Entry.pdf";
    QTest::newRow("characters a name cannot hold")
            << " a/b:c*d " << true << "DOCUMENTS/a-b-c-d.pdf";
    QTest::newRow("nothing left of the name") << "  " << true << "DOCUMENTS/Report.pdf";
}

// A save offers a file in a folder that exists: the documents folder, or the home folder of an
// account that has none yet.
void TestKit::suggestedSavePath()
{
    QFETCH(QString, name);
    QFETCH(bool, documents);
    QFETCH(QString, offered);
    QTemporaryDir home;
    const QByteArray before = qgetenv("HOME");
    const auto restore = qScopeGuard([&] { qputenv("HOME", before); });
    qputenv("HOME", home.path().toLocal8Bit());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents)
        QVERIFY(QDir().mkpath(folder));
    else
        QVERIFY(!QFileInfo(folder).exists());
    offered.replace("DOCUMENTS", folder).replace("HOME", QDir::homePath());
    QCOMPARE(SuggestedSavePath(name, "pdf", "Report"), offered);
    QVERIFY(QFileInfo(offered).dir().exists());
}

void TestKit::windowsKeepTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("leftAt");
    QTest::addColumn<bool>("kept");
    QTest::newRow("a window of the program") << "frmPlaced" << QPoint(40, 50) << true;
    QTest::newRow("one left off every screen opens centred")
            << "frmPlaced" << QPoint(20000, 20000) << false;
    QTest::newRow("a dialog of the toolkit's is centred") << "dlgPlaced" << QPoint(40, 50) << false;
}

// A window opens where it was left, at the size it was left with, while that is on a screen.
void TestKit::windowsKeepTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QPoint, leftAt);
    QFETCH(bool, kept);
    Fixture f;
    f.setUp();
    const QRect left(leftAt, QSize(310, 210));
    {
        QWidget window;
        window.setObjectName(name);
        window.resize(200, 150);
        CentreWindow(&window);
        window.show();
        window.setGeometry(left);
        window.close();
    }
    QWidget again;
    again.setObjectName(name);
    again.resize(200, 150);
    CentreWindow(&again);
    QCOMPARE(again.geometry() == left, kept);
    if (!kept)
        QVERIFY(again.geometry().intersects(QGuiApplication::primaryScreen()->geometry()));
}

REGISTER_TEST(TestKit)
#include "tst_kit.moc"
