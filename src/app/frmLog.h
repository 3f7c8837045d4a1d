#pragma once

#include "platform/ui/Form.h"

#include <QVariant>

class CLog;
class KeyedToolBar;
class QTreeWidget;

// The log viewer: lists the entries of a log from a start time on.
class frmLog : public FormDialog
{
    Q_OBJECT
public:
    explicit frmLog(QWidget *parent = nullptr);

    // Set by the opener before the window is shown.
    CLog *oLog = nullptr;
    QVariant vLogStart;

    QTreeWidget *lstLog;
    KeyedToolBar *tbrMain;

    void Form_Load() override;
    void ShowEntries();
    void tbrMain_ButtonClick(const QString &key);
    void CloseLog();
};

// Shows the shared log from its first entry, modally over owner.
void ShowLogViewer(QWidget *owner);
// The program's error report: log the entry, show the viewer when the program is interactive
// (with the main menu's pointer back to normal), then reset the log's flags. A caller may show
// its own message between the entry and the viewer.
void ReportError(qint16 type, const QString &text, const QString &message = {}, int style = 0);
