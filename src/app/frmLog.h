#pragma once

#include "platform/ui/Form.h"

#include <QVariant>

class CLog;
class KeyedToolBar;
class LogModel;
class QTreeView;

// The log viewer: lists the entries of a log from a start time on.
class frmLog : public FormDialog
{
    Q_OBJECT
public:
    explicit frmLog(QWidget *parent = nullptr);

    // Set by the opener before the window is shown.
    CLog *oLog = nullptr;
    QVariant vLogStart;

    // The entries in report style; a view over its own model, which holds the only copy.
    QTreeView *lstLog;
    KeyedToolBar *tbrMain;

    void Form_Load() override;
    void ShowEntries();
    void tbrMain_ButtonClick(const QString &key);
    void CloseLog();

private:
    LogModel *model_;
};

// Shows the shared log from its first entry, modally over owner.
void ShowLogViewer(QWidget *owner);
