#include "catalogue/frmRescan.h"

#include "app/CUtils.h"
#include "app/session.h"
#include "platform/db/DistinctValues.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/Progress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace {

using catalogue::Difference;

const std::array<const char *, 4> kKindNames{"Added", "Changed", "Removed", "Moved"};

QString kindName(Difference::Kind kind)
{
    return QString::fromLatin1(kKindNames[size_t(kind)]);
}

// "2 added, 1 moved": the kinds found, in the list's order; empty when none.
QString countsOf(const std::vector<Difference> &items)
{
    std::array<qint64, 4> counts{};
    for (const Difference &item : items)
        ++counts[size_t(item.kind)];
    QStringList parts;
    for (size_t kind = 0; kind < counts.size(); ++kind)
        if (counts[kind] > 0)
            parts << QStringLiteral("%1 %2")
                             .arg(counts[kind])
                             .arg(QString::fromLatin1(kKindNames[kind]).toLower());
    return parts.join(QStringLiteral(", "));
}

QString appliedText(const catalogue::ApplyResult &result)
{
    QString text = QStringLiteral("Applied: %1 added, %2 changed, %3 removed, %4 moved.")
                           .arg(result.added)
                           .arg(result.changed)
                           .arg(result.removed)
                           .arg(result.moved);
    if (result.skipped > 0)
        text += QStringLiteral("\n%1 left as they are: another desk changed them since the "
                               "comparison.")
                        .arg(result.skipped);
    return text;
}

} // namespace

frmRescan::frmRescan(QWidget *parent)
    : FormDialog(parent)
    , lblSummary(NamedLabel(QStringLiteral("lblSummary"), {}, this))
    , lstChanges(Named(new QTreeWidget(this), QStringLiteral("lstChanges")))
    , cboGroup(NamedCombo(QStringLiteral("cboGroup"), this, true))
    , cboSite(NamedCombo(QStringLiteral("cboSite"), this, true))
    , chkChecksums(NamedCheckBox(QStringLiteral("chkChecksums"), QStringLiteral("Read c&hecksums"),
                                 this))
    , cmdCompare(NamedButton(QStringLiteral("cmdCompare"), QStringLiteral("C&ompare Again"), this,
                             QStringLiteral("Read the folder again and list what differs.")))
    , cmdCheckAll(NamedButton(QStringLiteral("cmdCheckAll"), QStringLiteral("Check A&ll"), this))
    , cmdUncheckAll(
              NamedButton(QStringLiteral("cmdUncheckAll"), QStringLiteral("&Uncheck All"), this))
    , cmdApply(NamedButton(QStringLiteral("cmdApply"), QStringLiteral("&Apply Checked"), this,
                           QStringLiteral("Bring the catalogue in step with the disk for the "
                                          "checked files.")))
    , cmdClose(NamedButton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), this))
{
    setObjectName(QStringLiteral("frmRescan"));
    setWindowTitle(QStringLiteral("Rescan Folder"));
    buildList();
    layOut();
    connectHandlers();
}

void frmRescan::buildList()
{
    lblSummary->setWordWrap(true);
    lstChanges->setRootIsDecorated(false);
    lstChanges->setUniformRowHeights(true);
    lstChanges->setAlternatingRowColors(true);
    lstChanges->setHeaderLabels(
            {QStringLiteral("Change"), QStringLiteral("File"), QStringLiteral("Was")});
    lstChanges->setColumnWidth(0, 110);
    lstChanges->setColumnWidth(1, 380);
    lstChanges->setAccessibleName(QStringLiteral("Differences"));
    lstChanges->setToolTip(QStringLiteral("Space checks or unchecks a difference."));
    chkChecksums->setToolTip(QStringLiteral("Read the contents of added and changed files, by "
                                            "which moved files and copies are told."));
}

void frmRescan::layOut()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(lblSummary);
    layout->addWidget(FieldLabel(QStringLiteral("&Differences:"), lstChanges, this));
    layout->addWidget(lstChanges, 1);
    auto *added = new QGridLayout;
    added->addWidget(FieldLabel(QStringLiteral("Added files' &group:"), cboGroup, this), 0, 0);
    added->addWidget(cboGroup, 0, 1);
    added->addWidget(FieldLabel(QStringLiteral("Added files' web &site:"), cboSite, this), 0, 2);
    added->addWidget(cboSite, 0, 3);
    added->addWidget(chkChecksums, 0, 4);
    added->setColumnStretch(1, 1);
    added->setColumnStretch(3, 1);
    layout->addLayout(added);
    layout->addLayout(ButtonRow({cmdCompare, cmdCheckAll, cmdUncheckAll, cmdApply, cmdClose}));
    resize(760, 500);
}

void frmRescan::connectHandlers()
{
    connect(cmdCompare, &QPushButton::clicked, this, &frmRescan::Compare);
    connect(cmdCheckAll, &QPushButton::clicked, this, [this] { CheckAll(true); });
    connect(cmdUncheckAll, &QPushButton::clicked, this, [this] { CheckAll(false); });
    connect(cmdApply, &QPushButton::clicked, this, &frmRescan::cmdApply_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmRescan::cmdClose_Click);
}

void frmRescan::Form_Load()
{
    CentreWindow(this);
    loadDescriptionLists();
    Compare();
}

void frmRescan::loadDescriptionLists()
{
    ErrorTrap([&] {
        ReopenConnection();
        for (const auto &[list, table, column] : {std::tuple{cboGroup, "CodeTypes", "CodeType"},
                                                  std::tuple{cboSite, "webname", "webname"}}) {
            list->clear();
            list->addItem(QString());
            for (const QVariant &value :
                 db::DistinctValues(SharedConnection(), QString::fromLatin1(table),
                                    QString::fromLatin1(column)))
                list->addItem(TextOf(value));
        }
    });
}

void frmRescan::Compare()
{
    found_.reset();
    const std::optional<fs::VolumeFacts> mounted = catalogue::WhereMounted(Volume, Folder.folder);
    if (!mounted) {
        lstChanges->clear();
        lblSummary->setText(QStringLiteral("The volume \"%1\" is not mounted: plug it in, or "
                                           "mount it, and compare again.")
                                    .arg(Volume.shownName()));
        cmdApply->setEnabled(false);
        return;
    }
    const QString path = catalogue::PathBelow(*mounted, Folder.folder);
    ErrorTrap([&] {
        ProgressBox progress(QStringLiteral("Rescan"),
                             QStringLiteral("Folder: %1\nReading…").arg(path), this);
        qint64 polls = 0;
        catalogue::RescanOptions options;
        options.checksums = chkChecksums->isChecked();
        options.cancelled = [&] {
            progress.Update(++polls, QStringLiteral("Folder: %1\nReading…").arg(path));
            return progress.Cancelled();
        };
        found_ = catalogue::RescanFolder(SharedConnection(), Folder, *mounted, options);
    });
    showDifferences();
}

void frmRescan::showDifferences()
{
    lstChanges->clear();
    if (!found_) {
        lblSummary->setText(QStringLiteral("The folder could not be compared."));
        cmdApply->setEnabled(false);
        return;
    }
    for (const Difference &item : found_->items) {
        const bool moved = item.kind == Difference::Moved;
        auto *line = new QTreeWidgetItem(
                lstChanges,
                {kindName(item.kind), item.kind == Difference::Removed ? item.oldPath : item.path,
                 moved ? item.oldPath : QString()});
        line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
        line->setCheckState(0, Qt::Checked);
        line->setToolTip(1, line->text(1));
    }
    QString summary = found_->cancelled ? QStringLiteral("Cancelled: nothing was changed.")
            : found_->items.empty()
            ? QStringLiteral("The catalogue is in step with the disk: %1 file(s) in %2.")
                      .arg(found_->files)
                      .arg(found_->walkedPath)
            : QStringLiteral("%1 in %2. Nothing is changed until you apply.")
                      .arg(countsOf(found_->items), found_->walkedPath);
    if (!found_->unreadable.isEmpty())
        summary += QStringLiteral(" Folders not read, left as catalogued: %1.")
                           .arg(found_->unreadable.size());
    lblSummary->setText(summary);
    cmdApply->setEnabled(!found_->items.empty());
    if (lstChanges->topLevelItemCount() > 0)
        lstChanges->setCurrentItem(lstChanges->topLevelItem(0));
}

QList<qsizetype> frmRescan::checkedItems() const
{
    QList<qsizetype> checked;
    for (int at = 0; at < lstChanges->topLevelItemCount(); ++at)
        if (lstChanges->topLevelItem(at)->checkState(0) == Qt::Checked)
            checked << at;
    return checked;
}

void frmRescan::CheckAll(bool checked)
{
    for (int at = 0; at < lstChanges->topLevelItemCount(); ++at)
        lstChanges->topLevelItem(at)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void frmRescan::cmdApply_Click()
{
    if (!found_)
        return;
    const QList<qsizetype> checked = checkedItems();
    if (checked.isEmpty()) {
        MsgBox(QStringLiteral("No difference is checked."), vbInformation,
               QStringLiteral("Rescan Folder"));
        return;
    }
    qint64 removals = 0;
    for (qsizetype at : checked)
        removals += found_->items[size_t(at)].kind == Difference::Removed ? 1 : 0;
    if (removals > 0
        && MsgBox(QStringLiteral("Remove %1 file(s) whose files are gone from the catalogue? "
                                 "Their descriptions are lost.")
                          .arg(removals),
                  vbYesNo + vbExclamation + vbDefaultButton2, QStringLiteral("Rescan Folder"))
                != vbYes)
        return;
    FileDescription forAdded;
    forAdded.group = Trim(cboGroup->currentText());
    forAdded.site = Trim(cboSite->currentText());
    catalogue::ApplyResult result;
    if (!ErrorTrap([&] {
            result = catalogue::ApplyDifferences(SharedConnection(), *found_, forAdded, checked);
        }))
        return;
    MsgBox(appliedText(result), vbInformation, QStringLiteral("Rescan Folder"));
    Compare();
}

void frmRescan::cmdClose_Click()
{
    accept();
}
