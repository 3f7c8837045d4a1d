#include "snippets/PrintSource.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"

#include <QAction>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTextDocument>
#include <QTextOption>
#include <QToolBar>
#include <QToolButton>

namespace {

// The code as it goes to paper: the fixed-pitch font, a tab stop every four characters.
void setUp(QTextDocument &document, const QString &code)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 4);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(code);
}

void savePdf(const QTextDocument &document, const QString &title)
{
    const QString path =
            SaveFileName(QStringLiteral("Save as PDF"),
                         SuggestedSavePath(title, QStringLiteral("pdf"), QStringLiteral("Source")),
                         QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(title);
    document.print(&printer);
}

} // namespace

void PrintSource(const QString &title, const QString &code, QWidget *owner)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(kSourcePreview);
    dialog.setWindowTitle(QStringLiteral("Print Source"));
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint);

    auto *document = Named(new QTextDocument(&dialog), kSourceDocument);
    setUp(*document, code);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [document](QPrinter *target) { document->print(target); });

    auto *saveAsPdf = Named(
            new QAction(QIcon::fromTheme(QStringLiteral("document-save-as"),
                                         dialog.style()->standardIcon(QStyle::SP_DialogSaveButton)),
                        QStringLiteral("Save as PDF..."), &dialog),
            QStringLiteral("kSavePdf"));
    saveAsPdf->setToolTip(QStringLiteral("Save as PDF"));
    QObject::connect(saveAsPdf, &QAction::triggered, &dialog,
                     [document, title] { savePdf(*document, title); });
    if (auto *toolBar = dialog.findChild<QToolBar *>()) {
        toolBar->insertAction(toolBar->actions().value(0), saveAsPdf);
        if (auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(saveAsPdf)))
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    } else {
        dialog.addAction(saveAsPdf);
    }

    if (const QScreen *screen = dialog.screen())
        dialog.resize(screen->availableSize() * 4 / 5);
    CentreWindow(&dialog);
    ShowModal(&dialog, owner);
}
