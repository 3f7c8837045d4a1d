#include "app/frmMenu.h"

#include "app/AppIcon.h"
#include "app/CLog.h"
#include "app/CUtils.h"
#include "app/frmLog.h"
#include "app/modGlobals.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/WindowCatalogue.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kCollapsed = 1200;
constexpr int kExpanded = 1600;
constexpr int kFrameTop = 1040;
constexpr int kWidth = 4800;
constexpr int kInnerHeight = 5200;

QIcon icon(const QString &theme, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(theme, QApplication::style()->standardIcon(fallback));
}

QPushButton *taskButton(const QString &name, const QString &toolTip, const QIcon &picture,
                        QWidget *parent)
{
    QPushButton *button = NamedButton(name, QString(), parent);
    button->setIcon(picture);
    button->setIconSize(QSize(28, 28));
    button->setFlat(true);
    button->setFixedSize(44, 38);
    button->setCursor(Qt::PointingHandCursor);
    PictureButton(button, toolTip);
    return button;
}

const char *const kHeaderStyle =
        "QFrame#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2, stop:1 %3);"
        " border-bottom: 1px solid #10243d; }"
        "QFrame#%1:focus { border: 1px dotted white; }"
        "QLabel { color: white; background: transparent; }";

// Each section: its header, the header's title label, the frame of its task buttons, its title
// and its picture.
struct Section
{
    QFrame *frmMenu::*header;
    const char *headerName;
    QLabel *frmMenu::*title;
    const char *titleName;
    QFrame *frmMenu::*frame;
    const char *caption;
    QStyle::StandardPixmap picture;
};
const Section kSections[] = {
        {&frmMenu::Picture1, "Picture1", &frmMenu::lblFilemgr, "lblFilemgr", &frmMenu::Frame1,
         "File Management", QStyle::SP_DirOpenIcon},
        {&frmMenu::Picture2, "Picture2", &frmMenu::lblDocMgr, "lblDocMgr", &frmMenu::Frame2,
         "Snippet Management", QStyle::SP_FileIcon},
        {&frmMenu::Picture3, "Picture3", &frmMenu::lblCInfo, "lblCInfo", &frmMenu::Frame3,
         "Common Information", QStyle::SP_DriveNetIcon},
        {&frmMenu::Picture4, "Picture4", &frmMenu::lblSysMgr, "lblSysMgr", &frmMenu::Frame4,
         "System Manager", QStyle::SP_ComputerIcon},
};

// Each task: its button, tool tip, section and picture, and the window it opens (with the menu
// as owner or none). A task whose window this program lacks stays in view, disabled.
struct Task
{
    QPushButton *frmMenu::*button;
    const char *name;
    const char *toolTip;
    int section;
    const char *themeIcon;
    QStyle::StandardPixmap fallback;
    const char *window;
    bool owned;
    void (frmMenu::*handler)();
    // The group of reports a report button offers.
    const char *reportGroup = nullptr;
};
const Task kTasks[] = {
        {&frmMenu::cmdAdd, "cmdAdd", "Add Files To Database", 1, "list-add",
         QStyle::SP_FileDialogNewFolder, "frmAdd", true, nullptr},
        {&frmMenu::cmdDisplay, "cmdDisplay", "View Files in Database", 1, "view-list-details",
         QStyle::SP_FileDialogDetailedView, "frmShow", true, nullptr},
        {&frmMenu::cmdSearch, "cmdSearch", "Seacrh for File", 1, "edit-find",
         QStyle::SP_FileDialogContentsView, "frmSearch", true, nullptr},
        {&frmMenu::cmdFileReports, "cmdFileReports", "File Management Reports", 1, "document-print",
         QStyle::SP_FileDialogInfoView, "frmReports", false, nullptr, "1"},
        {&frmMenu::cmdVolumes, "cmdVolumes", "Catalogued Volumes", 1, "drive-removable-media",
         QStyle::SP_DriveHDIcon, "frmVolumes", true, nullptr},
        {&frmMenu::cmdSnippets, "cmdSnippets", "View Snippets in Database", 2, "text-x-generic",
         QStyle::SP_FileIcon, "frmSnippet", true, nullptr},
        {&frmMenu::cmdDocReports, "cmdDocReports", "Snippet Reports", 2, "document-print",
         QStyle::SP_FileDialogInfoView, "frmReports", false, nullptr, "2"},
        {&frmMenu::cmdGroups, "cmdGroups", "Add New File Group", 3, "folder-new",
         QStyle::SP_DirIcon, "frmGroups", true, nullptr},
        {&frmMenu::cmdPatterns, "cmdPatterns", "Add File Patterns", 3, "view-filter",
         QStyle::SP_FileDialogListView, "frmPatterns", true, nullptr},
        {&frmMenu::cmdWebName, "cmdWebName", "Add Web Information", 3, "applications-internet",
         QStyle::SP_DriveNetIcon, "frmWebInfo", true, nullptr},
        {&frmMenu::cmdCReports, "cmdCReports", "Reports", 3, "document-print",
         QStyle::SP_FileDialogInfoView, "frmReports", false, nullptr, "3"},
        {&frmMenu::cmdUsers, "cmdUsers", "Add/Edit Users", 4, "system-users",
         QStyle::SP_DirHomeIcon, "frmUser", false, &frmMenu::cmdUsers_Click},
        {&frmMenu::cmdDatabase, "cmdDatabase", "Setup Database", 4, "drive-harddisk",
         QStyle::SP_DriveHDIcon, "frmSetup", true, &frmMenu::cmdDatabase_Click},
        {&frmMenu::cmdSysReports, "cmdSysReports", "Database Reports", 4, "document-print",
         QStyle::SP_FileDialogInfoView, "frmReports", false, nullptr, "4"},
};

// Items of the menu bar that open a window: they stay in view, disabled, while this program
// lacks the window.
struct WindowItem
{
    QAction *frmMenu::*action;
    const char *window;
    bool owned;
    void (frmMenu::*handler)();
};
const WindowItem kWindowItems[] = {
        {&frmMenu::mnuChangePass, "frmChangePass", false, nullptr},
        {&frmMenu::mnuCalculater, "frmCalc", false, nullptr},
        {&frmMenu::mnuCalendar, "frmCalendar", false, nullptr},
        {&frmMenu::mnuViewLog, "frmLog", true, &frmMenu::mnuViewLog_Click},
        {&frmMenu::mnuAddEditUsers, "frmUser", false, &frmMenu::mnuAddEditUsers_Click},
        {&frmMenu::mnuDatabase, "frmSetup", true, &frmMenu::mnuDatabase_Click},
        {&frmMenu::mnuAbout, "frmAbout", true, &frmMenu::mnuAbout_Click},
};

} // namespace

frmMenu::frmMenu(QWidget *parent)
    : FormMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("ZEP Main Menu"));
    setWindowIcon(AppIcon());
    buildSections();
    buildTasks();
    buildMenus();
    connectMenus();
    setFixedSize(Twips(this, kWidth), menuBar()->sizeHint().height() + Twips(this, kInnerHeight));
    placeSections();
}

frmMenu::~frmMenu()
{
    if (MainMenu() == this)
        SetMainMenu(nullptr);
}

void frmMenu::buildSections()
{
    auto *area = Named(new QWidget(this), QStringLiteral("area"));
    setCentralWidget(area);
    for (size_t i = 0; i < std::size(kSections); ++i) {
        const Section &section = kSections[i];
        auto *header = Named(new QFrame(area), QString::fromLatin1(section.headerName));
        header->setFocusPolicy(Qt::StrongFocus);
        header->setAccessibleName(QString::fromLatin1(section.caption));
        header->setCursor(Qt::PointingHandCursor);
        header->installEventFilter(this);
        headers_[i] = this->*section.header = header;
        titles_[i] = this->*section.title = buildTitle(header, i);
        frames_[i] = this->*section.frame = buildTaskFrame(header, static_cast<int>(i) + 1);
        heights_[i] = Twips(this, kCollapsed);
    }
}

// The picture and title across a section's header: a click on either is a click on the header.
QLabel *frmMenu::buildTitle(QFrame *header, size_t sectionIndex)
{
    const Section &section = kSections[sectionIndex];
    auto *pictureLabel = new QLabel(header);
    pictureLabel->setPixmap(QApplication::style()->standardIcon(section.picture).pixmap(24, 24));
    QLabel *title = NamedLabel(QString::fromLatin1(section.titleName),
                               QString::fromLatin1(section.caption), header);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    title->setFont(font);
    title->installEventFilter(this);
    pictureLabel->installEventFilter(this);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(12, 0, 12, 0);
    row->addWidget(pictureLabel);
    row->addWidget(title, 1);
    auto *titleArea = new QWidget(header);
    titleArea->setLayout(row);
    titleArea->setGeometry(0, 0, Twips(this, kWidth), Twips(this, kFrameTop));
    titleArea->setAttribute(Qt::WA_TransparentForMouseEvents);
    return title;
}

// The frame of a section's task buttons, shown while the section is expanded.
QFrame *frmMenu::buildTaskFrame(QFrame *header, int section)
{
    auto *frame = Named(new QFrame(header), QStringLiteral("Frame%1").arg(section));
    // The strip follows the palette, dark or light.
    frame->setStyleSheet(QStringLiteral("QFrame#Frame%1 { background: palette(alternate-base); }"
                                        "QPushButton { background: transparent; }")
                                 .arg(section));
    auto *buttons = new QHBoxLayout(frame);
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->setSpacing(6);
    frame->hide();
    return frame;
}

void frmMenu::buildTasks()
{
    for (const Task &task : kTasks) {
        QFrame *frame = frames_[static_cast<size_t>(task.section - 1)];
        QPushButton *button = this->*task.button =
                taskButton(QString::fromLatin1(task.name), QString::fromLatin1(task.toolTip),
                           icon(QString::fromLatin1(task.themeIcon), task.fallback), frame);
        frame->layout()->addWidget(button);
        const QString window = QString::fromLatin1(task.window);
        button->setEnabled(WindowRegistered(window));
        if (task.handler)
            connect(button, &QPushButton::clicked, this, task.handler);
        else
            connect(button, &QPushButton::clicked, this,
                    [this, window, owned = task.owned, group = task.reportGroup] {
                        if (group)
                            ReportGroup = QString::fromLatin1(group);
                        openTask(window, owned);
                    });
    }
    for (QFrame *frame : frames_)
        static_cast<QHBoxLayout *>(frame->layout())->addStretch();
}

void frmMenu::buildMenus()
{
    QMenuBar *bar = menuBar();
    mnuFile = Named(bar->addMenu(QStringLiteral("&File")), QStringLiteral("mnuFile"));
    mnuChangePass = NamedItem(mnuFile, QStringLiteral("mnuChangePass"),
                              QStringLiteral("&Change User Password"));
    mnuFile->addSeparator();
    mnuLogin = NamedItem(mnuFile, QStringLiteral("mnuLogin"), QStringLiteral("&User Login"));
    mnuFile->addSeparator();
    mnuExit = NamedItem(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"),
                        QKeySequence(QStringLiteral("Alt+F4")));

    mnuView = Named(bar->addMenu(QStringLiteral("&View")), QStringLiteral("mnuView"));
    mnuCalculater =
            NamedItem(mnuView, QStringLiteral("mnuCalculater"), QStringLiteral("&Calculater"));
    mnuView->addSeparator();
    mnuCalendar = NamedItem(mnuView, QStringLiteral("mnuCalendar"), QStringLiteral("Calendar"));

    mnuSetup = Named(bar->addMenu(QStringLiteral("&Setup")), QStringLiteral("mnuSetup"));
    mnuLogfile = Named(mnuSetup->addMenu(QStringLiteral("Log File")), QStringLiteral("mnuLogfile"));
    mnuViewLog = NamedItem(mnuLogfile, QStringLiteral("mnuViewLog"), QStringLiteral("&View Log"));
    mnuClearLog =
            NamedItem(mnuLogfile, QStringLiteral("mnuClearLog"), QStringLiteral("&Clear Log"));
    mnuSetup->addSeparator();
    mnuAddEditUsers = NamedItem(mnuSetup, QStringLiteral("mnuAddEditUsers"),
                                QStringLiteral("Add/&Edit Users"));
    mnuSetup->addSeparator();
    mnuDatabase =
            NamedItem(mnuSetup, QStringLiteral("mnuDatabase"), QStringLiteral("&Change Database"));

    mnuHelp = Named(bar->addMenu(QStringLiteral("&Help")), QStringLiteral("mnuHelp"));
    mnuAbout = NamedItem(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About"));
    mnuHelp->addSeparator();
    mnuAboutHelp = NamedItem(mnuHelp, QStringLiteral("mnuAboutHelp"), QStringLiteral("&Help"));
}

void frmMenu::connectMenus()
{
    for (const WindowItem &item : kWindowItems) {
        QAction *action = this->*item.action;
        const QString window = QString::fromLatin1(item.window);
        action->setEnabled(WindowRegistered(window));
        if (item.handler)
            connect(action, &QAction::triggered, this, item.handler);
        else
            connect(action, &QAction::triggered, this,
                    [this, window, owned = item.owned] { openTask(window, owned); });
    }
    connect(mnuExit, &QAction::triggered, this, &frmMenu::mnuExit_Click);
    connect(mnuLogin, &QAction::triggered, this, &frmMenu::mnuLogin_Click);
    connect(mnuClearLog, &QAction::triggered, this, &frmMenu::mnuClearLog_Click);
    connect(mnuAboutHelp, &QAction::triggered, this, &frmMenu::mnuAboutHelp_Click);
}

void frmMenu::placeSections()
{
    const int width = Twips(this, kWidth);
    int top = 0;
    for (size_t i = 0; i < headers_.size(); ++i) {
        const bool expanded = !collapsed_[i];
        headers_[i]->setStyleSheet(
                QString::fromLatin1(kHeaderStyle)
                        .arg(headers_[i]->objectName(),
                             expanded ? QStringLiteral("#4a7fb8") : QStringLiteral("#35618f"),
                             expanded ? QStringLiteral("#2a5384") : QStringLiteral("#1f3f66")));
        headers_[i]->setGeometry(0, top, width, heights_[i]);
        frames_[i]->setGeometry(0, frames_[i]->y(), width, Twips(this, kExpanded - kFrameTop));
        top += heights_[i];
    }
}

void frmMenu::Form_Load()
{
    for (size_t i = 0; i < headers_.size(); ++i) {
        frames_[i]->hide();
        heights_[i] = Twips(this, kCollapsed);
        collapsed_[i] = true;
    }
    placeSections();
    CentreWindow(this);
    Relogin = false;
    if (LoginDisabled) {
        mnuChangePass->setEnabled(false);
        mnuLogin->setEnabled(false);
    }
    if (!IsAdministrator()) {
        mnuDatabase->setEnabled(false);
        mnuAddEditUsers->setEnabled(false);
    }
    Picture_Click(1);
}

void frmMenu::Picture_Click(int section)
{
    const size_t clicked = static_cast<size_t>(section - 1);
    if (clicked >= headers_.size() || !collapsed_[clicked])
        return;
    for (size_t i = 0; i < headers_.size(); ++i) {
        const int height = Twips(this, i == clicked ? kExpanded : kCollapsed);
        const bool shrinks = height < heights_[i];
        heights_[i] = height;
        collapsed_[i] = i != clicked;
        if (shrinks)
            Picture_Resize(static_cast<int>(i) + 1);
    }
    frames_[clicked]->move(0, Twips(this, kFrameTop));
    frames_[clicked]->setVisible(frames_[clicked]->isHidden());
    placeSections();
}

void frmMenu::Picture_Resize(int section)
{
    QFrame *frame = frames_[static_cast<size_t>(section - 1)];
    if (!frame->isHidden())
        frame->hide();
}

bool frmMenu::eventFilter(QObject *watched, QEvent *event)
{
    for (size_t i = 0; i < headers_.size(); ++i) {
        const bool onHeader = watched == headers_[i] || watched == titles_[i]
                || (watched->parent() && watched->parent()->parent() == headers_[i]
                    && watched->parent() != frames_[i]);
        if (!onHeader)
            continue;
        if (event->type() == QEvent::MouseButtonRelease) {
            Picture_Click(static_cast<int>(i) + 1);
            return true;
        }
        if (event->type() == QEvent::KeyPress && watched == headers_[i]) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                Picture_Click(static_cast<int>(i) + 1);
                return true;
            }
        }
    }
    return FormMainWindow::eventFilter(watched, event);
}

bool frmMenu::IsAdministrator()
{
    return Trim(CurrentGroup).toLower() == QLatin1String("administrator");
}

bool frmMenu::allowed()
{
    if (IsAdministrator())
        return true;
    MsgBox(QStringLiteral("You do not have access rights to this task."), vbExclamation);
    return false;
}

void frmMenu::openTask(const QString &window, bool owned)
{
    OpenWindow(window, owned ? this : nullptr);
}

void frmMenu::cmdUsers_Click()
{
    if (allowed())
        mnuAddEditUsers_Click();
}

void frmMenu::cmdDatabase_Click()
{
    if (allowed())
        mnuDatabase_Click();
}

bool frmMenu::askToLeave()
{
    MsgText = QStringLiteral("This will end your current session.");
    MsgStyle = QStringLiteral("65");
    MsgAnswer = QString::number(MsgBox(MsgText, MsgStyle.toInt(), QStringLiteral("Session Exit")));
    return MsgAnswer == QLatin1String("1");
}

void frmMenu::mnuExit_Click()
{
    if (askToLeave())
        EndProgram();
}

void frmMenu::unload()
{
    unloading_ = true;
    if (MainMenu() == this)
        SetMainMenu(nullptr);
    setAttribute(Qt::WA_DeleteOnClose);
    close();
}

void frmMenu::mnuLogin_Click()
{
    if (!askToLeave())
        return;
    unload();
    Relogin = true;
    OpenWindow(QStringLiteral("frmLogin"));
}

void frmMenu::mnuViewLog_Click()
{
    ShowLogViewer(this);
}

void frmMenu::mnuClearLog_Click()
{
    Log().clearContents();
    // A log that could not be emptied is not reported as cleared.
    QString error;
    if (Log().isError(error))
        ErrorBox(error);
    else
        MsgBox(QStringLiteral("Log File has been cleared."), vbInformation);
}

void frmMenu::mnuAddEditUsers_Click()
{
    openTask(QStringLiteral("frmUser"), false);
}

void frmMenu::mnuDatabase_Click()
{
    openTask(QStringLiteral("frmSetup"), true);
}

void frmMenu::mnuAbout_Click()
{
    openTask(QStringLiteral("frmAbout"), true);
}

void frmMenu::mnuAboutHelp_Click()
{
    MsgBox(QStringLiteral("Corvina."), vbInformation);
}

void frmMenu::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Closing the home window ends the session, unless it is giving way to a new login.
    if (!unloading_ && !ProgramEnded())
        EndProgram();
}

void ShowNewMainMenu(bool modal)
{
    auto *menu = new frmMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    SetMainMenu(menu);
    if (modal)
        ShowModal(menu);
    else
        menu->show();
}
