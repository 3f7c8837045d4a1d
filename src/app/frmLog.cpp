#include "app/frmLog.h"

#include "app/CLog.h"
#include "app/modGlobals.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ToolBar.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A log row sorts by when it was written, whatever the date's display form.
class LogRow : public QTreeWidgetItem
{
public:
    LogRow(const CLogEntry &entry)
        : QTreeWidgetItem({entry.dtDate.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")),
                           CLog::levelText(entry.iType), entry.sMsg})
        , when_(entry.dtDate)
    { }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 0)
            return when_ < static_cast<const LogRow &>(other).when_;
        return QTreeWidgetItem::operator<(other);
    }

private:
    QDateTime when_;
};

} // namespace

frmLog::frmLog(QWidget *parent)
    : FormDialog(parent)
    , lstLog(new QTreeWidget(this))
    , tbrMain(new KeyedToolBar(this))
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("View Log File"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    tbrMain->setObjectName(QStringLiteral("tbrMain"));
    tbrMain->addKeyedSeparator(QStringLiteral("kSep1"));
    tbrMain->addButton(QStringLiteral("kCancel"), QStringLiteral("Close"),
                       QStringLiteral("window-close"), QStyle::SP_DialogCancelButton);

    lstLog->setObjectName(QStringLiteral("lstLog"));
    lstLog->setAccessibleName(QStringLiteral("Log entries"));
    lstLog->setHeaderLabels(
            {QStringLiteral("Time"), QStringLiteral("Level"), QStringLiteral("Message")});
    lstLog->setRootIsDecorated(false);
    // Rows stay in the order they were written until a column header is clicked.
    lstLog->header()->setSectionsClickable(true);
    lstLog->header()->setSortIndicatorShown(true);
    lstLog->header()->setSortIndicator(-1, Qt::AscendingOrder);
    lstLog->setAlternatingRowColors(true);
    lstLog->header()->setStretchLastSection(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbrMain);
    layout->addWidget(lstLog);
    resize(680, 420);

    connect(tbrMain, &KeyedToolBar::ButtonClick, this, &frmLog::tbrMain_ButtonClick);
    connect(lstLog->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        lstLog->sortItems(column, lstLog->header()->sortIndicatorOrder());
    });
}

void frmLog::Form_Load()
{
    CentreWindow(this);
    ShowEntries();
}

void frmLog::ShowEntries()
{
    if (!oLog)
        return;
    const QList<CLogEntry> entries = oLog->getEntries(vLogStart);
    QString error;
    if (oLog->isError(error))
        MsgBox(error, vbOKOnly, QStringLiteral("APP Error"));
    // The lines that did read are listed even when others did not, so nothing is hidden.
    QList<QTreeWidgetItem *> rows;
    rows.reserve(entries.size());
    for (const CLogEntry &entry : entries)
        rows << new LogRow(entry);
    lstLog->addTopLevelItems(rows);
    lstLog->resizeColumnToContents(0);
    lstLog->resizeColumnToContents(1);
}

void frmLog::tbrMain_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kCancel"))
        CloseLog();
}

void frmLog::CloseLog()
{
    close();
}

void ShowLogViewer(QWidget *owner)
{
    frmLog viewer(owner);
    viewer.oLog = &Log();
    viewer.vLogStart = QVariant();
    ShowModal(&viewer, owner);
}
