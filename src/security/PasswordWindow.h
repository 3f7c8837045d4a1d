#pragma once

#include "platform/ui/Form.h"

#include <QList>

#include <utility>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

// What the windows that ask for passwords share: OK and Cancel that press only when clicked
// (Enter is handled by the boxes themselves), a wrapped note, and text boxes that select their
// text on focus, named by their labels, masked where they hold a password.
class PasswordWindow : public FormDialog
{
    Q_OBJECT
public:
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QLabel *Label3;

    virtual void cmdOK_Click() = 0;
    virtual void cmdCancel_Click() = 0;

protected:
    PasswordWindow(const QString &name, const QString &title, const QString &note, QWidget *parent);

    QLineEdit *textBox(const QString &name, bool masked);
    // The fields under their labels, one row each.
    QLayout *fieldRows(const QList<std::pair<QString, QLineEdit *>> &rows);
    // The note above or below the fields, the buttons at the foot, and the window's width.
    // The fields come first in the Tab order, OK and Cancel after them, and the window opens
    // with the focus in the first field.
    void arrange(QLayout *fields, bool noteFirst, int width);

private:
    QList<QLineEdit *> fields_;
};
