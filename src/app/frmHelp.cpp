#include "app/frmHelp.h"

#include <QPainter>

#include <algorithm>

HelpWindow::HelpWindow(const QString &name, int widthTwips, int heightTwips, QStringList lines,
                       QWidget *parent)
    : FormDialog(parent)
    , widthTwips_(widthTwips)
    , heightTwips_(heightTwips)
    , lines_(std::move(lines))
{
    setObjectName(name);
    setWindowTitle(QStringLiteral("ZEP Help"));
    setAccessibleDescription(lines_.join(QString()));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    resize(Twips(this, widthTwips_), Twips(this, heightTwips_));
}

void HelpWindow::Form_Load()
{
    // The given size, grown where this desktop's font needs more room, so no line is cut off.
    const QFontMetrics metrics(font());
    int width = Twips(this, widthTwips_);
    for (const QString &line : lines_)
        width = std::max(width, metrics.horizontalAdvance(line) + metrics.averageCharWidth());
    const int height = std::max(Twips(this, heightTwips_),
                                static_cast<int>(lines_.size() + 1) * metrics.lineSpacing());
    setFixedSize(width, height);
    CentreWindow(this);
}

void HelpWindow::Form_Paint()
{
    update();
}

void HelpWindow::Form_Click()
{
    accept();
}

void HelpWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics(font());
    int baseline = metrics.ascent();
    for (const QString &line : lines_) {
        painter.drawText(0, baseline, line);
        baseline += metrics.lineSpacing();
    }
}

void HelpWindow::mouseReleaseEvent(QMouseEvent *)
{
    Form_Click();
}

frmHelpAdd::frmHelpAdd(QWidget *parent)
    : HelpWindow(
            QStringLiteral("frmHelpAdd"), 7000, 4600,
            {QString(),
             QStringLiteral(
                     " Double click on the filename in the file dialog box to insert the file"),
             QStringLiteral(" information. Then add group, description, web site name, web"),
             QStringLiteral(" address, etc."), QString(),
             QStringLiteral(" Double click on the record in the data grid to edit the file"),
             QStringLiteral(" before exporting."), QString(),
             QStringLiteral(" The check boxes next to the text boxes are for holding the entries"),
             QStringLiteral(" during importing. Place a check in the box if you want to keep the "
                            "entry."),
             QStringLiteral(" The Cancel button will erase all check boxes!"), QString(),
             QStringLiteral(" The Pin button on the tool bar will allow you to set a default"),
             QStringLiteral(" directory, which is the directory showing in the directory dialog "
                            "box."),
             QStringLiteral(" The next time you access this form to add files to the database the"),
             QStringLiteral(" program will default to this location.")},
            parent)
{ }

frmHelpShow::frmHelpShow(QWidget *parent)
    : HelpWindow(
            QStringLiteral("frmHelpShow"), 7000, 2500,
            {QString(),
             QStringLiteral(" Double click on the record in the data grid to view the file "
                            "information."),
             QStringLiteral(" You will need to unlock the controls to edit the information."),
             QString(),
             QStringLiteral(" The Green Check button will expand the grid to allow viewing of"),
             QStringLiteral(" more records.")},
            parent)
{ }

frmHelpSnip::frmHelpSnip(QWidget *parent)
    : HelpWindow(
            QStringLiteral("frmHelpSnip"), 7000, 2500,
            {QString(),
             QStringLiteral(" Double click on the title to display the snippet information."),
             QStringLiteral(" You can edit and save the snippet, and add new snippet."), QString(),
             QStringLiteral(" You can copy and paste documents and snippets to and from other"),
             QStringLiteral(" applications."), QString(),
             QStringLiteral(" Remember to click the save button to save your changes."), QString(),
             QStringLiteral(" The Clear ALL button will erase the text boxes.")},
            parent)
{ }
