#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QPushButton;

class frmAbout : public FormDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblWebPage;
    QLabel *lblWebAddr;
    QLabel *lblDescription;
    QPushButton *cmdOK;

    void Form_Load() override;
    void cmdOK_Click();
    void lblWebPage_Click();
    void lblWebAddr_Click();

private:
    void layOut();
};
