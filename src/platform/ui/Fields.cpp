#include "platform/ui/Fields.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

class SelectAllFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto *box = static_cast<QLineEdit *>(watched);
            // After the focus change has settled, or a mouse click would undo the selection.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
            box->selectAll();
        }
        return false;
    }
};

class EnterFilter : public QObject
{
public:
    EnterFilter(QWidget *box, std::function<void()> action)
        : QObject(box)
        , action_(std::move(action))
    { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        action_();
        return true;
    }

private:
    std::function<void()> action_;
};

QString withoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

} // namespace

QLabel *FieldLabel(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    QString name = withoutMnemonic(text);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name);
    return label;
}

void SelectAllOnFocus(QLineEdit *box)
{
    box->installEventFilter(new SelectAllFilter(box));
}

void OnEnter(QWidget *box, std::function<void()> action)
{
    box->installEventFilter(new EnterFilter(box, std::move(action)));
}

void PictureButton(QAbstractButton *button, const QString &toolTip)
{
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
}

QHBoxLayout *ButtonRow(const QList<QAbstractButton *> &buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QAbstractButton *button : buttons)
        row->addWidget(button);
    return row;
}
