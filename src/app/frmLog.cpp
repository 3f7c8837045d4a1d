#include "app/frmLog.h"

#include "app/CLog.h"
#include "app/modGlobals.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ToolBar.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

const QStringList kColumns = {QStringLiteral("Time"), QStringLiteral("Level"),
                              QStringLiteral("Message")};

} // namespace

// The entries as the list shows them. The entries are the only copy of the log in memory: the
// texts of a row are made when the row is painted, so a log of a million lines opens quickly.
class LogModel : public QAbstractTableModel
{
public:
    explicit LogModel(QObject *parent)
        : QAbstractTableModel(parent)
    { }

    void setEntries(QList<CLogEntry> entries)
    {
        beginResetModel();
        entries_ = std::move(entries);
        order_.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(entries_.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(kColumns.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return kColumns.value(section);
        return {};
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return text(entryAt(index.row()), index.column());
    }

    // A stable sort: rows that compare equal keep the order they were written in. Time sorts
    // by when, whatever the date's display form.
    void sort(int column, Qt::SortOrder order) override
    {
        emit layoutAboutToBeChanged();
        if (order_.empty()) {
            order_.resize(size_t(entries_.size()));
            std::iota(order_.begin(), order_.end(), 0);
        }
        const auto less = [&](int a, int b) {
            const CLogEntry &x = entries_[a];
            const CLogEntry &y = entries_[b];
            if (column == 0)
                return x.dtDate < y.dtDate;
            return text(x, column) < text(y, column);
        };
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
        });
        emit layoutChanged();
    }

private:
    const CLogEntry &entryAt(int row) const
    {
        return entries_[order_.empty() ? row : order_[size_t(row)]];
    }
    static QString text(const CLogEntry &entry, int column)
    {
        switch (column) {
        case 0:
            return entry.dtDate.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
        case 1:
            return CLog::levelText(entry.iType);
        default:
            return entry.sMsg;
        }
    }

    QList<CLogEntry> entries_;
    // The rows' places in entries_ once sorted; empty while they stand in file order.
    std::vector<int> order_;
};

frmLog::frmLog(QWidget *parent)
    : FormDialog(parent)
    , lstLog(Named(new QTreeView(this), QStringLiteral("lstLog")))
    , tbrMain(NamedToolBar(
              QStringLiteral("tbrMain"), this,
              {
                      {"kSep1"},
                      {"kCancel", "Close", "window-close", QStyle::SP_DialogCancelButton},
              }))
    , model_(new LogModel(this))
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("View Log File"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    lstLog->setAccessibleName(QStringLiteral("Log entries"));
    lstLog->setModel(model_);
    lstLog->setRootIsDecorated(false);
    lstLog->setUniformRowHeights(true);
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
    connect(lstLog->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { model_->sort(column, lstLog->header()->sortIndicatorOrder()); });
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
    QList<CLogEntry> entries = oLog->getEntries(vLogStart);
    QString error;
    if (oLog->isError(error))
        MsgBox(error, vbOKOnly, QStringLiteral("APP Error"));
    // The lines that did read are listed even when others did not, so nothing is hidden.
    model_->setEntries(std::move(entries));
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
