#include "Fixture.h"
#include "TestRegistry.h"
#include "app/session.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    } else {
        QLabel *label = NamedLabel(name, QStringLiteral("Note"), &window);
        made = label;
        QCOMPARE(label->text(), QStringLiteral("Note"));
    }
    QVERIFY(made);
    QCOMPARE(made->objectName(), name);
    QCOMPARE(made->parentWidget(), &window);
    QCOMPARE(window.findChild<QWidget *>(name), made);
}

REGISTER_TEST(TestKit)
#include "tst_kit.moc"
