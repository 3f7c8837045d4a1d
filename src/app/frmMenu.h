#pragma once

#include "platform/ui/Form.h"

#include <array>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;

// The program's home: the tasks as picture buttons in four collapsible sections, and a menu bar.
class frmMenu : public FormMainWindow
{
    Q_OBJECT
public:
    explicit frmMenu(QWidget *parent = nullptr);
    ~frmMenu() override;

    // Section headers, their title labels and the frames holding their buttons.
    QFrame *Picture1, *Picture2, *Picture3, *Picture4;
    QLabel *lblFilemgr, *lblDocMgr, *lblCInfo, *lblSysMgr;
    QFrame *Frame1, *Frame2, *Frame3, *Frame4;

    QPushButton *cmdAdd, *cmdDisplay, *cmdSearch, *cmdFileReports;
    // Beside the file tasks: the catalogued volumes.
    QPushButton *cmdVolumes = nullptr;
    QPushButton *cmdSnippets, *cmdDocReports;
    QPushButton *cmdGroups, *cmdPatterns, *cmdWebName, *cmdCReports;
    QPushButton *cmdUsers, *cmdDatabase, *cmdSysReports;

    QMenu *mnuFile, *mnuView, *mnuSetup, *mnuLogfile, *mnuHelp;
    QAction *mnuChangePass, *mnuLogin, *mnuExit;
    QAction *mnuCalculater, *mnuCalendar;
    QAction *mnuViewLog, *mnuClearLog, *mnuAddEditUsers, *mnuDatabase;
    QAction *mnuAbout, *mnuAboutHelp;

    void Form_Load() override;
    // A click on a section's header or title: expands it when it is collapsed.
    void Picture_Click(int section);
    void Picture1_Click() { Picture_Click(1); }
    void Picture2_Click() { Picture_Click(2); }
    void Picture3_Click() { Picture_Click(3); }
    void Picture4_Click() { Picture_Click(4); }
    // A header that shrinks hides its buttons.
    void Picture_Resize(int section);
    bool sectionCollapsed(int section) const { return collapsed_[section - 1]; }

    void cmdUsers_Click();
    void cmdDatabase_Click();
    void mnuExit_Click();
    void mnuLogin_Click();
    void mnuViewLog_Click();
    void mnuClearLog_Click();
    void mnuAddEditUsers_Click();
    void mnuDatabase_Click();
    void mnuAbout_Click();
    void mnuAboutHelp_Click();

    // The one access rule: only the group "administrator" may set up and administer users.
    static bool IsAdministrator();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Opens a task's window, with the menu as its owner or with none.
    void openTask(const QString &window, bool owned);
    // The constructor's parts, in the order the controls are made.
    void buildSections();
    QLabel *buildTitle(QFrame *header, size_t sectionIndex);
    QFrame *buildTaskFrame(QFrame *header, int section);
    void buildTasks();
    void buildMenus();
    void connectMenus();
    bool allowed();
    void placeSections();
    bool askToLeave();
    void unload();

    std::array<QFrame *, 4> headers_{};
    std::array<QLabel *, 4> titles_{};
    std::array<QFrame *, 4> frames_{};
    std::array<bool, 4> collapsed_{true, true, true, true};
    std::array<int, 4> heights_{};
    bool unloading_ = false;
};

// Makes a new main menu the current one and shows it, modally or not.
void ShowNewMainMenu(bool modal);
