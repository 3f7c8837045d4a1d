#pragma once

#include <QString>

#include <functional>

class ProgressBox;
class QWidget;

// Message box styles, as decimal codes: buttons, icon and default button added together.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbCritical = 16,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
};

// The button a message box was closed with.
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// The application title, used where a message box is given none.
QString AppTitle();

// Everything that waits for a person goes through these, so that tests can script them.
int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = {});
// The error trap's message: "Error: " and the description, OK only, the application's title.
void ErrorBox(const QString &description);
// The one way a window turns a failure into the "Error: " box: runs step, and when it fails,
// ends it there and shows ErrorBox(context + the failure's description). Tells whether step ran
// to its end, so that a caller whose later steps depend on it can stop (or go on) as it needs.
bool ErrorTrap(const std::function<void()> &step, const QString &context = {});
QString InputBox(const QString &prompt, const QString &title = {}, const QString &defaultText = {});
int ShowModal(QWidget *window, QWidget *owner = nullptr);
// Asks where to save a file, starting at suggestedName; filter as QFileDialog takes it. The
// suffix of suggestedName is added to a name typed without one. Empty on Cancel.
QString SaveFileName(const QString &caption, const QString &suggestedName, const QString &filter);
// The name a save offers first: name (less the characters a file name cannot hold; fallback when
// nothing is left) with suffix, in the user's documents folder, or in the home folder when that
// folder does not exist (a new account has none yet), so that the save offered can be written.
QString SuggestedSavePath(const QString &name, const QString &suffix, const QString &fallback);
void OpenWithShell(const QString &address);
// Ends the program at once: every window closes and the event loops stop.
void EndProgram();
bool ProgramEnded();

// What stands behind the calls above. The real one shows Qt's boxes; a test installs its own.
class UiDriver
{
public:
    virtual ~UiDriver() = default;
    virtual int msgBox(const QString &prompt, int style, const QString &title) = 0;
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    virtual int showModal(QWidget *window, QWidget *owner) = 0;
    virtual QString saveFileName(const QString &caption, const QString &suggestedName,
                                 const QString &filter) = 0;
    virtual void openWithShell(const QString &address) = 0;
    virtual void endProgram() = 0;
    // A progress window (ProgressBox): shown as its work starts, told each new count, closed at
    // the end. A driver that shows nothing may leave these alone.
    virtual void progressShown(ProgressBox &) { }
    virtual void progressChanged(ProgressBox &) { }
    virtual void progressClosed(ProgressBox &) { }
};

// The driver installed now, for the few helpers that talk to it directly.
UiDriver &CurrentUiDriver();

// Installs a driver (nullptr restores the real one); the caller keeps ownership.
void SetUiDriver(UiDriver *driver);
// Clears the ended flag, for a program or test that starts a new session in the same process.
void ResetProgramEnded();
