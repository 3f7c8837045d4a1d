#include "Fixture.h"
#include "Keys.h"
#include "TestRegistry.h"
#include "accessories/frmCalendar.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace {

class UserLocale
{
public:
    explicit UserLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~UserLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

QDate shown(frmCalendar &calendar)
{
    return QDate(calendar.Year->text().toInt(), calendar.Month->text().toInt(),
                 calendar.Day->text().toInt());
}

// Walks the calendar to a date with the keys a person would use: years, months, then days.
void goTo(frmCalendar &calendar, const QDate &date)
{
    const QDate from = shown(calendar);
    const int years = date.year() - from.year();
    QString keys = QString(years > 0 ? "shift+pgdn " : "shift+pgup ").repeated(qAbs(years));
    PressKeys(&calendar, keys);
    const int months = date.month() - shown(calendar).month();
    PressKeys(&calendar, QString(months > 0 ? "pgdn " : "pgup ").repeated(qAbs(months)));
    const int days = date.day() - shown(calendar).day();
    PressKeys(&calendar, QString(days > 0 ? "right " : "left ").repeated(qAbs(days)));
    QCOMPARE(shown(calendar), date);
}

// The captions of the day labels shown, row by row.
QStringList shownDays(frmCalendar &calendar)
{
    QStringList days;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 7; ++column) {
            if (calendar.cell(row, column)->isVisibleTo(&calendar))
                days << calendar.cell(row, column)->text();
        }
    }
    return days;
}

QColor textColour(QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

struct Opened
{
    Fixture f;
    frmCalendar calendar;
    Opened()
    {
        calendar.show();
        if (!QTest::qWaitForWindowExposed(&calendar))
            qWarning("the calendar was not shown");
    }
};

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void keysMoveTheDate_data();
    void keysMoveTheDate();
    void monthLengths_data();
    void monthLengths();
    void monthEnds_data();
    void monthEnds();
    void saturdayStartUsesTheSixthRow();
    void colours();
    void namesInTheUsersLanguage_data();
    void namesInTheUsersLanguage();
    void closing_data();
    void closing();
    void staysWithinTheYearsOfDates_data();
    void staysWithinTheYearsOfDates();
};

void TestCalendar::keysMoveTheDate_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("month");
    QTest::newRow("today") << ""
                           << "12/7/2026"
                           << "December";
    QTest::newRow("right") << "right"
                           << "12/8/2026"
                           << "December";
    QTest::newRow("left") << "left"
                          << "12/6/2026"
                          << "December";
    QTest::newRow("down") << "down"
                          << "12/14/2026"
                          << "December";
    QTest::newRow("up into the month before") << "up"
                                              << "11/30/2026"
                                              << "November";
    QTest::newRow("down into the next month") << "down down down down"
                                              << "1/4/2027"
                                              << "January";
    QTest::newRow("page down") << "pgdn"
                               << "1/7/2027"
                               << "January";
    QTest::newRow("page up") << "pgup"
                             << "11/7/2026"
                             << "November";
    QTest::newRow("shift page down") << "shift+pgdn"
                                     << "12/7/2027"
                                     << "December";
    QTest::newRow("shift page up") << "shift+pgup"
                                   << "12/7/2025"
                                   << "December";
    QTest::newRow("shift right") << "shift+right"
                                 << "12/7/2027"
                                 << "December";
    QTest::newRow("shift left") << "shift+left"
                                << "12/7/2025"
                                << "December";
    QTest::newRow("shift up") << "shift+up"
                              << "11/7/2026"
                              << "November";
    QTest::newRow("shift down") << "shift+down"
                                << "1/7/2027"
                                << "January";
    QTest::newRow("home") << "pgdn pgdn shift+pgdn right home"
                          << "12/7/2026"
                          << "December";
    QTest::newRow("shift home keeps the year") << "shift+pgdn pgdn shift+home"
                                               << "12/7/2028"
                                               << "December";
    QTest::newRow("other keys do nothing") << "a 5 f1 x"
                                           << "12/7/2026"
                                           << "December";
    QTest::newRow("keys on the next control") << "tab right"
                                              << "12/8/2026"
                                              << "December";
}

void TestCalendar::keysMoveTheDate()
{
    QFETCH(QString, keys);
    QFETCH(QString, date);
    QFETCH(QString, month);
    Opened o;
    // Keys pressed on a move button work as on the window.
    o.calendar.CmdNextMonth->setFocus();
    PressKeys(&o.calendar, keys);
    QCOMPARE(o.calendar.txtDate->text(), date);
    QCOMPARE(o.calendar.txtMonth->text(), month);
    QVERIFY(o.calendar.isVisible());
    // The selection is on the day shown, in the place its weekday gives it.
    const QDate day = shown(o.calendar);
    QLabel *selected = o.calendar.cell(o.calendar.selectedCell());
    QVERIFY(selected);
    QCOMPARE(selected->text(), QString::number(day.day()));
    QCOMPARE(selected->objectName().at(4).digitValue(), day.dayOfWeek() % 7 + 1);
    VERIFY_CLEAN(o.f);
}

void TestCalendar::monthLengths_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("days");
    QTest::newRow("February of a leap year") << QDate(2024, 2, 1) << 29;
    QTest::newRow("February") << QDate(2026, 2, 1) << 28;
    QTest::newRow("February of a century") << QDate(2100, 2, 1) << 28;
    QTest::newRow("February of 2000") << QDate(2000, 2, 1) << 29;
    QTest::newRow("April") << QDate(2027, 4, 1) << 30;
    QTest::newRow("January") << QDate(2027, 1, 1) << 31;
}

void TestCalendar::monthLengths()
{
    QFETCH(QDate, month);
    QFETCH(int, days);
    Opened o;
    goTo(o.calendar, month);
    QStringList expected;
    for (int day = 1; day <= days; ++day)
        expected << QString::number(day);
    QCOMPARE(shownDays(o.calendar), expected);
    // Day 1 stands under its weekday.
    QCOMPARE(o.calendar.CellOfDay(1), QStringLiteral("lbl1%1").arg(month.dayOfWeek() % 7 + 1));
    QCOMPARE(o.calendar.cell(o.calendar.CellOfDay(1))->text(), QStringLiteral("1"));
}

void TestCalendar::monthEnds_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("month");
    QTest::newRow("month on from 31 January") << QDate(2025, 1, 31) << "pgdn"
                                              << "2/28/2025"
                                              << "February";
    QTest::newRow("month on from 31 January, leap year") << QDate(2024, 1, 31) << "pgdn"
                                                         << "2/29/2024"
                                                         << "February";
    QTest::newRow("month back from 31 March") << QDate(2025, 3, 31) << "shift+up"
                                              << "2/28/2025"
                                              << "February";
    QTest::newRow("year on from 29 February") << QDate(2028, 2, 29) << "shift+pgdn"
                                              << "2/28/2029"
                                              << "February";
    QTest::newRow("day on from the last of a month") << QDate(2027, 1, 31) << "right"
                                                     << "2/1/2027"
                                                     << "February";
    QTest::newRow("day back from the first of a month") << QDate(2027, 3, 1) << "left"
                                                        << "2/28/2027"
                                                        << "February";
    QTest::newRow("day on from the last of a year") << QDate(2026, 12, 31) << "right"
                                                    << "1/1/2027"
                                                    << "January";
}

void TestCalendar::monthEnds()
{
    QFETCH(QDate, from);
    QFETCH(QString, keys);
    QFETCH(QString, date);
    QFETCH(QString, month);
    Opened o;
    goTo(o.calendar, from);
    PressKeys(&o.calendar, keys);
    QCOMPARE(o.calendar.txtDate->text(), date);
    QCOMPARE(o.calendar.txtMonth->text(), month);
    const QDate now = shown(o.calendar);
    QCOMPARE(o.calendar.selectedCell(), o.calendar.CellOfDay(now.day()));
    QCOMPARE(shownDays(o.calendar).size(), now.daysInMonth());
    QCOMPARE(textColour(o.calendar.cell(o.calendar.selectedCell())), QColor(Qt::blue));
}

void TestCalendar::saturdayStartUsesTheSixthRow()
{
    const QDate march(2025, 3, 1);
    QCOMPARE(march.dayOfWeek(), 6); // a Saturday, with 31 days
    Opened o;
    goTo(o.calendar, march);
    QCOMPARE(o.calendar.firstWeekday(), 7);
    for (int column = 1; column <= 6; ++column)
        QVERIFY(!o.calendar.cell(1, column)->isVisibleTo(&o.calendar));
    QCOMPARE(o.calendar.cell(1, 7)->text(), QStringLiteral("1"));
    QCOMPARE(o.calendar.cell(6, 1)->text(), QStringLiteral("30"));
    QCOMPARE(o.calendar.cell(6, 2)->text(), QStringLiteral("31"));
    QVERIFY(o.calendar.cell(6, 2)->isVisibleTo(&o.calendar));
    QVERIFY(!o.calendar.cell(6, 3)->isVisibleTo(&o.calendar));
    PressKeys(&o.calendar, "up");
    QCOMPARE(o.calendar.txtDate->text(), QStringLiteral("2/22/2025"));
    // The next month starts on a Tuesday and leaves the sixth row empty.
    PressKeys(&o.calendar, "pgdn pgdn");
    QCOMPARE(o.calendar.txtDate->text(), QStringLiteral("4/22/2025"));
    for (int column = 1; column <= 7; ++column)
        QVERIFY(!o.calendar.cell(6, column)->isVisibleTo(&o.calendar));
}

// Weekends in red, the chosen day in blue; a day left goes back to its column's colour.
void TestCalendar::colours()
{
    Opened o;
    const QColor red(Qt::red), black(Qt::black), blue(Qt::blue);
    frmCalendar &c = o.calendar;
    QCOMPARE(textColour(c.lblDay[0]), red);
    QCOMPARE(textColour(c.lblDay[1]), black);
    QCOMPARE(textColour(c.lblDay[6]), red);
    // 7 December 2026 is a Monday; the 5th a Saturday and the 6th a Sunday.
    QCOMPARE(c.selectedCell(), QStringLiteral("lbl22"));
    QCOMPARE(textColour(c.cell("lbl22")), blue);
    QCOMPARE(textColour(c.cell("lbl21")), red);
    QCOMPARE(textColour(c.cell("lbl23")), black);
    PressKeys(&c, "left");
    QCOMPARE(textColour(c.cell("lbl21")), blue);
    QCOMPARE(textColour(c.cell("lbl22")), black);
    PressKeys(&c, "left");
    QCOMPARE(textColour(c.cell("lbl17")), blue);
    QCOMPARE(textColour(c.cell("lbl21")), red);
    PressKeys(&c, "home");
    QCOMPARE(textColour(c.cell("lbl17")), red);
    QCOMPARE(textColour(c.cell("lbl22")), blue);
    int blues = 0;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 7; ++column)
            blues += textColour(c.cell(row, column)) == blue ? 1 : 0;
    }
    QCOMPARE(blues, 1);
}

void TestCalendar::namesInTheUsersLanguage_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("december");
    QTest::addColumn<QString>("january");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "December"
                             << "January" << QStringList{"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "Dezember"
                            << "Januar" << QStringList{"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << "décembre"
                            << "janvier" << QStringList{"di", "lu", "ma", "me", "je", "ve", "sa"};
}

void TestCalendar::namesInTheUsersLanguage()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, december);
    QFETCH(QString, january);
    QFETCH(QStringList, headings);
    UserLocale user(locale);
    Opened o;
    QCOMPARE(o.calendar.txtMonth->text(), december);
    QStringList shownHeadings;
    for (QLabel *heading : o.calendar.lblDay)
        shownHeadings << heading->text();
    QCOMPARE(shownHeadings, headings);
    PressKeys(&o.calendar, "pgdn");
    QCOMPARE(o.calendar.txtMonth->text(), january);
    // The date keeps its one layout whatever the language.
    QCOMPARE(o.calendar.txtDate->text(), QStringLiteral("1/7/2027"));
}

void TestCalendar::closing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("result");
    QTest::newRow("click on a day") << "day 20"
                                    << "12/20/2026" << int(QDialog::Accepted);
    QTest::newRow("OK") << "cmdOK"
                        << "12/8/2026" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "cmdCancel"
                            << "12/8/2026" << int(QDialog::Rejected);
    QTest::newRow("Enter") << "enter"
                           << "12/8/2026" << int(QDialog::Rejected);
    QTest::newRow("Escape") << "esc"
                            << "12/8/2026" << int(QDialog::Rejected);
}

void TestCalendar::closing()
{
    QFETCH(QString, action);
    QFETCH(QString, date);
    QFETCH(int, result);
    Opened o;
    PressKeys(&o.calendar, "right");
    if (action.startsWith("day ")) {
        QLabel *day = o.calendar.cell(o.calendar.CellOfDay(action.mid(4).toInt()));
        QTest::mouseClick(day, Qt::LeftButton);
    } else if (action.startsWith("cmd")) {
        o.calendar.findChild<QPushButton *>(action)->click();
    } else {
        PressKeys(&o.calendar, action);
    }
    QVERIFY(!o.calendar.isVisible());
    QCOMPARE(o.calendar.result(), result);
    QCOMPARE(o.calendar.txtDate->text(), date);
    VERIFY_CLEAN(o.f);
}

void TestCalendar::staysWithinTheYearsOfDates_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("date");
    QTest::newRow("past the last day") << QDate(9999, 12, 31) << "right"
                                       << "12/31/9999";
    QTest::newRow("past the last year") << QDate(9999, 6, 15) << "shift+pgdn"
                                        << "6/15/9999";
    QTest::newRow("within the last year") << QDate(9999, 12, 31) << "up"
                                          << "12/24/9999";
    QTest::newRow("before the first day") << QDate(1, 1, 1) << "left"
                                          << "1/1/1";
    QTest::newRow("before the first month") << QDate(1, 1, 20) << "pgup"
                                            << "1/20/1";
}

// At the ends of the years a date can have, a move beyond them leaves the calendar as it is.
void TestCalendar::staysWithinTheYearsOfDates()
{
    QFETCH(QDate, from);
    QFETCH(QString, keys);
    QFETCH(QString, date);
    Opened o;
    o.calendar.Year->setText(QString::number(from.year()));
    o.calendar.Month->setText(QString::number(from.month()));
    o.calendar.Day->setText(QString::number(from.day()));
    o.calendar.DrawMonth();
    PressKeys(&o.calendar, keys);
    QCOMPARE(o.calendar.txtDate->text(), date);
    QCOMPARE(shownDays(o.calendar).size(), shown(o.calendar).daysInMonth());
}

REGISTER_TEST(TestCalendar)
#include "tst_calendar.moc"
