#pragma once

#include "platform/ui/Form.h"

class KeyedToolBar;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the database file and the log file lie, and whether the login window is shown.
class frmSetup : public FormDialog
{
    Q_OBJECT
public:
    explicit frmSetup(QWidget *parent = nullptr);

    KeyedToolBar *tbrMain;
    QLabel *picIcon;
    QGroupBox *Frame5;
    QLineEdit *txtDB;
    QGroupBox *Frame2;
    QLineEdit *txtDsn;
    QLineEdit *txtServer;
    QGroupBox *Frame3;
    QLineEdit *txtUserId;
    QLineEdit *txtPWD;
    QGroupBox *Frame4;
    QLineEdit *txtLogFile;
    QCheckBox *chkLogin;
    QGroupBox *Frame1;
    QPushButton *cmdUpdate;
    QPushButton *cmdClear;

    void Form_Load() override;
    void chkLogin_Click();
    void cmdUpdate_Click();
    void cmdClear_Click();
    void tbrMain_ButtonClick(const QString &key);

    // The login switch as last recorded by the check box ("1", "0", or empty when untouched).
    QString loginSwitch() const { return loginSwitch_; }

private:
    void layOutFrames();
    void layOut();

    QString loginSwitch_;
};
