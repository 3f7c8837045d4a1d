#include "platform/ui/Progress.h"

#include "platform/ui/Dialogs.h"

#include <QCoreApplication>

ProgressBox::ProgressBox(const QString &title, const QString &text, QWidget *owner)
    : title_(title)
    , text_(text)
    , owner_(owner)
{
    CurrentUiDriver().progressShown(*this);
}

ProgressBox::~ProgressBox()
{
    CurrentUiDriver().progressClosed(*this);
}

void ProgressBox::Update(qint64 count, const QString &text)
{
    count_ = count;
    text_ = text;
    CurrentUiDriver().progressChanged(*this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
