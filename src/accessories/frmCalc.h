#pragma once

#include "platform/ui/Form.h"

#include <array>

class QLabel;
class QPushButton;

// The desk calculator: four functions on double-precision numbers, worked with its buttons or
// the keyboard. The raw read-out holds the number as entered; the formatted read-out, lying over
// it, shows the same value with grouped thousands.
class frmCalc : public FormDialog
{
    Q_OBJECT
public:
    explicit frmCalc(QWidget *parent = nullptr);

    QPushButton *cmd0, *cmd1, *cmd2, *cmd3, *cmd4, *cmd5, *cmd6, *cmd7, *cmd8, *cmd9;
    QPushButton *cmdDecimal, *cmdAdd, *cmdSubtract, *cmdMultiply, *cmdDivide, *cmdEquals;
    QPushButton *cmdClear, *cmdClearEntry, *cmdBack;
    QLabel *lblReadOut;
    QLabel *lblReadout2;

    // What was pressed last: nothing yet (after a reset), a digit or point, an operator, or CE.
    enum Input { NoInput = 0, Number = 1, OperatorKey = 2, EntryCleared = 3 };
    int LastInput = NoInput;
    bool DecimalFlag = false;
    // Operands taken since the last reset: 0, 1 or 2.
    int NumOps = 0;
    double Op1 = 0;
    double Op2 = 0;
    QString OpFlag;

    void Form_Load() override;
    void Digit(const QString &digit);
    void DecimalPoint();
    void Operator(const QString &op);
    void Back();
    void ClearEntry();
    void Clear();
    void Reset();
    void ShowFormatted();
    // A key pressed on the window or one of its buttons; false for a key the calculator has no
    // use for.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The value of a read-out as the calculator reads it: its longest leading number, 0 when it
    // has none.
    static double ValueOf(const QString &readout);
    // A value in the formatted read-out's style: grouped thousands, two to seven decimals.
    static QString Formatted(double value);

private:
    // The constructor's parts, in the order the controls are made (which is their tab order).
    void buildKeys();
    QWidget *buildReadout();
    // The read-out over the key pad.
    void layOut(QWidget *readoutPanel);
    void connectKeys();
    std::array<QPushButton *, 10> digits() const;
    // Moves the focus to button, as the key standing for it does, and runs action.
    template<class Action> bool press(QPushButton *button, Action action);
};
