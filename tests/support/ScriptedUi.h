#pragma once

#include "platform/ui/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>

// Stands in for the person at the desk: answers message and input boxes from a script, runs a
// scripted handler for each modal window, and records everything that was shown.
class ScriptedUi : public UiDriver
{
public:
    struct Shown
    {
        QString text;
        QString title;
        int style = 0;
    };
    using ModalHandler = std::function<int(QWidget *window)>;

    // The next message box is answered with answer.
    void answer(int answer) { answers_ << answer; }
    void input(const QString &text) { inputs_ << text; }
    // The next save-file dialog is answered with path (empty: cancelled).
    void saveAs(const QString &path) { savePaths_ << path; }
    // Runs handler when a window of this objectName is shown modally; without one the window
    // is recorded and closed at once.
    void onModal(const QString &windowName, ModalHandler handler)
    {
        handlers_[windowName] = std::move(handler);
    }

    QList<Shown> messages;
    QStringList prompts;
    // The captions of the save-file dialogs shown.
    QStringList saveDialogs;
    QStringList modals;
    QStringList launched;
    int endings = 0;
    // Message boxes that no script expected; a test fails when any are left.
    QStringList unexpected;

    QStringList texts() const;
    bool scriptDone() const
    {
        return answers_.isEmpty() && inputs_.isEmpty() && savePaths_.isEmpty();
    }

    int msgBox(const QString &prompt, int style, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    int showModal(QWidget *window, QWidget *owner) override;
    QString saveFileName(const QString &caption, const QString &suggestedName,
                         const QString &filter) override;
    void openWithShell(const QString &address) override;
    void endProgram() override;

private:
    QList<int> answers_;
    QStringList inputs_;
    QStringList savePaths_;
    std::map<QString, ModalHandler> handlers_;
};
