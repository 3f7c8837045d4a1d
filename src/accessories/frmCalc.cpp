#include "accessories/frmCalc.h"

#include "accessories/WindowKeys.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QPushButton *key(const QString &name, const QString &caption, QWidget *parent)
{
    QPushButton *button = NamedButton(name, caption, parent);
    button->setMinimumSize(46, 34);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

QLabel *readout(const QString &name, QWidget *parent)
{
    QLabel *label = NamedLabel(name, QString(), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMargin(6);
    label->setMinimumHeight(40);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    label->setFont(font);
    return label;
}

// The formatted read-out shows at most this many decimals.
constexpr int kMaxDecimals = 7;

} // namespace

frmCalc::frmCalc(QWidget *parent)
    : FormDialog(parent)
    , lblReadOut(readout(QStringLiteral("lblReadOut"), this))
    , lblReadout2(readout(QStringLiteral("lblReadout2"), this))
{
    setObjectName(QStringLiteral("frmCalc"));
    setWindowTitle(QStringLiteral("Calculator"));
    buildKeys();
    layOut(buildReadout());
    connectKeys();
}

void frmCalc::buildKeys()
{
    QPushButton **digitButtons[] = {&cmd0, &cmd1, &cmd2, &cmd3, &cmd4,
                                    &cmd5, &cmd6, &cmd7, &cmd8, &cmd9};
    for (int i = 0; i < 10; ++i)
        *digitButtons[i] = key(QStringLiteral("cmd%1").arg(i), QString::number(i), this);
    cmdDecimal = key(QStringLiteral("cmdDecimal"), QStringLiteral("."), this);
    cmdAdd = key(QStringLiteral("cmdAdd"), QStringLiteral("+"), this);
    cmdSubtract = key(QStringLiteral("cmdSubtract"), QStringLiteral("-"), this);
    cmdMultiply = key(QStringLiteral("cmdMultiply"), QStringLiteral("*"), this);
    cmdDivide = key(QStringLiteral("cmdDivide"), QStringLiteral("/"), this);
    cmdEquals = key(QStringLiteral("cmdEquals"), QStringLiteral("="), this);
    cmdClear = key(QStringLiteral("cmdClear"), QStringLiteral("C"), this);
    cmdClearEntry = key(QStringLiteral("cmdClearEntry"), QStringLiteral("CE"), this);
    cmdBack = key(QStringLiteral("cmdBack"), QStringLiteral("Back"), this);
    cmdBack->setToolTip(QStringLiteral("Back Space"));
    cmdClearEntry->setToolTip(QStringLiteral("Clear Entry"));
    cmdClear->setToolTip(QStringLiteral("Clear All"));
}

// The formatted read-out lies exactly over the raw one, which holds the number as entered.
QWidget *frmCalc::buildReadout()
{
    lblReadOut->setAccessibleName(QStringLiteral("Entry"));
    lblReadout2->setAccessibleName(QStringLiteral("Read-out"));
    lblReadout2->setAutoFillBackground(true);
    auto *panel = Named(new QWidget(this), QStringLiteral("picReadout"));
    panel->setStyleSheet(QStringLiteral("#picReadout { border: 1px solid palette(mid); }"
                                        "QLabel { background: palette(base); }"));
    auto *stack = new QGridLayout(panel);
    stack->setContentsMargins(1, 1, 1, 1);
    lblReadOut->setParent(panel);
    lblReadout2->setParent(panel);
    stack->addWidget(lblReadOut, 0, 0);
    stack->addWidget(lblReadout2, 0, 0);
    lblReadout2->raise();
    return panel;
}

void frmCalc::layOut(QWidget *readoutPanel)
{
    auto *pad = new QGridLayout;
    pad->setSpacing(5);
    pad->addWidget(cmdBack, 0, 0, 1, 2);
    pad->addWidget(cmdClearEntry, 0, 2);
    pad->addWidget(cmdClear, 0, 3);
    const QList<QList<QPushButton *>> rows = {{cmd7, cmd8, cmd9, cmdDivide},
                                              {cmd4, cmd5, cmd6, cmdMultiply},
                                              {cmd1, cmd2, cmd3, cmdSubtract},
                                              {cmd0, cmdDecimal, cmdEquals, cmdAdd}};
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column)
            pad->addWidget(rows[row][column], row + 1, column);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(readoutPanel);
    layout->addLayout(pad, 1);
    resize(270, 300);
}

void frmCalc::connectKeys()
{
    for (QPushButton *button : digits())
        connect(button, &QPushButton::clicked, this, [this, button] { Digit(button->text()); });
    connect(cmdDecimal, &QPushButton::clicked, this, &frmCalc::DecimalPoint);
    for (QPushButton *button : {cmdAdd, cmdSubtract, cmdMultiply, cmdDivide, cmdEquals})
        connect(button, &QPushButton::clicked, this, [this, button] { Operator(button->text()); });
    connect(cmdBack, &QPushButton::clicked, this, &frmCalc::Back);
    connect(cmdClearEntry, &QPushButton::clicked, this, &frmCalc::ClearEntry);
    connect(cmdClear, &QPushButton::clicked, this, &frmCalc::Clear);
    RouteKeys(this,
              [this](int key, Qt::KeyboardModifiers modifiers) { return KeyDown(key, modifiers); });
}

std::array<QPushButton *, 10> frmCalc::digits() const
{
    return {cmd0, cmd1, cmd2, cmd3, cmd4, cmd5, cmd6, cmd7, cmd8, cmd9};
}

void frmCalc::Form_Load()
{
    CentreWindow(this);
    Reset();
}

void frmCalc::Digit(const QString &digit)
{
    if (LastInput != Number) {
        lblReadOut->clear();
        ShowFormatted();
        DecimalFlag = false;
    }
    const QString before = lblReadOut->text();
    QString entered = before + digit;
    if (!before.isEmpty() && before.startsWith(QLatin1Char('0'))
        && !before.contains(QLatin1Char('.')))
        entered.remove(0, 1);
    // A number beyond what the calculator can hold takes no more digits.
    if (std::isfinite(ValueOf(entered)))
        lblReadOut->setText(entered);
    ShowFormatted();
    LastInput = Number;
}

void frmCalc::DecimalPoint()
{
    if (LastInput != Number)
        lblReadOut->setText(QStringLiteral("0."));
    else if (!DecimalFlag)
        lblReadOut->setText(lblReadOut->text() + QLatin1Char('.'));
    ShowFormatted();
    DecimalFlag = true;
    LastInput = Number;
}

void frmCalc::Operator(const QString &op)
{
    if (LastInput == Number)
        ++NumOps;
    if (NumOps == 1) {
        Op1 = ValueOf(lblReadOut->text());
    } else if (NumOps == 2) {
        Op2 = ValueOf(lblReadOut->text());
        double result = Op1;
        if (OpFlag == QLatin1String("+")) {
            result = Op1 + Op2;
        } else if (OpFlag == QLatin1String("-")) {
            result = Op1 - Op2;
        } else if (OpFlag == QLatin1String("*")) {
            result = Op1 * Op2;
        } else if (OpFlag == QLatin1String("/")) {
            if (Op2 != 0)
                result = Op1 / Op2;
            else
                MsgBox(QStringLiteral("Can't Divide by Zero"), vbExclamation,
                       QStringLiteral("Calculator"));
        } else if (OpFlag == QLatin1String("=")) {
            result = Op2;
        }
        // A result beyond a double's range is refused like a division by zero: the running
        // result stays as it was.
        if (std::isfinite(result))
            Op1 = result;
        else
            MsgBox(QStringLiteral("The result is too large for the calculator."), vbExclamation,
                   QStringLiteral("Calculator"));
        lblReadOut->setText(QString::number(Op1, 'g', 15).toUpper());
        ShowFormatted();
        NumOps = 1;
    }
    LastInput = OperatorKey;
    OpFlag = op;
}

void frmCalc::Back()
{
    const QString text = lblReadOut->text();
    if (!text.isEmpty()) {
        lblReadOut->setText(text.left(text.size() - 1));
        ShowFormatted();
    }
    update();
    LastInput = Number;
    DecimalFlag = lblReadOut->text().contains(QLatin1Char('.'));
}

void frmCalc::ClearEntry()
{
    lblReadOut->clear();
    ShowFormatted();
    DecimalFlag = false;
    LastInput = EntryCleared;
}

void frmCalc::Clear()
{
    lblReadOut->clear();
    ShowFormatted();
    Reset();
}

void frmCalc::Reset()
{
    lblReadOut->clear();
    ShowFormatted();
    LastInput = NoInput;
    DecimalFlag = false;
    NumOps = 0;
}

void frmCalc::ShowFormatted()
{
    lblReadout2->setText(Formatted(ValueOf(lblReadOut->text())));
}

double frmCalc::ValueOf(const QString &readout)
{
    QString text = readout.trimmed();
    while (!text.isEmpty()) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok || std::isinf(value))
            return value;
        text.chop(1);
    }
    return 0;
}

QString frmCalc::Formatted(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    // Whatever rounds to zero shows as zero, never as a negative zero.
    if (std::fabs(value) < 0.5 * std::pow(10.0, -kMaxDecimals))
        value = 0;
    QString text = locale.toString(value, 'f', kMaxDecimals);
    const qsizetype point = text.lastIndexOf(locale.decimalPoint());
    if (point < 0)
        return text;
    const qsizetype shortest = point + locale.decimalPoint().size() + 2;
    const QString zero = locale.zeroDigit();
    while (text.size() > shortest && text.endsWith(zero))
        text.chop(zero.size());
    return text;
}

template<class Action> bool frmCalc::press(QPushButton *button, Action action)
{
    button->setFocus();
    action();
    return true;
}

bool frmCalc::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool keypad = modifiers & Qt::KeypadModifier;
    const auto op = [this](QPushButton *button, const char *text) {
        return press(button, [this, text] { Operator(QString::fromLatin1(text)); });
    };
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        // Shifted digits above the letters are symbols; of those only "*" means anything here.
        if (shift && !keypad)
            return digit == 8 ? op(cmdMultiply, "*") : false;
        QPushButton *button = digits()[static_cast<size_t>(digit)];
        return press(button, [this, button] { Digit(button->text()); });
    }
    switch (key) {
    case Qt::Key_Backspace:
        return press(cmdBack, [this] { Back(); });
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Equal:
        // Enter works out the result and leaves it in view, as "=" does.
        return shift ? op(cmdAdd, "+") : op(cmdEquals, "=");
    case Qt::Key_Delete:
        return press(cmdClearEntry, [this] { ClearEntry(); });
    case Qt::Key_C:
        // Ctrl+C copies what the read-out shows, as everywhere else on the desktop.
        if (modifiers & Qt::ControlModifier) {
            QGuiApplication::clipboard()->setText(lblReadout2->text());
            return true;
        }
        return press(cmdClear, [this] { Clear(); });
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Asterisk:
        return op(cmdMultiply, "*");
    case Qt::Key_Plus:
        return op(cmdAdd, "+");
    case Qt::Key_Minus:
        return op(cmdSubtract, "-");
    case Qt::Key_Slash:
        return op(cmdDivide, "/");
    case Qt::Key_Period:
        return press(cmdDecimal, [this] { DecimalPoint(); });
    case Qt::Key_Comma:
        // The key pad's decimal key, where the keyboard's layout gives it a comma.
        return keypad ? press(cmdDecimal, [this] { DecimalPoint(); }) : false;
    default:
        return false;
    }
}
