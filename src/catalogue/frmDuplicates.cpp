#include "catalogue/frmDuplicates.h"

#include "app/session.h"
#include "catalogue/Duplicates.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kRowRole = Qt::UserRole;

QString summaryOf(const catalogue::CopyListing &listing)
{
    if (listing.groups.isEmpty())
        return QStringLiteral("No copies found. Only files added with Add Folder while \"Record "
                              "checksums\" is ticked are compared.");
    QString text = QStringLiteral("Groups of identical files: %1; removing the extra copies "
                                  "would free %2.")
                           .arg(listing.allGroups)
                           .arg(catalogue::SizeText(listing.allWaste));
    if (listing.cut)
        text += QStringLiteral(" Only the first %1 files are listed, from the groups that waste "
                               "most.")
                        .arg(listing.rows);
    return text;
}

QTreeWidgetItem *headingOf(const catalogue::CopyGroup &group, QTreeWidget *list)
{
    auto *heading = new QTreeWidgetItem(list, {catalogue::CopiesCaption(group)});
    heading->setData(0, kRowRole, qint64(-1));
    heading->setFirstColumnSpanned(true);
    heading->setFlags(Qt::ItemIsEnabled);
    QFont bold = list->font();
    bold.setBold(true);
    heading->setFont(0, bold);
    heading->setToolTip(0,
                        QStringLiteral("Checksum %1; %2 could be freed.")
                                .arg(group.checksum, catalogue::SizeText(group.waste())));
    return heading;
}

} // namespace

frmDuplicates::frmDuplicates(QWidget *parent)
    : FormDialog(parent)
    , lblSummary(NamedLabel(QStringLiteral("lblSummary"), QString(), this))
    , lstCopies(Named(new QTreeWidget(this), QStringLiteral("lstCopies")))
    , cmdGoTo(NamedButton(QStringLiteral("cmdGoTo"), QStringLiteral("&Go To File"), this,
                          QStringLiteral("Show this file in the catalogue.")))
    , cmdClose(NamedButton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), this))
{
    setObjectName(QStringLiteral("frmDuplicates"));
    setWindowTitle(QStringLiteral("Duplicate Files"));
    lblSummary->setWordWrap(true);
    setUpList();
    cmdGoTo->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(lblSummary);
    layout->addWidget(
            FieldLabel(QStringLiteral("&Files with the same contents:"), lstCopies, this));
    layout->addWidget(lstCopies, 1);
    layout->addLayout(ButtonRow({cmdGoTo, cmdClose}));
    resize(760, 480);
    connectHandlers();
}

void frmDuplicates::setUpList()
{
    lstCopies->setHeaderLabels(
            {QStringLiteral("File Path"), QStringLiteral("Group"), QStringLiteral("Web Site")});
    // The order is the point of the list: the groups that waste most come first.
    lstCopies->setSortingEnabled(false);
    lstCopies->setUniformRowHeights(true);
    lstCopies->setAlternatingRowColors(true);
    lstCopies->setToolTip(
            QStringLiteral("Double click on a file, or press Enter, to find it in the catalogue."));
    lstCopies->header()->setStretchLastSection(false);
    lstCopies->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstCopies->setColumnWidth(1, 110);
    lstCopies->setColumnWidth(2, 150);
}

void frmDuplicates::connectHandlers()
{
    connect(lstCopies, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { lstCopies_DblClick(item); });
    connect(lstCopies, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { cmdGoTo->setEnabled(RowOf(item) >= 0); });
    connect(cmdGoTo, &QPushButton::clicked, this, &frmDuplicates::cmdGoTo_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmDuplicates::cmdClose_Click);
    OnEnter(lstCopies, [this] {
        QTreeWidgetItem *item = lstCopies->currentItem();
        if (item && RowOf(item) < 0)
            item->setExpanded(!item->isExpanded());
        else
            choose(item);
    });
}

void frmDuplicates::Form_Load()
{
    CentreWindow(this);
    LoadCopies();
}

void frmDuplicates::LoadCopies()
{
    lstCopies->clear();
    ErrorTrap([&] {
        ReopenConnection();
        const catalogue::CopyListing listing =
                catalogue::FindCopies(SharedConnection(), MaxGroups, MaxRows);
        lblSummary->setText(summaryOf(listing));
        for (const catalogue::CopyGroup &group : listing.groups) {
            QTreeWidgetItem *heading = headingOf(group, lstCopies);
            for (const catalogue::CopyRow &row : group.rows) {
                auto *line = new QTreeWidgetItem(heading, {row.path, row.group, row.site});
                line->setData(0, kRowRole, row.row);
                line->setToolTip(0, row.path);
            }
        }
        lstCopies->expandAll();
        // The first file of the first group, ready for Enter.
        if (QTreeWidgetItem *first = lstCopies->topLevelItem(0))
            lstCopies->setCurrentItem(first->child(0));
    });
}

qint64 frmDuplicates::RowOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kRowRole).toLongLong() : -1;
}

void frmDuplicates::choose(QTreeWidgetItem *item)
{
    const qint64 row = RowOf(item);
    if (row < 0)
        return;
    emit rowChosen(row);
    accept();
}

void frmDuplicates::lstCopies_DblClick(QTreeWidgetItem *item)
{
    choose(item);
}

void frmDuplicates::cmdGoTo_Click()
{
    choose(lstCopies->currentItem());
}

void frmDuplicates::cmdClose_Click()
{
    reject();
}
