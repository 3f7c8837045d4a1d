#include "catalogue/frmSearch.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "catalogue/DiskSearchControls.h"
#include "catalogue/DiskWalk.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/ToolBar.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const QString kHeading = QStringLiteral("=> ");
const QString kIndent = QStringLiteral("     ");

} // namespace

frmSearch::frmSearch(QWidget *parent)
    : FormDialog(parent)
    , tbrMain2(DiskSearchToolBar(this))
    , Text1(NamedTextBox(QStringLiteral("Text1"), this))
    , Drive1(Named(new DriveListBox(this), QStringLiteral("Drive1")))
    , Dir1(Named(new DirListBox(this), QStringLiteral("Dir1")))
    , List1(FoundList(this))
    , Label4(FoundCount(this))
    , lblSearching(NamedLabel(QStringLiteral("lblSearching"),
                              QStringLiteral("Searching for file ..."), this))
    , cmdFind(NamedDialogButton(QStringLiteral("cmdFind"), QStringLiteral("&Find"), this, true))
    , cmdCancel(NamedDialogButton(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"), this))
    , cmdClose(NamedDialogButton(QStringLiteral("cmdClose"), QStringLiteral("C&lose"), this))
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search for file"));
    Text1->setText(QStringLiteral("*.*"));
    QFont bold = lblSearching->font();
    bold.setBold(true);
    lblSearching->setFont(bold);
    cmdCancel->setEnabled(false);
    layOut();
    connectHandlers();
}

// The pattern looked for over the start folder and the files found.
void frmSearch::layOut()
{
    QVBoxLayout *left = StartFolderColumn(Drive1, Dir1, this);
    QHBoxLayout *count = FoundCountRow(List1, Label4, this);
    count->addWidget(lblSearching);
    auto *right = new QVBoxLayout;
    right->addLayout(count);
    right->addWidget(List1, 1);

    auto *lists = new QHBoxLayout;
    lists->addLayout(left, 2);
    lists->addLayout(right, 3);

    auto *name = new QHBoxLayout;
    name->addWidget(FieldLabel(QStringLiteral("&Enter File Name to Search:"), Text1, this));
    name->addWidget(Text1, 1);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->addLayout(name);
    body->addSpacing(4);
    body->addLayout(lists, 1);
    body->addLayout(ButtonRow({cmdFind, cmdCancel, cmdClose}));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbrMain2);
    layout->addLayout(body, 1);
    resize(720, 480);
}

void frmSearch::connectHandlers()
{
    connect(Drive1, &DriveListBox::driveChanged, this, &frmSearch::Drive1_Change);
    connect(Dir1, &DirListBox::pathChanged, this, [this](const QString &path) {
        const QSignalBlocker blocker(Drive1);
        Drive1->setDrive(path);
    });
    connect(cmdFind, &QPushButton::clicked, this, &frmSearch::cmdFind_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSearch::cmdCancel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmSearch::cmdClose_Click);
    connect(tbrMain2, &KeyedToolBar::ButtonClick, this, &frmSearch::tbrMain2_ButtonClick);
    OnEnter(Text1, [this] {
        if (!searching_)
            cmdFind_Click();
    });
}

void frmSearch::Form_Load()
{
    CentreWindow(this);
    Dir1->setPath(Utils().getExePath());
    lblSearching->setVisible(false);
}

void frmSearch::Drive1_Change()
{
    Dir1->setPath(Drive1->rootPath());
}

void frmSearch::setSearching(bool on)
{
    searching_ = on;
    lblSearching->setVisible(on);
    cmdFind->setEnabled(!on);
    cmdClose->setEnabled(!on);
    Dir1->setEnabled(!on);
    Drive1->setEnabled(!on);
    cmdCancel->setEnabled(on);
}

void frmSearch::cmdFind_Click()
{
    if (searching_)
        return;
    setSearching(true);
    List1->clear();
    pending_.clear();
    Label4->setText(QStringLiteral("0"));
    DirectoryLines = 0;
    CancelSearch = false;
    ErrorTrap([&] { runSearch(); });
    setSearching(false);
    Label4->setText(QString::number(filesFound()));
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        reject();
    }
}

void frmSearch::runSearch()
{
    const QString mask = Trim(Text1->text());
    DiskWalkOptions options;
    options.cancel = &CancelSearch;
    options.yieldEveryMs = yieldEveryMs;
    options.showFound = [this] {
        if (pending_.isEmpty())
            return;
        List1->addItems(pending_);
        pending_.clear();
    };
    const fs::WalkResult result = DiskWalk(
            Dir1->Path(),
            [this, &mask](const QString &directory, const QStringList &files) {
                bool heading = false;
                for (const QString &file : files) {
                    if (!fs::MatchesWildcard(file, mask))
                        continue;
                    if (!heading) {
                        heading = true;
                        pending_ << kHeading + directory;
                        ++DirectoryLines;
                    }
                    pending_ << kIndent + file;
                }
                return true;
            },
            options);
    // The walk went on past what it could not read or name; say so once it is over.
    const QString problems = WalkProblems(
            result, [&mask](const QString &shownAs) { return fs::MatchesWildcard(shownAs, mask); });
    if (!problems.isEmpty())
        ErrorBox(problems);
}

qint64 frmSearch::filesFound() const
{
    return List1->count() - DirectoryLines;
}

void frmSearch::cmdCancel_Click()
{
    CancelSearch = true;
    lblSearching->setVisible(false);
}

void frmSearch::cmdClose_Click()
{
    reject();
}

void frmSearch::reject()
{
    // The walk runs inside this window's event handling: stop it, and close once it has unwound.
    if (searching_) {
        closeWhenDone_ = true;
        cmdCancel_Click();
        return;
    }
    FormDialog::reject();
}

void frmSearch::tbrMain2_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kCancel2"))
        cmdClose_Click();
    else if (key == QLatin1String("kHelp2"))
        MsgBox(QStringLiteral("Search for a file on system. Click Cancel to Stop the Search."),
               vbInformation);
}
