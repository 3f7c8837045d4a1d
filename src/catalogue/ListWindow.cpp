#include "catalogue/ListWindow.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "app/session.h"
#include "platform/db/DataControl.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"
#include "reports/ShowReport.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {

KeyedToolBar *listToolBar(QWidget *parent)
{
    return NamedToolBar(
            QStringLiteral("Toolbar1"), parent,
            {
                    {"kSep0"},
                    {"kExit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
                    {"kSep1"},
                    {"kUpdate", "Update", "document-save", QStyle::SP_DialogSaveButton},
                    {"kSep2"},
                    {"kNew", "New", "document-new", QStyle::SP_FileDialogNewFolder},
                    {"kSep3"},
                    {"kDelete", "Delete", "edit-delete", QStyle::SP_TrashIcon},
                    {"kSep4"},
                    {"kRefresh", "Refresh", "view-refresh", QStyle::SP_BrowserReload},
                    {"kSep5"},
                    {"kPrint", "Print Report", "document-print", QStyle::SP_FileDialogInfoView},
                    {"kSep6"},
                    {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
            });
}

} // namespace

ListWindow::ListWindow(const ListDefinition &definition, QWidget *parent)
    : FormDialog(parent)
    , Adodc1(Named(new db::DataControl(this), QStringLiteral("Adodc1")))
    , Toolbar1(listToolBar(this))
    , PName(NamedTextBox(QStringLiteral("PName"), this))
    , txtIndex(NamedTextBox(QStringLiteral("txtIndex"), this))
    , lblGrid(NamedLabel(QStringLiteral("lblGrid"), definition.gridCaption, this))
    , DataGrid1(Named(new QTableView(this), QStringLiteral("DataGrid1")))
    , barAdodc1(Named(new DataControlBar(Adodc1, this), QStringLiteral("barAdodc1")))
    , definition_(definition)
{
    setObjectName(definition.name);
    setWindowTitle(definition.title);
    // The number is the picked row's, never typed.
    txtIndex->setReadOnly(true);
    txtIndex->setMaximumWidth(90);
    DataGrid1->setAccessibleName(definition.gridCaption);
    QFont bold = lblGrid->font();
    bold.setBold(true);
    lblGrid->setFont(bold);
    layOut();

    BindGrid(DataGrid1, Adodc1, {definition.column}, [this] { DataGrid1_DblClick(); });
    // Enter in the name saves it: a change of the picked row, or else a new one.
    OnEnter(PName, [this] {
        Toolbar1_ButtonClick(pickedRow() >= 0 ? QStringLiteral("kUpdate") : QStringLiteral("kNew"));
    });
    connect(Toolbar1, &KeyedToolBar::ButtonClick, this, &ListWindow::Toolbar1_ButtonClick);
}

// The name and number over the grid, under the tool bar.
void ListWindow::layOut()
{
    auto *fields = new QGridLayout;
    fields->addWidget(FieldLabel(definition_.fieldLabel, PName, this), 0, 0);
    fields->addWidget(PName, 0, 1);
    fields->addWidget(FieldLabel(QStringLiteral("&No.:"), txtIndex, this), 0, 2);
    fields->addWidget(txtIndex, 0, 3);
    fields->setColumnStretch(1, 1);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->addLayout(fields);
    body->addSpacing(6);
    body->addWidget(lblGrid);
    body->addWidget(DataGrid1, 1);
    body->addWidget(barAdodc1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Toolbar1);
    layout->addLayout(body, 1);
    resize(460, 440);
}

void ListWindow::Form_Load()
{
    CentreWindow(this);
    ErrorTrap([this] {
        Adodc1->ConnectionString = ConnectString;
        Adodc1->setRecordSource(definition_.list);
        Adodc1->Refresh();
        Adodc1->setColumnCaption(definition_.column, definition_.columnCaption);
    });
    ShowRecordPosition();
}

void ListWindow::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kExit"))
        HandleExitClick();
    else if (key == QLatin1String("kUpdate"))
        ConfirmUpdate();
    else if (key == QLatin1String("kNew"))
        AddNewRecord();
    else if (key == QLatin1String("kDelete"))
        HandleDeleteClick();
    else if (key == QLatin1String("kRefresh"))
        RefreshList();
    else if (key == QLatin1String("kPrint"))
        PrintList();
    else if (key == QLatin1String("kHelp"))
        MsgBox(definition_.helpText, vbInformation);
}

void ListWindow::ShowRecordPosition()
{
    try {
        Adodc1->Refresh();
        ShowColumns(DataGrid1, Adodc1, {definition_.column});
        if (Adodc1->RecordCount() == 0) {
            barAdodc1->setCaption(QString());
            return;
        }
        Adodc1->setCurrentRow(0);
        barAdodc1->setCaption(Adodc1->Caption());
    } catch (const std::exception &) {
        // The caption is a courtesy; a grid that cannot be read says so when it is used.
    }
}

void ListWindow::ClearTextBox()
{
    PName->clear();
    txtIndex->clear();
    picked_.clear();
}

void ListWindow::HandleExitClick()
{
    close();
}

void ListWindow::DataGrid1_DblClick()
{
    if (Adodc1->CurrentRow() < 0)
        return;
    ErrorTrap([this] {
        const QVariant name = Adodc1->Fields(definition_.column);
        const QVariant row = Adodc1->Fields(QStringLiteral("Inum"));
        PName->setText(TextOf(name));
        txtIndex->setText(TextOf(row));
        picked_ = db::RowAsRead(definition_.table, QStringLiteral("Inum"), row);
        picked_.read(definition_.column, name);
        switchButton(kNewButton, false);
    });
}

void ListWindow::restoreList()
{
    Adodc1->setRecordSource(definition_.list);
    ShowRecordPosition();
}

void ListWindow::RefreshList()
{
    ErrorTrap([this] {
        restoreList();
        ClearTextBox();
        switchButton(kNewButton, true);
        switchButton(kUpdateButton, true);
        PName->setFocus();
    });
}

void ListWindow::SelectFromList()
{
    ReopenConnection();
    db::Recordset &rs = SharedRecordset();
    RunOn(rs, definition_.list.Text(), definition_.list.values);
    rs.Requery();
    restoreList();
}

void ListWindow::PrintList()
{
    if (!confirm(definition_.printQuestion, QStringLiteral("Print Confirmation")))
        return;
    ErrorTrap([this] {
        ShowReport(definition_.report, definition_.printSql, definition_.printValues, {}, this);
    });
}

void ListWindow::refuse(const QString &message)
{
    MsgBox(message, vbCritical, QStringLiteral("Error!"));
}

bool ListWindow::confirm(const QString &question, const QString &title)
{
    return MsgBox(question, vbYesNo + vbCritical, title) == vbYes;
}

QString ListWindow::typedName() const
{
    return Trim(PName->text());
}

qint64 ListWindow::pickedRow() const
{
    bool ok = false;
    const qint64 row = txtIndex->text().trimmed().toLongLong(&ok);
    return ok ? row : -1;
}

void ListWindow::switchButton(int position, bool on)
{
    if (QAction *button = Toolbar1->buttonAt(position))
        button->setEnabled(on);
}

void ListWindow::insertName(const QString &name)
{
    ReopenConnection();
    RunCommand(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                       .arg(definition_.table, definition_.column),
               {name});
    restoreList();
}

db::RowAsRead ListWindow::pickedAsRead(qint64 row) const
{
    return !picked_.isEmpty() && picked_.key().toLongLong() == row
            ? picked_
            : db::RowAsRead(definition_.table, QStringLiteral("Inum"), row);
}

void ListWindow::writePicked(const std::function<void(const db::RowAsRead &, qint64)> &write)
{
    const qint64 row = pickedRow();
    try {
        write(pickedAsRead(row), row);
    } catch (const db::RowChangedError &) {
        // The fields keep what was typed; the grid shows what the other desk left.
        try {
            Adodc1->Refresh();
        } catch (const std::exception &) { }
        throw;
    }
}

void ListWindow::updatePickedName(const QString &name)
{
    writePicked([&](const db::RowAsRead &asRead, qint64 row) {
        RunUpdateAsRead(asRead,
                        QStringLiteral("UPDATE %1 SET %2 = ? WHERE Inum = ?")
                                .arg(definition_.table, definition_.column),
                        {name, row});
    });
}

void ListWindow::deletePickedRow()
{
    writePicked([&](const db::RowAsRead &asRead, qint64 row) {
        RunDeleteAsRead(asRead,
                        QStringLiteral("DELETE FROM %1 WHERE Inum = ?").arg(definition_.table),
                        {row});
    });
}

bool ListWindow::withOneRetry(const std::function<void()> &step)
{
    for (int attempt = 1;; ++attempt) {
        try {
            step();
            return true;
        } catch (const db::RowChangedError &error) {
            // Trying again cannot help: the row stays as the other desk left it.
            ErrorBox(error.description());
            return false;
        } catch (const std::exception &error) {
            const QString description = QString::fromUtf8(error.what());
            if (attempt > 1) {
                MsgBox(description);
                return false;
            }
            if (MsgBox(description, vbOKCancel) != vbOK)
                return false;
        }
    }
}
