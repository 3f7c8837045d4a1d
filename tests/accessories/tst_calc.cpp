#include "Fixture.h"
#include "Keys.h"
#include "TestRegistry.h"
#include "accessories/frmCalc.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {

// Keeps a locale as the user's for the life of the object.
class UserLocale
{
public:
    explicit UserLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~UserLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

const QString kDivide = QStringLiteral("Can't Divide by Zero");
const QString kTooLarge = QStringLiteral("The result is too large for the calculator.");

} // namespace

class TestCalc : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void keysFocusTheirButtons_data();
    void keysFocusTheirButtons();
    void buttonsWorkAsTheirKeys();
    void escapeClosesAndCtrlCCopies();
    void formatted_data();
    void formatted();
};

void TestCalc::keys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("sum") << "1 + 2 ="
                         << "3"
                         << "3.00"
                         << "";
    QTest::newRow("equals again") << "1 + 2 = ="
                                  << "3"
                                  << "3.00"
                                  << "";
    QTest::newRow("second operator replaces the first") << "1 + + 2 ="
                                                        << "3"
                                                        << "3.00"
                                                        << "";
    QTest::newRow("operator changed") << "6 + / 2 ="
                                      << "3"
                                      << "3.00"
                                      << "";
    QTest::newRow("running result") << "2 * 3 - 4 ="
                                    << "2"
                                    << "2.00"
                                    << "";
    QTest::newRow("negative") << "7 - 9 ="
                              << "-2"
                              << "-2.00"
                              << "";
    QTest::newRow("a third") << "1 / 3 ="
                             << "0.333333333333333"
                             << "0.3333333"
                             << "";
    QTest::newRow("divide by zero keeps the result") << "5 / 0 ="
                                                     << "5"
                                                     << "5.00" << kDivide;
    QTest::newRow("point first") << "."
                                 << "0."
                                 << "0.00"
                                 << "";
    QTest::newRow("second point ignored") << "1 . . 5"
                                          << "1.5"
                                          << "1.50"
                                          << "";
    QTest::newRow("point again after the first") << ". 5 . 5"
                                                 << "0.55"
                                                 << "0.55"
                                                 << "";
    QTest::newRow("back on nothing") << "back"
                                     << ""
                                     << "0.00"
                                     << "";
    QTest::newRow("back") << "1 2 back"
                          << "1"
                          << "1.00"
                          << "";
    QTest::newRow("back over the point") << "1 . back . 5"
                                         << "1.5"
                                         << "1.50"
                                         << "";
    QTest::newRow("back on a result") << "1 + 2 = back"
                                      << ""
                                      << "0.00"
                                      << "";
    QTest::newRow("thousands") << "1 2 3 4 . 5"
                               << "1234.5"
                               << "1,234.50"
                               << "";
    QTest::newRow("leading zero dropped") << "0 5"
                                          << "5"
                                          << "5.00"
                                          << "";
    QTest::newRow("one zero kept") << "0 0"
                                   << "0"
                                   << "0.00"
                                   << "";
    QTest::newRow("digit after a result starts anew") << "1 + 2 = 5"
                                                      << "5"
                                                      << "5.00"
                                                      << "";
    QTest::newRow("clear entry") << "9 - 3 del 2 ="
                                 << "7"
                                 << "7.00"
                                 << "";
    QTest::newRow("clear all") << "1 2 + 3 c 4 ="
                               << "4"
                               << "4.00"
                               << "";
    // Enter gives the result and leaves it in view.
    QTest::newRow("enter") << "2 + 3 enter"
                           << "5"
                           << "5.00"
                           << "";
    QTest::newRow("shift enter adds") << "2 shift+enter 3 ="
                                      << "5"
                                      << "5.00"
                                      << "";
    QTest::newRow("shift = adds") << "2 shift+= 3 ="
                                  << "5"
                                  << "5.00"
                                  << "";
    QTest::newRow("shift 8 multiplies") << "3 shift+8 4 ="
                                        << "12"
                                        << "12.00"
                                        << "";
    QTest::newRow("other shifted digits do nothing") << "1 shift+5 2"
                                                     << "12"
                                                     << "12.00"
                                                     << "";
    QTest::newRow("number pad") << "pad7 pad* pad6 pad- pad2 pad/ pad5 padenter"
                                << "8"
                                << "8.00"
                                << "";
    QTest::newRow("number pad with shift") << "shift+pad4 shift+pad2 pad+ 1 ="
                                           << "43"
                                           << "43.00"
                                           << "";
    QTest::newRow("pad point") << "pad. 5"
                               << "0.5"
                               << "0.50"
                               << "";
    QTest::newRow("pad comma is the point") << "1 pad, 5"
                                            << "1.5"
                                            << "1.50"
                                            << "";
    QTest::newRow("comma elsewhere does nothing") << "1 , 5"
                                                  << "15"
                                                  << "15.00"
                                                  << "";
    QTest::newRow("other keys do nothing") << "4 x f1 2"
                                           << "42"
                                           << "42.00"
                                           << "";
    const QString nines = QString("9 ").repeated(308);
    QTest::newRow("no more digits than a number holds") << nines + "9 9" << QString(308, '9') << ""
                                                        << "";
    QTest::newRow("result too large") << nines + "* 9 9 ="
                                      << "1E+308"
                                      << "" << kTooLarge;
}

void TestCalc::keys()
{
    QFETCH(QString, keys);
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    UserLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    Fixture f;
    frmCalc calc;
    calc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calc));
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    PressKeys(&calc, keys);
    QCOMPARE(calc.lblReadOut->text(), raw);
    if (!shown.isEmpty())
        QCOMPARE(calc.lblReadout2->text(), shown);
    QCOMPARE(calc.lblReadout2->geometry(), calc.lblReadOut->geometry());
    QVERIFY(calc.isVisible());
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.messages[0].title, QStringLiteral("Calculator"));
        QCOMPARE(f.ui.messages[0].style, int(vbExclamation));
    }
    VERIFY_CLEAN(f);
}

void TestCalc::keysFocusTheirButtons_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("button");
    QTest::newRow("digit") << "7"
                           << "cmd7";
    QTest::newRow("pad digit") << "pad3"
                               << "cmd3";
    QTest::newRow("point") << "."
                           << "cmdDecimal";
    QTest::newRow("pad comma") << "pad,"
                               << "cmdDecimal";
    QTest::newRow("plus") << "+"
                          << "cmdAdd";
    QTest::newRow("minus") << "-"
                           << "cmdSubtract";
    QTest::newRow("times") << "pad*"
                           << "cmdMultiply";
    QTest::newRow("shift 8") << "shift+8"
                             << "cmdMultiply";
    QTest::newRow("divide") << "/"
                            << "cmdDivide";
    QTest::newRow("equals") << "="
                            << "cmdEquals";
    QTest::newRow("enter") << "enter"
                           << "cmdEquals";
    QTest::newRow("shift enter") << "shift+enter"
                                 << "cmdAdd";
    QTest::newRow("back space") << "back"
                                << "cmdBack";
    QTest::newRow("delete") << "del"
                            << "cmdClearEntry";
    QTest::newRow("C") << "c"
                       << "cmdClear";
    QTest::newRow("unmapped key") << "x"
                                  << "cmd0";
}

// A key moves the focus to the button it stands for; Enter or Space then reaching a focused
// digit button still means the calculator's key, never a second press of the digit.
void TestCalc::keysFocusTheirButtons()
{
    QFETCH(QString, key);
    QFETCH(QString, button);
    Fixture f;
    frmCalc calc;
    calc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calc));
    calc.cmd0->setFocus();
    PressKeys(&calc, key);
    QVERIFY(calc.focusWidget());
    QCOMPARE(calc.focusWidget()->objectName(), button);

    PressKeys(&calc, "c 4 + 5 enter");
    QCOMPARE(calc.lblReadOut->text(), QStringLiteral("9"));
    VERIFY_CLEAN(f);
}

// Escape closes the calculator; Ctrl+C copies the read-out and leaves it as it is, where C
// alone clears it.
void TestCalc::escapeClosesAndCtrlCCopies()
{
    Fixture f;
    frmCalc calc;
    calc.show();
    PressKeys(&calc, "1 + 2 =");
    QTest::keyClick(&calc, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("3.00"));
    QCOMPARE(calc.lblReadout2->text(), QStringLiteral("3.00"));
    PressKeys(&calc, "esc");
    QVERIFY(!calc.isVisible());
    QCOMPARE(calc.result(), int(QDialog::Rejected));
}

void TestCalc::buttonsWorkAsTheirKeys()
{
    Fixture f;
    frmCalc calc;
    calc.Form_Load();
    for (QPushButton *button :
         {calc.cmd1, calc.cmd2, calc.cmdDecimal, calc.cmd5, calc.cmdMultiply, calc.cmd4,
          calc.cmdBack, calc.cmd2, calc.cmdSubtract, calc.cmd9, calc.cmdClearEntry, calc.cmd5,
          calc.cmdDivide, calc.cmd4, calc.cmdEquals})
        button->click();
    QCOMPARE(calc.lblReadOut->text(), QStringLiteral("5"));
    calc.cmdClear->click();
    QCOMPARE(calc.lblReadOut->text(), QString());
    QCOMPARE(calc.NumOps, 0);
    calc.cmd8->click();
    calc.cmdAdd->click();
    calc.cmdEquals->click();
    QCOMPARE(calc.lblReadOut->text(), QStringLiteral("8"));
    VERIFY_CLEAN(f);
}

void TestCalc::formatted_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("thousands") << english << 1234.5 << "1,234.50";
    QTest::newRow("zero") << english << 0.0 << "0.00";
    QTest::newRow("almost zero below") << english << -0.00000001 << "0.00";
    QTest::newRow("seven decimals at most") << english << 0.12345678 << "0.1234568";
    QTest::newRow("millions") << english << 1234567.1234567 << "1,234,567.1234567";
    QTest::newRow("negative") << english << -5.0 << "-5.00";
    QTest::newRow("large") << english << 1e15 << "1,000,000,000,000,000.00";
    QTest::newRow("the user's separators") << german << 1234.5 << "1.234,50";
    QTest::newRow("grouped where the locale would not") << QLocale::c() << 1234.5 << "1,234.50";
}

void TestCalc::formatted()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, shown);
    UserLocale user(locale);
    QCOMPARE(frmCalc::Formatted(value), shown);
}

REGISTER_TEST(TestCalc)
#include "tst_calc.moc"
