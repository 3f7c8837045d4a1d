#include "accessories/frmCalendar.h"

#include "accessories/WindowKeys.h"
#include "platform/Clock.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Fields.h"

#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kWeekday(Qt::black);
const QColor kWeekend(Qt::red);
const QColor kSelected(Qt::blue);
// Behind the days: plain, and the chosen day's.
const QColor kDayBack(Qt::white);
const QColor kChosenBack(0xd6, 0xe6, 0xfa);

// The years a date can be shown in.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

QLineEdit *display(const QString &name, int width, QWidget *parent)
{
    QLineEdit *box = NamedTextBox(name, parent);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(width);
    return box;
}

QPushButton *mover(const QString &name, const QString &caption, const QString &toolTip,
                   QWidget *parent)
{
    QPushButton *button = NamedButton(name, caption, parent);
    PictureButton(button, toolTip);
    button->setFixedWidth(34);
    return button;
}

bool isWeekendColumn(int column)
{
    return column == 1 || column == 7;
}

void setBack(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
}

// The heading of a weekday's column, lblDay1 (Sunday) to lblDay7.
QLabel *dayHeading(int column, QWidget *parent)
{
    QLabel *label = NamedLabel(QStringLiteral("lblDay%1").arg(column), QString(), parent);
    label->setAlignment(Qt::AlignCenter);
    QFont bold = parent->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// A day of the grid, "lbl" + row + column; a click on it goes to watcher.
QLabel *dayCell(int row, int column, QWidget *parent, QObject *watcher)
{
    QLabel *label = NamedLabel(QStringLiteral("lbl%1%2").arg(row).arg(column), QString(), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumSize(38, 28);
    label->setAutoFillBackground(true);
    setBack(label, kDayBack);
    QSizePolicy policy = label->sizePolicy();
    // A hidden day keeps its place, so the grid stands still from month to month.
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(watcher);
    return label;
}

} // namespace

frmCalendar::frmCalendar(QWidget *parent)
    : FormDialog(parent)
    , Month(display(QStringLiteral("Month"), 40, this))
    , Day(display(QStringLiteral("Day"), 40, this))
    , Year(display(QStringLiteral("Year"), 60, this))
    , txtMonth(display(QStringLiteral("txtMonth"), 120, this))
    , txtDate(display(QStringLiteral("txtDate"), 100, this))
    , CmdPreviousYear(mover(QStringLiteral("CmdPreviousYear"), QStringLiteral("<<"),
                            QStringLiteral("Previous Year"), this))
    , CmdPreviousMonth(mover(QStringLiteral("CmdPreviousMonth"), QStringLiteral("<"),
                             QStringLiteral("Previous Month"), this))
    , CmdNextMonth(mover(QStringLiteral("CmdNextMonth"), QStringLiteral(">"),
                         QStringLiteral("Next Month"), this))
    , CmdNextYear(mover(QStringLiteral("CmdNextYear"), QStringLiteral(">>"),
                        QStringLiteral("Next Year"), this))
    , cmdOK(NamedButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), this))
    , cmdCancel(NamedButton(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("Calendar"));
    QFont heading = txtMonth->font();
    heading.setBold(true);
    txtMonth->setFont(heading);
    Year->setFont(heading);

    QLayout *header = headerRow();
    QLayout *grid = dayGrid();
    QLayout *footer = footerRow();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(header);
    layout->addSpacing(4);
    layout->addLayout(grid, 1);
    layout->addSpacing(4);
    layout->addLayout(footer);
    connectHandlers();
}

// The movers either side of the month and year.
QLayout *frmCalendar::headerRow()
{
    auto *header = new QHBoxLayout;
    header->addWidget(CmdPreviousYear);
    header->addWidget(CmdPreviousMonth);
    header->addStretch();
    header->addWidget(FieldLabel(QStringLiteral("&Month:"), txtMonth, this));
    header->addWidget(txtMonth);
    header->addWidget(FieldLabel(QStringLiteral("&Year:"), Year, this));
    header->addWidget(Year);
    header->addStretch();
    header->addWidget(CmdNextMonth);
    header->addWidget(CmdNextYear);
    return header;
}

// The weekdays' headings over six weeks of days.
QLayout *frmCalendar::dayGrid()
{
    auto *grid = new QGridLayout;
    grid->setSpacing(2);
    for (int column = 1; column <= 7; ++column) {
        QLabel *label = dayHeading(column, this);
        lblDay[static_cast<size_t>(column - 1)] = label;
        grid->addWidget(label, 0, column - 1);
    }
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 7; ++column) {
            QLabel *label = dayCell(row, column, this, this);
            cells_[static_cast<size_t>(row - 1)][static_cast<size_t>(column - 1)] = label;
            grid->addWidget(label, row, column - 1);
        }
    }
    return grid;
}

// The chosen date and the buttons.
QLayout *frmCalendar::footerRow()
{
    // The shown month and day are numbers the window keeps; the date says the same to a reader.
    QLabel *monthLabel = FieldLabel(QStringLiteral("Month &No.:"), Month, this);
    QLabel *dayLabel = FieldLabel(QStringLiteral("&Day:"), Day, this);
    for (QWidget *kept : {static_cast<QWidget *>(Month), static_cast<QWidget *>(Day),
                          static_cast<QWidget *>(monthLabel), static_cast<QWidget *>(dayLabel)})
        kept->setVisible(false);
    auto *footer = new QHBoxLayout;
    footer->addWidget(monthLabel);
    footer->addWidget(Month);
    footer->addWidget(dayLabel);
    footer->addWidget(Day);
    footer->addWidget(FieldLabel(QStringLiteral("Da&te:"), txtDate, this));
    footer->addWidget(txtDate);
    footer->addStretch();
    footer->addWidget(cmdOK);
    footer->addWidget(cmdCancel);
    return footer;
}

void frmCalendar::connectHandlers()
{
    connect(CmdPreviousYear, &QPushButton::clicked, this, &frmCalendar::CmdPreviousYear_Click);
    connect(CmdPreviousMonth, &QPushButton::clicked, this, &frmCalendar::CmdPreviousMonth_Click);
    connect(CmdNextMonth, &QPushButton::clicked, this, &frmCalendar::CmdNextMonth_Click);
    connect(CmdNextYear, &QPushButton::clicked, this, &frmCalendar::CmdNextYear_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmCalendar::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCalendar::cmdCancel_Click);
    RouteKeys(this,
              [this](int key, Qt::KeyboardModifiers modifiers) { return KeyDown(key, modifiers); });
}

QLabel *frmCalendar::cell(int row, int column) const
{
    if (row < 1 || row > 6 || column < 1 || column > 7)
        return nullptr;
    return cells_[static_cast<size_t>(row - 1)][static_cast<size_t>(column - 1)];
}

QLabel *frmCalendar::cell(const QString &name) const
{
    if (name.size() != 5 || !name.startsWith(QLatin1String("lbl")))
        return nullptr;
    return cell(name.at(3).digitValue(), name.at(4).digitValue());
}

int frmCalendar::shownMonth() const
{
    return Month->text().toInt();
}

int frmCalendar::shownDay() const
{
    return Day->text().toInt();
}

int frmCalendar::shownYear() const
{
    return Year->text().toInt();
}

void frmCalendar::Form_Load()
{
    CentreWindow(this);
    monthLengths_ = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // Sunday first, in the user's language, two letters each.
    dayNames_.clear();
    const QLocale locale;
    for (int column = 1; column <= 7; ++column) {
        const int weekday = column == 1 ? 7 : column - 1;
        QString name = locale.standaloneDayName(weekday, QLocale::ShortFormat);
        name.remove(QLatin1Char('.'));
        dayNames_ << name.left(2);
    }
    const QDate today = Now().date();
    todayDay_ = today.day();
    todayMonth_ = today.month();
    todayYear_ = today.year();
    Month->setText(QString::number(todayMonth_));
    Year->setText(QString::number(todayYear_));
    Day->setText(QString::number(todayDay_));
    txtMonth->setText(MonthName(todayMonth_));
    for (int column = 1; column <= 7; ++column) {
        QLabel *heading = lblDay[static_cast<size_t>(column - 1)];
        heading->setText(dayNames_[column - 1]);
        const QColor colour = isWeekendColumn(column) ? kWeekend : kWeekday;
        paint(heading, colour);
        for (int row = 1; row <= 6; ++row)
            paint(cell(row, column), colour);
    }
    DrawMonth();
    paint(cell(CellOfDay(todayDay_)), kSelected);
    showDate();
    cmdOK->setFocus();
}

QString frmCalendar::MonthName(int month)
{
    return QLocale().standaloneMonthName(QDate(1995, month, 1).month(), QLocale::LongFormat);
}

int frmCalendar::MonthLength() const
{
    const int month = shownMonth();
    if (month == 2)
        return QDate(shownYear(), 3, 1).addDays(-1).day();
    return month >= 1 && month <= 12 ? monthLengths_[static_cast<size_t>(month - 1)] : 31;
}

QString frmCalendar::CellOfDay(int day) const
{
    const int n = day + firstWeekday_ + 5;
    return QStringLiteral("lbl%1%2").arg(n / 7).arg(n % 7 + 1);
}

void frmCalendar::DrawMonth()
{
    if (busy_)
        return;
    busy_ = true;
    // QDate counts Monday as 1 and Sunday as 7; the grid starts on Sunday.
    firstWeekday_ = QDate(shownYear(), shownMonth(), 1).dayOfWeek() % 7 + 1;
    const int length = MonthLength();
    if (shownDay() > length)
        Day->setText(QString::number(length));
    int count = 0;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 7; ++column) {
            QLabel *label = cell(row, column);
            if (row == 1 && column < firstWeekday_) {
                label->hide();
                continue;
            }
            ++count;
            if (count > length) {
                label->hide();
            } else {
                label->setText(QString::number(count));
                label->show();
            }
        }
    }
    SelectCell(CellOfDay(shownDay()));
    update();
    busy_ = false;
}

void frmCalendar::paint(QLabel *label, const QColor &colour)
{
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void frmCalendar::SelectCell(const QString &name)
{
    QLabel *chosen = cell(name);
    if (!chosen)
        return;
    if (!selected_.isEmpty() && selected_ != name) {
        QLabel *old = cell(selected_);
        paint(old, isWeekendColumn(selected_.at(4).digitValue()) ? kWeekend : kWeekday);
        setBack(old, kDayBack);
        paint(chosen, kSelected);
    }
    // The chosen day stands out by its background as well as its colour.
    setBack(chosen, kChosenBack);
    selected_ = name;
    Day->setText(chosen->text());
    showDate();
}

void frmCalendar::showDate()
{
    txtDate->setText(QStringLiteral("%1/%2/%3").arg(Month->text(), Day->text(), Year->text()));
}

void frmCalendar::MoveBy(const QString &interval, bool forward)
{
    const QDate shown(shownYear(), shownMonth(), shownDay());
    const int step = forward ? 1 : -1;
    QDate moved;
    if (interval == QLatin1String("d"))
        moved = shown.addDays(step);
    else if (interval == QLatin1String("ww"))
        moved = shown.addDays(7 * step);
    else if (interval == QLatin1String("m"))
        moved = shown.addMonths(step);
    else if (interval == QLatin1String("yyyy"))
        moved = shown.addYears(step);
    // The calendar ends with the years a date can be written in; beyond them it stays put.
    if (!moved.isValid() || moved.year() < kFirstYear || moved.year() > kLastYear)
        return;
    Day->setText(QString::number(moved.day()));
    if (moved.month() == shown.month() && moved.year() == shown.year()) {
        SelectCell(CellOfDay(moved.day()));
        return;
    }
    Month->setText(QString::number(moved.month()));
    txtMonth->setText(MonthName(moved.month()));
    Year->setText(QString::number(moved.year()));
    DrawMonth();
    showDate();
}

void frmCalendar::GoToToday(bool withYear)
{
    Month->setText(QString::number(todayMonth_));
    txtMonth->setText(MonthName(todayMonth_));
    Day->setText(QString::number(todayDay_));
    if (withYear)
        Year->setText(QString::number(todayYear_));
    DrawMonth();
}

void frmCalendar::cmdOK_Click()
{
    SelectCell(selected_);
    accept();
}

void frmCalendar::cmdCancel_Click()
{
    reject();
}

void frmCalendar::DayLabel_Click(const QString &name)
{
    SelectCell(name);
    accept();
}

bool frmCalendar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *label = qobject_cast<QLabel *>(watched);
        if (label && label->isVisible()
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            DayLabel_Click(label->objectName());
            return true;
        }
    }
    return FormDialog::eventFilter(watched, event);
}

bool frmCalendar::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        MoveBy(shift ? QStringLiteral("yyyy") : QStringLiteral("m"), key == Qt::Key_PageDown);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        MoveBy(shift ? QStringLiteral("yyyy") : QStringLiteral("d"), key == Qt::Key_Right);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        MoveBy(shift ? QStringLiteral("m") : QStringLiteral("ww"), key == Qt::Key_Down);
        return true;
    case Qt::Key_Home:
        GoToToday(!shift);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hide();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
}
