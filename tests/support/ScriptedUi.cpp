#include "ScriptedUi.h"

#include "platform/ui/Progress.h"

#include <QDialog>
#include <QWidget>

namespace {

// The button a user who just presses Enter gets, except that a question is answered Yes.
int defaultAnswer(int style)
{
    switch (style & 0x7) {
    case vbYesNo:
        return vbYes;
    case vbOKCancel:
        return (style & vbDefaultButton2) ? vbCancel : vbOK;
    default:
        return vbOK;
    }
}

} // namespace

QStringList ScriptedUi::texts() const
{
    QStringList result;
    for (const Shown &shown : messages)
        result << shown.text;
    return result;
}

int ScriptedUi::msgBox(const QString &prompt, int style, const QString &title)
{
    messages << Shown{prompt, title, style};
    if (answers_.isEmpty() && permissive_)
        return defaultAnswer(style);
    if (answers_.isEmpty()) {
        unexpected << prompt;
        return vbOK;
    }
    return answers_.takeFirst();
}

QString ScriptedUi::inputBox(const QString &prompt, const QString &, const QString &)
{
    prompts << prompt;
    if (inputs_.isEmpty() && permissive_)
        return permissiveInput_;
    if (inputs_.isEmpty()) {
        unexpected << prompt;
        return {};
    }
    return inputs_.takeFirst();
}

int ScriptedUi::showModal(QWidget *window, QWidget *owner)
{
    const QString name = window->objectName();
    modals << name;
    owners << (owner ? owner->objectName() : QString());
    const auto handler = handlers_.find(name);
    if (handler == handlers_.end() && !permissive_)
        unexpected << QStringLiteral("window ") + name;
    else if (handler != handlers_.end() && handler->second)
        return handler->second(window);
    if (auto *dialog = qobject_cast<QDialog *>(window))
        return dialog->result();
    return 0;
}

QString ScriptedUi::saveFileName(const QString &caption, const QString &, const QString &)
{
    saveDialogs << caption;
    if (savePaths_.isEmpty() && permissive_)
        return {};
    if (savePaths_.isEmpty()) {
        unexpected << caption;
        return {};
    }
    return savePaths_.takeFirst();
}

void ScriptedUi::openWithShell(const QString &address)
{
    launched << address;
}

void ScriptedUi::endProgram()
{
    ++endings;
}

void ScriptedUi::progressShown(ProgressBox &box)
{
    progressWindows << box.Title();
}

void ScriptedUi::progressChanged(ProgressBox &box)
{
    progressCounts << box.Count();
    progressTexts << box.Text();
    if (onProgress_)
        onProgress_(box);
    if (cancelProgressAt_ >= 0 && box.Count() >= cancelProgressAt_)
        box.Cancel();
}
