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
    // Presses Cancel in the progress windows as soon as a count reaches count (-1: never).
    void cancelProgressAt(qint64 count) { cancelProgressAt_ = count; }
    // Runs handler at every change of a progress window, once its text is recorded: the moment
    // for a test to change the disk under the work, or to press Cancel.
    void onProgress(std::function<void(ProgressBox &)> handler)
    {
        onProgress_ = std::move(handler);
    }
    // Expects windows of this objectName to be shown modally and runs handler for each; without
    // a handler the window is closed at once. A window that no script expected is closed at once
    // too, and counts as unexpected.
    void onModal(const QString &windowName, ModalHandler handler = {})
    {
        handlers_[windowName] = std::move(handler);
    }

    // From now on, whatever the script does not answer is answered as a user in a hurry would,
    // and counts as expected: a message box with Yes where it asks Yes or No and its default
    // button otherwise, an input box with input, a save dialog with Cancel; a window closes at
    // once. For tests that look only for what must never happen, whatever is asked.
    void answerEverything(const QString &input)
    {
        permissive_ = true;
        permissiveInput_ = input;
    }

    QList<Shown> messages;
    QStringList prompts;
    // The captions of the save-file dialogs shown.
    QStringList saveDialogs;
    QStringList modals;
    // The objectName of each modal window's owner, empty for none.
    QStringList owners;
    QStringList launched;
    int endings = 0;
    // The title of each progress window shown, and every count the windows were given.
    QStringList progressWindows;
    QList<qint64> progressCounts;
    QStringList progressTexts;
    // Message boxes, input boxes and windows that no script expected; the fixture fails the test
    // when any are left.
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
    void progressShown(ProgressBox &box) override;
    void progressChanged(ProgressBox &box) override;

private:
    QList<int> answers_;
    QStringList inputs_;
    QStringList savePaths_;
    qint64 cancelProgressAt_ = -1;
    std::function<void(ProgressBox &)> onProgress_;
    bool permissive_ = false;
    QString permissiveInput_;
    std::map<QString, ModalHandler> handlers_;
};
