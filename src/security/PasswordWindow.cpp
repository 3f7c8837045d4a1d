#include "security/PasswordWindow.h"

#include "platform/ui/Fields.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

PasswordWindow::PasswordWindow(const QString &name, const QString &title, const QString &note,
                               QWidget *parent)
    : FormDialog(parent)
    , cmdOK(button(QStringLiteral("cmdOK"), QStringLiteral("OK"), this))
    , cmdCancel(button(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), this))
    , Label3(new QLabel(note, this))
{
    setObjectName(name);
    setWindowTitle(title);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QLineEdit *PasswordWindow::textBox(const QString &name, bool masked)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    if (masked)
        box->setEchoMode(QLineEdit::Password);
    SelectAllOnFocus(box);
    return box;
}

QLayout *PasswordWindow::fieldRows(const QList<std::pair<QString, QLineEdit *>> &rows)
{
    auto *form = new QFormLayout;
    for (const auto &[label, box] : rows)
        form->addRow(FieldLabel(label, box, this), box);
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
    resize(width, sizeHint().height());
}
