#include "security/PasswordWindow.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Fields.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordWindow::PasswordWindow(const QString &name, const QString &title, const QString &note,
                               QWidget *parent)
    : FormDialog(parent)
    , cmdOK(NamedButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), this))
    , cmdCancel(NamedButton(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), this))
    , Label3(NamedLabel(QStringLiteral("Label3"), note, this))
{
    setObjectName(name);
    setWindowTitle(title);
    Label3->setWordWrap(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QLineEdit *PasswordWindow::textBox(const QString &name, bool masked)
{
    return masked ? NamedPasswordBox(name, this) : NamedTextBox(name, this);
}

QLayout *PasswordWindow::fieldRows(const QList<std::pair<QString, QLineEdit *>> &rows)
{
    auto *form = new QFormLayout;
    for (const auto &[label, box] : rows) {
        form->addRow(FieldLabel(label, box, this), box);
        fields_ << box;
    }
    return form;
}

void PasswordWindow::arrange(QLayout *fields, bool noteFirst, int width)
{
    auto *layout = new QVBoxLayout(this);
    if (noteFirst)
        layout->addWidget(Label3);
    layout->addLayout(fields);
    if (!noteFirst)
        layout->addWidget(Label3);
    layout->addLayout(ButtonRow({cmdOK, cmdCancel}));
    QWidget *previous = nullptr;
    for (QWidget *next :
         QList<QWidget *>(fields_.cbegin(), fields_.cend()) + QList<QWidget *>{cmdOK, cmdCancel}) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    if (!fields_.isEmpty())
        fields_.first()->setFocus();
    resize(width, sizeHint().height());
}
