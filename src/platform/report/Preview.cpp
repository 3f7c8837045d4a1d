#include "platform/report/Preview.h"

#include "platform/db/Reader.h"
#include "platform/report/Report.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"

#include <QAction>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace report {

namespace {

// The rows of a shown report, read afresh for every page run and every file, so the preview
// itself never holds them. (The preview widget does keep a picture of every page it shows: its
// memory grows with the page count, where printing, PDF and CSV stay flat.)
class ReportSource
{
public:
    ReportSource(const Definition &definition, db::Connection &connection, const QString &sql,
                 const QVariantList &values, const QString &caption)
        : definition_(definition)
        , connection_(connection)
        , sql_(sql)
        , values_(values)
        , caption_(caption)
    { }

    // Runs the statement and binds the columns; throws DbError when either fails.
    void check() const
    {
        db::Reader rows;
        open(rows);
        [[maybe_unused]] const BoundColumns columns(definition_, rows);
    }

    void paint(QPrinter *printer) const
    {
        withRows([&](db::Reader &rows) { Render(definition_, rows, *printer); });
    }

    void savePdf() const
    {
        const QString path = askPath(QStringLiteral("Save as PDF"), QStringLiteral("pdf"),
                                     QStringLiteral("PDF files (*.pdf)"));
        if (!path.isEmpty())
            withRows([&](db::Reader &rows) { SavePdf(definition_, rows, path, caption_); });
    }

    void exportCsv() const
    {
        const QString path = askPath(QStringLiteral("Export CSV"), QStringLiteral("csv"),
                                     QStringLiteral("CSV files (*.csv)"));
        if (!path.isEmpty())
            withRows([&](db::Reader &rows) { ExportCsv(definition_, rows, path); });
    }

private:
    void open(db::Reader &rows) const { rows.Open(sql_, connection_, values_); }

    // Asks for a file, offering one named after the report.
    QString askPath(const QString &title, const QString &suffix, const QString &filter) const
    {
        return SaveFileName(title, SuggestedSavePath(caption_, suffix, QStringLiteral("Report")),
                            filter);
    }

    // The preview's own error trap: its actions run from the event loop, where nothing above
    // them could catch.
    template<typename Work> void withRows(Work work) const
    {
        try {
            db::Reader rows;
            open(rows);
            work(rows);
        } catch (const db::DbError &error) {
            ErrorBox(error.description());
        }
    }

    const Definition &definition_;
    db::Connection &connection_;
    const QString sql_;
    const QVariantList values_;
    const QString caption_;
};

// Puts an action at the front of the preview's tool bar, with its text beside its icon, so that
// it stays in sight however narrow the window.
void addAction(QPrintPreviewDialog &dialog, const QString &key, const QString &text,
               const QString &themeIcon, QStyle::StandardPixmap fallbackIcon,
               std::function<void()> handler)
{
    auto *action = new QAction(
            QIcon::fromTheme(themeIcon, dialog.style()->standardIcon(fallbackIcon)), text, &dialog);
    action->setObjectName(key);
    action->setToolTip(QString(text).remove(QStringLiteral("...")));
    QObject::connect(action, &QAction::triggered, &dialog, std::move(handler));
    auto *toolBar = dialog.findChild<QToolBar *>();
    if (!toolBar) {
        dialog.addAction(action);
        return;
    }
    const QList<QAction *> present = toolBar->actions();
    toolBar->insertAction(present.value(0), action);
    if (auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(action)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

} // namespace

void ShowPreview(const Definition &definition, db::Connection &connection, const QString &sql,
                 const QVariantList &values, const QString &caption, QWidget *owner)
{
    const QString title = caption.isEmpty() ? definition.title : caption;
    const ReportSource source(definition, connection, sql, values, title);
    source.check();

    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(definition, printer);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(definition.name);
    dialog.setWindowTitle(title);
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter *target) { source.paint(target); });
    // Added last to first, as each goes to the front.
    addAction(dialog, QStringLiteral("kExportCsv"), QStringLiteral("Export CSV..."),
              QStringLiteral("x-office-spreadsheet"), QStyle::SP_FileIcon,
              [&] { source.exportCsv(); });
    addAction(dialog, QStringLiteral("kSavePdf"), QStringLiteral("Save as PDF..."),
              QStringLiteral("document-save-as"), QStyle::SP_DialogSaveButton,
              [&] { source.savePdf(); });
    if (const QScreen *screen = dialog.screen())
        dialog.resize(screen->availableSize() * 4 / 5);
    CentreWindow(&dialog);
    ShowModal(&dialog, owner);
}

} // namespace report
