#pragma once

#include "platform/ui/Form.h"

#include <QStringList>

// A help window: fixed lines of text painted from the top left; a click anywhere closes it.
class HelpWindow : public FormDialog
{
    Q_OBJECT
public:
    HelpWindow(const QString &name, int widthTwips, int heightTwips, QStringList lines,
               QWidget *parent);

    const QStringList &lines() const { return lines_; }

    void Form_Load() override;
    void Form_Paint();
    void Form_Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int widthTwips_;
    int heightTwips_;
    QStringList lines_;
};

// Help for the import window.
class frmHelpAdd : public HelpWindow
{
    Q_OBJECT
public:
    explicit frmHelpAdd(QWidget *parent = nullptr);
};

// Help for the catalogue browser.
class frmHelpShow : public HelpWindow
{
    Q_OBJECT
public:
    explicit frmHelpShow(QWidget *parent = nullptr);
};

// Help for the snippet notebook.
class frmHelpSnip : public HelpWindow
{
    Q_OBJECT
public:
    explicit frmHelpSnip(QWidget *parent = nullptr);
};
