#include "platform/ui/Dialogs.h"

#include "platform/ui/Form.h"
#include "platform/ui/Progress.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <map>

namespace {

bool g_ended = false;

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

class RealUi : public UiDriver
{
public:
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        QMessageBox box(iconOf(style), title, prompt);
        QList<QPair<QMessageBox::StandardButton, int>> buttons;
        switch (style & 0x7) {
        case vbOKCancel:
            buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbYesNo:
            buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
            break;
        default:
            buttons = {{QMessageBox::Ok, vbOK}};
            break;
        }
        for (const auto &button : buttons)
            box.addButton(button.first);
        const int preferred = (style & vbDefaultButton2) && buttons.size() > 1 ? 1 : 0;
        box.setDefaultButton(buttons[preferred].first);
        box.setEscapeButton(buttons.size() > 1 ? buttons[1].first : buttons[0].first);
        box.exec();
        for (const auto &button : buttons) {
            if (box.clickedButton() == box.button(button.first))
                return button.second;
        }
        return buttons.size() > 1 ? buttons[1].second : buttons[0].second;
    }

    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                                   QLineEdit::Normal, defaultText, &ok);
        return ok ? text : QString();
    }

    int showModal(QWidget *window, QWidget *) override
    {
        if (auto *dialog = qobject_cast<QDialog *>(window))
            return dialog->exec();
        // A main window shown modally: wait until it closes.
        QPointer<QWidget> guard(window);
        QEventLoop loop;
        QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        while (guard && guard->isVisible() && !g_ended)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        return 0;
    }

    QString saveFileName(const QString &caption, const QString &suggestedName,
                         const QString &filter) override
    {
        QFileDialog dialog(QApplication::activeWindow(), caption, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QFileInfo(suggestedName).suffix());
        dialog.selectFile(suggestedName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    void openWithShell(const QString &address) override
    {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }

    void endProgram() override
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible())
                window->close();
        }
        QCoreApplication::exit(0);
    }

    void progressShown(ProgressBox &box) override
    {
        auto *dialog = new QProgressDialog(box.Text(), QStringLiteral("Cancel"), 0, 0, box.Owner());
        dialog->setObjectName(QStringLiteral("dlgProgress"));
        dialog->setWindowTitle(box.Title());
        // While the work yields to the event loop, only this window takes input.
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumWidth(420);
        QObject::connect(dialog, &QProgressDialog::canceled, dialog, [&box] { box.Cancel(); });
        CentreWindow(dialog);
        dialog->show();
        progress_[&box] = {dialog, {}};
        progress_[&box].shown.start();
    }

    void progressChanged(ProgressBox &box) override
    {
        const auto found = progress_.find(&box);
        if (found == progress_.end() || !found->second.dialog)
            return;
        // Counts come faster than anyone reads them; a few changes a second are enough.
        if (found->second.shown.isValid() && found->second.shown.elapsed() < 50)
            return;
        found->second.shown.restart();
        found->second.dialog->setLabelText(box.Text());
    }

    void progressClosed(ProgressBox &box) override
    {
        const auto found = progress_.find(&box);
        if (found == progress_.end())
            return;
        delete found->second.dialog.data();
        progress_.erase(found);
    }

private:
    struct ProgressWindow
    {
        QPointer<QProgressDialog> dialog;
        QElapsedTimer shown;
    };
    std::map<ProgressBox *, ProgressWindow> progress_;
};

RealUi g_realUi;
UiDriver *g_driver = &g_realUi;

} // namespace

QString AppTitle()
{
    return QStringLiteral("Corvina");
}

UiDriver &CurrentUiDriver()
{
    return *g_driver;
}

void SetUiDriver(UiDriver *driver)
{
    g_driver = driver ? driver : &g_realUi;
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    return g_driver->msgBox(prompt, style, title.isEmpty() ? AppTitle() : title);
}

void ErrorBox(const QString &description)
{
    MsgBox(QStringLiteral("Error: ") + description);
}

bool ErrorTrap(const std::function<void()> &step, const QString &context)
{
    try {
        step();
        return true;
    } catch (const std::exception &error) {
        ErrorBox(context + QString::fromUtf8(error.what()));
    }
    return false;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    return g_driver->inputBox(prompt, title.isEmpty() ? AppTitle() : title, defaultText);
}

int ShowModal(QWidget *window, QWidget *owner)
{
    if (auto *form = dynamic_cast<FormLoad *>(window))
        form->ensureLoaded();
    return g_driver->showModal(window, owner);
}

QString SaveFileName(const QString &caption, const QString &suggestedName, const QString &filter)
{
    return g_driver->saveFileName(caption, suggestedName, filter);
}

QString SuggestedSavePath(const QString &name, const QString &suffix, const QString &fallback)
{
    static const QRegularExpression kNotInNames(QStringLiteral("[/\\\\:*?\"<>|]"));
    QString file = QString(name).replace(kNotInNames, QStringLiteral("-")).trimmed();
    if (file.isEmpty())
        file = fallback;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(file + QLatin1Char('.') + suffix);
}

void OpenWithShell(const QString &address)
{
    g_driver->openWithShell(address);
}

void EndProgram()
{
    g_ended = true;
    g_driver->endProgram();
}

bool ProgramEnded()
{
    return g_ended;
}

void ResetProgramEnded()
{
    g_ended = false;
}
