#pragma once

#include "platform/ui/Form.h"

#include <array>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

// The month calendar: one month as a grid of day labels, Sunday first, moved by day, week,
// month and year with its buttons and keys; the chosen day is shown as a date.
class frmCalendar : public FormDialog
{
    Q_OBJECT
public:
    explicit frmCalendar(QWidget *parent = nullptr);

    // The shown month number, day and year: the window's state.
    QLineEdit *Month;
    QLineEdit *Day;
    QLineEdit *Year;
    QLineEdit *txtMonth;
    // The chosen date as month/day/year, without leading zeros.
    QLineEdit *txtDate;
    // Column headings lblDay1 (Sunday) to lblDay7 (Saturday).
    std::array<QLabel *, 7> lblDay{};
    QPushButton *CmdPreviousYear;
    QPushButton *CmdPreviousMonth;
    QPushButton *CmdNextMonth;
    QPushButton *CmdNextYear;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

    // The day label "lbl" + row (1 to 6) + column (1 to 7), such as "lbl11".
    QLabel *cell(const QString &name) const;
    QLabel *cell(int row, int column) const;
    // The label the selection is on.
    QString selectedCell() const { return selected_; }
    // Weekday of the shown month's first day, 1 = Sunday to 7 = Saturday.
    int firstWeekday() const { return firstWeekday_; }

    void Form_Load() override;
    void DrawMonth();
    void SelectCell(const QString &name);
    // interval "d", "ww", "m" or "yyyy"; forward adds one, backward takes one away.
    void MoveBy(const QString &interval, bool forward);
    void GoToToday(bool withYear);
    // The label of a day of the shown month.
    QString CellOfDay(int day) const;
    int MonthLength() const;
    // The full name of a month in the user's language.
    static QString MonthName(int month);

    void CmdPreviousYear_Click() { MoveBy(QStringLiteral("yyyy"), false); }
    void CmdNextYear_Click() { MoveBy(QStringLiteral("yyyy"), true); }
    void CmdPreviousMonth_Click() { MoveBy(QStringLiteral("m"), false); }
    void CmdNextMonth_Click() { MoveBy(QStringLiteral("m"), true); }
    void cmdOK_Click();
    void cmdCancel_Click();
    void DayLabel_Click(const QString &name);
    // A key pressed on the window or one of its controls; false for a key it has no use for.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The constructor's parts, in the order the controls are made.
    QLayout *headerRow();
    QLayout *dayGrid();
    QLayout *footerRow();
    void connectHandlers();
    int shownMonth() const;
    int shownDay() const;
    int shownYear() const;
    void showDate();
    void paint(QLabel *label, const QColor &colour);

    std::array<std::array<QLabel *, 7>, 6> cells_{};
    std::array<int, 12> monthLengths_{};
    QStringList dayNames_;
    int todayDay_ = 1;
    int todayMonth_ = 1;
    int todayYear_ = 2000;
    QString selected_;
    int firstWeekday_ = 1;
    bool busy_ = false;
};
