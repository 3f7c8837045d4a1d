#pragma once

#include "platform/ui/Form.h"

class QFrame;
class QLabel;
class QTimer;

// Shown at start-up for a moment; any key or a click closes it sooner.
class frmSplash : public FormDialog
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    QFrame *Frame1;
    QLabel *Picture1;
    QLabel *lblProductName;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *lblDescription2;
    QFrame *Line1;
    QFrame *Line1b;
    QTimer *Timer1;

    void Form_Load() override;
    void Form_KeyPress();
    void Frame1_Click();
    void Timer1_Timer();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();
};
